#include "audio/WavConverter.h"

#include <gtest/gtest.h>

#include <vector>

#include "io/ProgressRange.h"
#include "support/Fixtures.h"
#include "win/ComApartment.h"
#include "support/RecordingRange.h"

namespace vorlune {
namespace {

using test::RecordingRange;
using test::FixturePath;
using test::PcmWav;
using test::TempPath;

class WavConverterTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(com_.Ok()); }

    // Converts a fixture and checks the result against sox's own decoding.
    void ExpectFaithful(const wchar_t* source, const wchar_t* reference, ProgressRange* progress)
    {
        const std::wstring in = FixturePath(source), ref = FixturePath(reference);
        ASSERT_FALSE(in.empty()) << "fixtures missing";
        TempPath out(L".wav");
        ASSERT_TRUE(ConvertToWav(in, out, progress));

        PcmWav got, want;
        ASSERT_TRUE(test::ReadPcmWav(out, got));
        ASSERT_TRUE(test::ReadPcmWav(ref, want));
        EXPECT_EQ(got.formatTag, 1);
        EXPECT_EQ(got.channels, want.channels);
        EXPECT_EQ(got.rate, want.rate);
        EXPECT_EQ(got.bits, 16);
        // The header tells the truth about the data that follows it.
        EXPECT_EQ(test::SizeOf(out), 44 + got.samples.size() * 2);
        EXPECT_NEAR(double(got.Frames()), double(want.Frames()), 1.0);
        EXPECT_GT(test::Correlation(got.samples, want.samples), 0.99);
    }

    ComApartment com_;
};

TEST(ClassifyExtension, KnowsItsKindsInAnyCase)
{
    EXPECT_EQ(ClassifyExtension(L"C:\\a\\Song.WAV"), kSourceWav);
    EXPECT_EQ(ClassifyExtension(L"x.pcm"), kSourceWav);
    EXPECT_EQ(ClassifyExtension(L"x.Wma"), kSourceWma);
    EXPECT_EQ(ClassifyExtension(L"x.mp3"), kSourceMp3);
    EXPECT_EQ(ClassifyExtension(L"x.ogg"), kSourceUnknown);
    EXPECT_EQ(ClassifyExtension(L"C:\\dir.wav\\noext"), kSourceUnknown);
    EXPECT_EQ(ClassifyExtension(L"trailing."), kSourceUnknown);
    EXPECT_EQ(ClassifyExtension(L""), kSourceUnknown);
}

TEST_F(WavConverterTest, ALawAndMuLawConvertFaithfully)
{
    ExpectFaithful(L"alaw8k.wav", L"alaw8k-ref.wav", nullptr);
    ExpectFaithful(L"ulaw8k.wav", L"ulaw8k-ref.wav", nullptr);
}

TEST_F(WavConverterTest, ShortSourceReportsNoRunningProgress)
{
    RecordingRange progress;
    progress.Init(1000, 0);
    ExpectFaithful(L"alaw-short.wav", L"alaw-short-ref.wav", &progress);
    // The building share, then the end: nothing from the wait.
    EXPECT_EQ(progress.positions, (std::vector<uint32_t>{300, 1000}));
}

TEST_F(WavConverterTest, AQuitMetWhileWaitingIsPostedAgain)
{
    PostQuitMessage(7);
    ExpectFaithful(L"alaw-short.wav", L"alaw-short-ref.wav", nullptr);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, WPARAM(7));
}

