#include "audio/AudioDocument.h"

#include <gtest/gtest.h>

#include <vector>

#include "io/ProgressRange.h"
#include "audio/RingtoneProject.h"
#include "support/Fixtures.h"

namespace vorlune {
namespace {

std::vector<float> Samples(ChannelSamples& ch)
{
    std::vector<float> out(size_t(ch.Count()));
    ch.ForEachRun(0, ch.Count(), [&](float* run, int32_t n, int32_t index) {
        std::copy(run, run + n, out.begin() + index);
    });
    return out;
}

// A document holding a clip whose sample i of channel c is value(c, i).
template <class Value>
void Fill(AudioDocument& doc, bool stereo, int32_t frames, int32_t rate, Value value)
{
    ASSERT_TRUE(doc.Clip().CreateSilent(stereo, frames, rate));
    ASSERT_EQ(doc.Clip().buffer.frames, frames);
    for (int c = 0; c < doc.Clip().buffer.channels; ++c)
        ASSERT_TRUE(doc.Clip().buffer.Channel(c).ForEachRun(0, frames, [&](float* run, int32_t n, int32_t index) {
            for (int32_t k = 0; k < n; ++k) run[k] = value(c, index + k);
        }));
}

TEST(FadeLength, OneAndAHalfSecondsHalfAShortClipOrNothing)
{
    EXPECT_EQ(FadeLength(10.0, 44100), 66150);
    EXPECT_EQ(FadeLength(3.0, 44100), 66150);
    EXPECT_EQ(FadeLength(2.0, 44100), 44100);
    EXPECT_EQ(FadeLength(0.3, 8000), 1200);
    EXPECT_EQ(FadeLength(0.2999, 8000), 0);
    EXPECT_EQ(FadeLength(0.0, 8000), 0);
}

TEST(AudioDocument, FadesAreLinearFromExactlyZeroToOneAndBack)
{
    AudioDocument doc;
    Fill(doc, true, 1000, 8000, [](int, int32_t) { return 0.5f; });
    ASSERT_TRUE(doc.FadeIn(0, 101));
    ASSERT_TRUE(doc.FadeOut(900, 1000));
    for (int c = 0; c < 2; ++c) {
        const std::vector<float> s = Samples(doc.Clip().buffer.Channel(c));
        EXPECT_EQ(s[0], 0.0f);
        EXPECT_FLOAT_EQ(s[50], 0.25f);
        EXPECT_FLOAT_EQ(s[100], 0.5f);
        EXPECT_FLOAT_EQ(s[500], 0.5f);
        EXPECT_FLOAT_EQ(s[900], 0.5f);
        EXPECT_NEAR(s[950], 0.5f * (1.0f - 50.0f / 99.0f), 1e-6);
        EXPECT_EQ(s[999], 0.0f);
    }
}

TEST(AudioDocument, FadeRangesAreClampedAndSmallOnesAreLeftAlone)
{
    AudioDocument doc;
    Fill(doc, false, 10, 1000, [](int, int32_t) { return 1.0f; });
    ASSERT_TRUE(doc.FadeIn(5, 6));  // one sample: nothing changes
    EXPECT_EQ(Samples(doc.Clip().buffer.first)[5], 1.0f);
    ASSERT_TRUE(doc.FadeIn(8, 10));  // two samples: the first to 0, the second kept
    EXPECT_EQ(Samples(doc.Clip().buffer.first)[8], 0.0f);
    EXPECT_EQ(Samples(doc.Clip().buffer.first)[9], 1.0f);
    EXPECT_FALSE(doc.FadeOut(7, 3));          // backwards
    ASSERT_TRUE(doc.FadeOut(-50, 500));       // clamped to the whole clip
    EXPECT_EQ(Samples(doc.Clip().buffer.first)[9], 0.0f);
    ASSERT_TRUE(doc.FadeIn(4, 4));            // equal ends: the whole channel
    EXPECT_EQ(Samples(doc.Clip().buffer.first)[0], 0.0f);

    AudioDocument empty;
    EXPECT_FALSE(empty.FadeIn(0, 5));
}

TEST(AudioDocument, CropKeepsOrRemovesAndReleasesTheOldStores)
{
    const int before = test::CountTempFiles(L"~Ve*");
    AudioDocument doc;
    const int32_t frames = SampleStore::BlockSize() + 500;
    Fill(doc, true, frames, 44100, [](int c, int32_t i) { return (c ? -1.0f : 1.0f) * float(i % 1000) / 1000.0f; });
    EXPECT_EQ(test::CountTempFiles(L"~Ve*"), before + 2);

    const int32_t a = SampleStore::BlockSize() - 100, b = SampleStore::BlockSize() + 200;
    ASSERT_TRUE(doc.Crop(a, b, false));
    EXPECT_EQ(doc.Clip().buffer.frames, 300);
    EXPECT_EQ(doc.Clip().frameCount, 300);
    EXPECT_TRUE(doc.IsStereo());
    EXPECT_TRUE(doc.IsUsable());
    EXPECT_EQ(test::CountTempFiles(L"~Ve*"), before + 2);  // the old two are gone
    const std::vector<float> left = Samples(doc.Clip().buffer.first), right = Samples(doc.Clip().buffer.second);
    EXPECT_EQ(left[0], float(a % 1000) / 1000.0f);
    EXPECT_EQ(right[299], -float((b - 1) % 1000) / 1000.0f);

    // Taking out [100, 200) joins [0, 100) and [200, 300).
    ASSERT_TRUE(doc.Crop(100, 200, true));
    const std::vector<float> joined = Samples(doc.Clip().buffer.first);
    ASSERT_EQ(joined.size(), 200u);
    EXPECT_EQ(joined[99], left[99]);
    EXPECT_EQ(joined[100], left[200]);

    EXPECT_FALSE(doc.Crop(50, 50, false));
    EXPECT_FALSE(doc.Crop(0, 200, true));  // nothing would be left
    EXPECT_EQ(doc.Clip().buffer.frames, 200);
}

TEST(AudioDocument, VolumeMonoAndStereo)
{
    AudioDocument doc;
    Fill(doc, true, 100, 8000, [](int c, int32_t i) { return c ? 0.75f : (i == 7 ? 0.5f : 0.1f); });
    ASSERT_TRUE(doc.ChangeVolume(0, 100, 50.0));
    EXPECT_FLOAT_EQ(Samples(doc.Clip().buffer.second)[3], 0.375f);
    ASSERT_TRUE(doc.ChangeVolume(0, 100, 1000.0));  // clamped, not wrapped
    EXPECT_EQ(Samples(doc.Clip().buffer.second)[3], 1.0f);

    // Now left is 0.5 (1.0 at frame 7) and right 1.0: the sums reach 2.0, so
    // the whole channel is scaled by one half.
    ASSERT_TRUE(doc.ToMono());
    EXPECT_TRUE(doc.IsMono());
    EXPECT_EQ(doc.Clip().format.nChannels, 1);
    EXPECT_EQ(doc.Clip().format.nBlockAlign, 2);
    EXPECT_EQ(doc.Clip().format.nAvgBytesPerSec, 16000);
    const std::vector<float> mono = Samples(doc.Clip().buffer.first);
    EXPECT_FLOAT_EQ(mono[7], 1.0f);
    EXPECT_FLOAT_EQ(mono[0], 0.75f);

    ASSERT_TRUE(doc.ToStereo());
    EXPECT_TRUE(doc.IsStereo());
    EXPECT_EQ(doc.Clip().format.nBlockAlign, 4);
    EXPECT_EQ(Samples(doc.Clip().buffer.second), mono);
}

TEST(RingtoneProject, SelectionIsOrderedAndClamped)
{
    RingtoneProject p;
    p.SetSelection(0.8, 0.2);
    EXPECT_EQ(p.selectionStart, 0.2);
    EXPECT_EQ(p.selectionEnd, 0.8);
    p.SetSelection(-0.5, 1.5);
    EXPECT_EQ(p.selectionStart, 0.0);
    EXPECT_EQ(p.selectionEnd, 1.0);
    p.sourcePath = L"a.mp3";
    p.outputPath = L"b.mp3";
    p.fadeIn = 1;
    p.Reset();
    EXPECT_TRUE(p.sourcePath.empty());
    EXPECT_TRUE(p.outputPath.empty());
    EXPECT_EQ(p.fadeIn, 1);
}

TEST(EditForRingtone, CropsToTheSelectionAndFadesBothEnds)
{
    AudioDocument doc;
    Fill(doc, false, 441000, 44100, [](int, int32_t) { return 0.8f; });  // 10 s
    ProgressRange progress;
    progress.Init(100, 0);
    ASSERT_TRUE(EditForRingtone(doc, 0.25, 0.75, true, true, progress));
    EXPECT_EQ(progress.Position(), 100u);
    const std::vector<float> s = Samples(doc.Clip().buffer.first);
    ASSERT_EQ(s.size(), 220500u);
    EXPECT_EQ(s[0], 0.0f);
    EXPECT_NEAR(s[66149], 0.8f, 1e-6);
    EXPECT_NEAR(s[33074], 0.4f, 1e-4);
    EXPECT_EQ(s[100000], 0.8f);
    EXPECT_NEAR(s[220500 - 66150], 0.8f, 1e-6);
    EXPECT_EQ(s.back(), 0.0f);

    // An empty selection keeps the whole song; a 0.2 s clip is not faded.
    AudioDocument shortDoc;
    Fill(shortDoc, false, 1600, 8000, [](int, int32_t) { return 0.5f; });
    progress.Init(100, 0);
    ASSERT_TRUE(EditForRingtone(shortDoc, 0.25, 0.25, true, true, progress));
    EXPECT_EQ(shortDoc.Clip().buffer.frames, 1600);
    EXPECT_EQ(Samples(shortDoc.Clip().buffer.first)[0], 0.5f);

    progress.Init(100, 0);
    progress.Cancel();
    EXPECT_FALSE(EditForRingtone(shortDoc, 0, 1, false, false, progress));
    AudioDocument empty;
    progress.Init(100, 0);
    EXPECT_FALSE(EditForRingtone(empty, 0, 1, false, false, progress));
}

TEST(SamePath, SeesOneFileThroughDifferentSpellings)
{
    test::TempPath a(L".mp3"), b(L".mp3");
    ASSERT_TRUE(test::WriteAll(a, "x", 1));
    std::wstring upper = a.Path();
    for (wchar_t& c : upper) c = wchar_t(towupper(c));
    EXPECT_TRUE(SamePath(a, upper));
    EXPECT_TRUE(SamePath(a, a.Path().substr(0, a.Path().rfind(L'\\')) + L"\\.\\" +
                                   a.Path().substr(a.Path().rfind(L'\\') + 1)));
    EXPECT_FALSE(SamePath(a, b));
}

}  // namespace
}  // namespace vorlune