TEST_F(WavConverterTest, LongSourceReportsRisingProgress)
{
    RecordingRange progress;
    progress.Init(1000, 0);
    ExpectFaithful(L"alaw44s.wav", L"alaw44s-ref.wav", &progress);
    EXPECT_EQ(progress.positions.back(), 1000u);

    // Six minutes take long enough for the wait to report several times.
    progress.Init(1000, 0);
    progress.positions.clear();
    TempPath out(L".wav");
    const std::wstring in = FixturePath(L"alaw-long.wav");
    ASSERT_TRUE(ConvertToWav(in, out, &progress));
    PcmWav got;
    ASSERT_TRUE(test::ReadPcmWav(out, got));
    EXPECT_EQ(got.Frames(), 360u * 44100u);
    ASSERT_GE(progress.positions.size(), 3u);
    EXPECT_EQ(progress.positions.front(), 300u);
    EXPECT_EQ(progress.positions.back(), 1000u);
    for (size_t i = 1; i < progress.positions.size(); ++i)
        EXPECT_GT(progress.positions[i], progress.positions[i - 1]);
    EXPECT_FALSE(progress.IsFailed());
}

TEST_F(WavConverterTest, CancellingStopsTheGraphAndFails)
{
    RecordingRange progress;
    progress.Init(1000, 0);
    progress.cancelAbove = 300;  // at the first report of the running graph
    TempPath out(L".wav");
    EXPECT_FALSE(ConvertToWav(FixturePath(L"alaw-long.wav"), out, &progress));
    EXPECT_TRUE(progress.IsCancelled());
    EXPECT_TRUE(progress.IsFailed());
    EXPECT_LT(test::SizeOf(out), 44ull + 360 * 44100 * 4);

    RecordingRange already;
    already.Init(1000, 0);
    already.Cancel();
    TempPath out2(L".wav");
    EXPECT_FALSE(ConvertToWav(FixturePath(L"alaw8k.wav"), out2, &already));
    EXPECT_FALSE(test::Exists(out2));
}

TEST_F(WavConverterTest, UnusableInputsFailCleanly)
{
    TempPath out(L".wav");
    RecordingRange progress;
    progress.Init(100, 0);
    EXPECT_FALSE(ConvertToWav(test::TempDirectory() + L"no-such-file.wav", out, &progress));
    EXPECT_TRUE(progress.IsFailed());
    EXPECT_FALSE(test::Exists(out));
    EXPECT_FALSE(ConvertToWav(L"", out, nullptr));
    EXPECT_FALSE(ConvertToWav(FixturePath(L"alaw8k.wav"), L"", nullptr));

    // A known file under an unknown extension.
    TempPath ogg(L".ogg");
    ASSERT_TRUE(CopyFileW(FixturePath(L"alaw8k.wav").c_str(), ogg.Path().c_str(), FALSE));
    EXPECT_FALSE(ConvertToWav(ogg, out, nullptr));

    // Formats the platform's decoders cannot render, and MP3 inside WAV,
    // whose duration this platform cannot tell.
    for (const wchar_t* name : {L"msadpcm.wav", L"imaadpcm.wav", L"gsm.wav", L"mp3in.wav"}) {
        SCOPED_TRACE(testing::Message() << name);
        const std::wstring in = FixturePath(name);
        ASSERT_FALSE(in.empty());
        PcmWav wav;
        if (ConvertToWav(in, out, nullptr)) {
            // Should the platform learn to decode it, the result must be whole.
            ASSERT_TRUE(test::ReadPcmWav(out, wav));
            EXPECT_GT(wav.Frames(), 7000u);
        }
    }
}

TEST_F(WavConverterTest, ExistingOutputIsEmptiedOrRefused)
{
    TempPath out(L".wav");
    std::vector<uint8_t> junk(300000, 0xAB);
    ASSERT_TRUE(test::WriteAll(out, junk.data(), junk.size()));
    ASSERT_TRUE(ConvertToWav(FixturePath(L"alaw8k.wav"), out, nullptr));
    EXPECT_EQ(test::SizeOf(out), 44u + 48000u);

    // Held open by someone else: it cannot be emptied, so it is not used.
    HANDLE held = CreateFileW(out.Path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(ConvertToWav(FixturePath(L"alaw8k.wav"), out, nullptr));
    CloseHandle(held);
    EXPECT_EQ(test::SizeOf(out), 44u + 48000u);
}

}  // namespace
}  // namespace vorlune
