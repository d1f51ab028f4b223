#include "audio/AudioClip.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "io/ProgressRange.h"
#include "audio/SampleConvert.h"
#include "audio/TempFile.h"
#include "audio/WavHeader.h"
#include "io/MappedFileStream.h"
#include "support/Fixtures.h"
#include "support/RecordingRange.h"
#include "support/TempDir.h"
#include "win/ComApartment.h"
#include "WavBuilder.h"

namespace vorlune {
namespace {

using test::TempPath;
using test::WavBuilder;

std::vector<float> Samples(ChannelSamples& ch)
{
    std::vector<float> out(size_t(ch.Count()));
    ch.ForEachRun(0, ch.Count(), [&](float* run, int32_t n, int32_t index) {
        std::copy(run, run + n, out.begin() + index);
    });
    return out;
}

int TempFiles() { return test::CountTempFiles(L"~Ve*"); }

TEST(SampleConvert, ExactValuesBothWays)
{
    EXPECT_EQ(FromPcm16(-32768), -1.0f);
    EXPECT_EQ(FromPcm16(16384), 0.5f);
    EXPECT_EQ(FromPcm8(0), -1.0f);
    EXPECT_EQ(FromPcm8(128), 0.0f);
    EXPECT_EQ(FromPcm8(255), 127.0f / 128.0f);
    EXPECT_EQ(ToPcm16(1.0f), 32767);
    EXPECT_EQ(ToPcm16(-1.0f), -32767);
    EXPECT_EQ(ToPcm16(0.00001f), 0);
    EXPECT_EQ(ToPcm16(-2.0f), -32768);
    EXPECT_EQ(ToPcm16(7.0f), 32767);
    EXPECT_EQ(ToPcm16(0.5f), 16384);
    EXPECT_EQ(ToPcm16(std::nanf("")), 0);
    // Adding one half and truncating toward zero brings negative samples back
    // one step closer to zero; positive ones come back exactly.
    for (int s = -32768; s < 32768; s += 97) EXPECT_EQ(ToPcm16(FromPcm16(int16_t(s))), s < 0 ? s + 1 : s) << s;
}

TEST(AudioFormat, EmptyValidAndCopyRules)
{
    AudioFormat f;
    EXPECT_TRUE(f.IsEmpty());
    EXPECT_FALSE(f.IsValid());
    f.wFormatTag = 1;
    f.nChannels = 2;
    f.nSamplesPerSec = 44100;
    f.nBlockAlign = 4;
    f.wBitsPerSample = 16;
    f.nAvgBytesPerSec = 44100 * 4;
    EXPECT_TRUE(f.IsValid());
    f.nAvgBytesPerSec = 44100;
    EXPECT_FALSE(f.IsValid());
    f.nAvgBytesPerSec = 44100 * 4;
    f.nBlockAlign = 3;
    EXPECT_FALSE(f.IsValid());
    f.nBlockAlign = 4;
    f.cbSize = 2;  // PCM has no extra bytes
    EXPECT_FALSE(f.IsValid());

    AudioFormat adpcm;
    adpcm.wFormatTag = 2;
    adpcm.nChannels = 1;
    adpcm.nSamplesPerSec = 8000;
    adpcm.nAvgBytesPerSec = 4096;
    adpcm.nBlockAlign = 256;
    adpcm.wBitsPerSample = 4;
    adpcm.cbSize = 3;
    adpcm.extra.reset(new uint8_t[3]{7, 8, 9});
    EXPECT_TRUE(adpcm.IsValid());
    AudioFormat copy = adpcm;
    ASSERT_TRUE(copy.extra);
    EXPECT_NE(copy.extra.get(), adpcm.extra.get());
    EXPECT_EQ(copy.extra[2], 9);
    copy.Reset();
    EXPECT_TRUE(copy.IsEmpty());
}

TEST(TempFile, NumbersCandidatesInHexAndCreatesTheFolder)
{
    test::TempDir dir;
    const std::wstring sub = dir.Path() + L"\\новая\\папка";
    EXPECT_EQ(MakeTempFilePath(L"wav", L"Ring", sub), sub + L"\\Ring001.wav");
    EXPECT_EQ(MakeTempFilePath(L"wav", L"Ring", sub), sub + L"\\Ring002.wav");
    for (int i = 3; i < 10; ++i) ASSERT_FALSE(MakeTempFilePath(L"wav", L"Ring", sub).empty());
    EXPECT_EQ(MakeTempFilePath(L"wav", L"Ring", sub), sub + L"\\Ring00A.wav");
    DeleteFileW((sub + L"\\Ring002.wav").c_str());
    EXPECT_EQ(MakeTempFilePath(L"wav", L"Ring", sub), sub + L"\\Ring002.wav");  // the first free number
    EXPECT_EQ(MakeTempFilePath(L"", L"x", sub), sub + L"\\x001.tmp");
    EXPECT_TRUE(test::Exists(sub + L"\\x001.tmp"));

    // A file standing where the folder should be.
    const std::wstring blocked = dir.File(L"file");
    ASSERT_TRUE(test::WriteAll(blocked, "x", 1));
    EXPECT_EQ(MakeTempFilePath(L"wav", L"p", blocked), L"");
    for (const wchar_t* name : {L"x001.tmp", L"Ring001.wav", L"Ring002.wav", L"Ring003.wav", L"Ring004.wav",
                                L"Ring005.wav", L"Ring006.wav", L"Ring007.wav", L"Ring008.wav", L"Ring009.wav",
                                L"Ring00A.wav"})
        DeleteFileW((sub + L"\\" + name).c_str());
    RemoveDirectoryW(sub.c_str());
    RemoveDirectoryW((dir.Path() + L"\\новая").c_str());
}

TEST(TempFile, DefaultIsASystemMadeVeFileAndDeletingIsSafe)
{
    const int before = TempFiles();
    const std::wstring path = MakeTempFilePath();
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(test::Exists(path));
    EXPECT_NE(path.find(L"~Ve"), std::wstring::npos);
    EXPECT_EQ(TempFiles(), before + 1);
    EXPECT_TRUE(DeleteIfExists(path));
    EXPECT_FALSE(DeleteIfExists(path));
    EXPECT_FALSE(DeleteIfExists(L""));
    EXPECT_EQ(TempFiles(), before);
}

TEST(ChannelSamples, StoresLiveInTemporaryFilesAndWalkAcrossBlocks)
{
    const int before = TempFiles();
    const int32_t b = SampleStore::BlockSize();
    {
        ChannelSamples ch;
        ASSERT_TRUE(ch.Allocate(b * 2 + 10));
        EXPECT_EQ(TempFiles(), before + 1);
        ASSERT_TRUE(ch.ForEachRun(0, ch.Count(), [](float* run, int32_t n, int32_t index) {
            for (int32_t k = 0; k < n; ++k) run[k] = float(index + k);
        }));
        // Runs never cross a block: the walk from b - 3 comes in two pieces.
        std::vector<int32_t> runs;
        ASSERT_TRUE(ch.ForEachRun(b - 3, 6, [&](float* run, int32_t n, int32_t index) {
            runs.push_back(n);
            for (int32_t k = 0; k < n; ++k) EXPECT_EQ(run[k], float(index + k));
        }));
        EXPECT_EQ(runs, (std::vector<int32_t>{3, 3}));
        EXPECT_FALSE(ch.ForEachRun(ch.Count() - 1, 2, [](float*, int32_t, int32_t) {}));

        // A view starting inside the first block sees the same samples.
        ChannelSamples view = ChannelSamples::ViewOf(ch, 5, b + 1);
        EXPECT_EQ(view.Offset(), 5);
        const std::vector<float> seen = Samples(view);
        EXPECT_EQ(seen.front(), 5.0f);
        EXPECT_EQ(seen.back(), float(5 + b));
    }
    EXPECT_EQ(TempFiles(), before);

    // A store that cannot be mapped leaves no file behind.
    ChannelSamples none;
    EXPECT_FALSE(none.Allocate(0));
    EXPECT_FALSE(none.Allocate(-5));
    EXPECT_FALSE(none.IsAllocated());
    EXPECT_EQ(TempFiles(), before);
}

TEST(AudioClip, SilentClipsAndTheirFormat)
{
    AudioClip clip;
    EXPECT_TRUE(clip.IsEmpty());
    ASSERT_TRUE(clip.CreateSilentMs(true, 1500, 44100));
    EXPECT_EQ(clip.frameCount, 66150);
    EXPECT_EQ(clip.byteCount, 66150u * 4);
    EXPECT_EQ(clip.format.nBlockAlign, 4);
    EXPECT_EQ(clip.format.nAvgBytesPerSec, 176400);
    EXPECT_TRUE(clip.IsLoaded());
    EXPECT_TRUE(clip.buffer.IsStereo());
    EXPECT_DOUBLE_EQ(clip.Duration(), 1.5);
    EXPECT_FALSE(clip.CreateSilent(false, 10, 8000));  // only on an empty clip
    clip.Reset();
    EXPECT_TRUE(clip.IsEmpty());
    EXPECT_FALSE(clip.CreateSilentMs(false, 0, 8000));
    EXPECT_FALSE(clip.CreateSilentMs(false, 1, 0));
    EXPECT_FALSE(clip.CreateSilentMs(false, 1, 999));  // not a single frame
    ASSERT_TRUE(clip.CreateSilentMs(false, 1, 1000));
    EXPECT_TRUE(clip.buffer.IsMono());
}

TEST(AudioClip, CopyOfOffsetViewsIsConsistent)
{
    AudioClip source;
    const int32_t b = SampleStore::BlockSize();
    ASSERT_TRUE(source.CreateSilent(true, b + 100, 8000));
    for (int c = 0; c < 2; ++c)
        ASSERT_TRUE(source.buffer.Channel(c).ForEachRun(0, b + 100, [&](float* run, int32_t n, int32_t index) {
            for (int32_t k = 0; k < n; ++k) run[k] = (c ? -1.0f : 1.0f) * float(index + k) / float(b + 100);
        }));
    // Turn the arrays into views that start 7 samples in.
    for (int c = 0; c < 2; ++c)
        source.buffer.Channel(c) = ChannelSamples::ViewOf(source.buffer.Channel(c), 7, b + 50);
    source.frameCount = source.buffer.frames = b + 50;
    source.byteCount = uint32_t(b + 50) * 4;
    EXPECT_FALSE(source.buffer.IsConsistent());
    ASSERT_TRUE(source.IsLoaded());

    AudioClip target;
    ASSERT_TRUE(target.CreateSilent(false, 3, 8000));  // replaced by the copy
    ProgressRange progress;
    progress.Init(10, 0);
    ASSERT_TRUE(source.CopyTo(target, &progress));
    EXPECT_EQ(progress.Position(), 10u);
    EXPECT_TRUE(target.buffer.IsConsistent());
    EXPECT_TRUE(target.buffer.IsStereo());
    EXPECT_EQ(target.frameCount, b + 50);
    const std::vector<float> left = Samples(target.buffer.first), right = Samples(target.buffer.second);
    EXPECT_EQ(left[0], 7.0f / float(b + 100));
    EXPECT_EQ(left[size_t(b)], float(b + 7) / float(b + 100));
    EXPECT_EQ(right[size_t(b + 49)], -float(b + 56) / float(b + 100));

    AudioClip empty;
    EXPECT_FALSE(empty.CopyTo(target, nullptr));
}

// A WAV file on disk for one test.
class WavFile {
public:
    explicit WavFile(const std::vector<uint8_t>& bytes) : path_(L".wav") { test::WriteAll(path_, bytes.data(), bytes.size()); }
    const std::wstring& Path() const { return path_.Path(); }

private:
    TempPath path_;
};

std::vector<int16_t> Ramp(size_t n, int channels)
{
    std::vector<int16_t> s(n * channels);
    for (size_t i = 0; i < n; ++i)
        for (int c = 0; c < channels; ++c) s[i * channels + c] = int16_t((c ? -1 : 1) * int((i * 7) % 32768));
    return s;
}

TEST(WavReader, ReadsSixteenAndEightBitMonoAndStereoAcrossBlockBorders)
{
    const int32_t frames = SampleStore::BlockSize() + 1234;
    WavFile stereo(WavBuilder().Riff().Fmt(1, 2, 22050, 16).Data16(Ramp(size_t(frames), 2)).Close().bytes);
    AudioClip clip;
    ASSERT_TRUE(clip.LoadWav(stereo.Path(), nullptr));
    EXPECT_TRUE(clip.IsLoaded());
    EXPECT_TRUE(clip.buffer.IsConsistent());
    EXPECT_EQ(clip.frameCount, frames);
    EXPECT_EQ(clip.buffer.rate, 22050);
    const std::vector<float> left = Samples(clip.buffer.first), right = Samples(clip.buffer.second);
    for (int32_t i : {0, 1, frames / 2, SampleStore::BlockSize() - 1, SampleStore::BlockSize(), frames - 1}) {
        EXPECT_EQ(left[size_t(i)], FromPcm16(int16_t((i * 7) % 32768))) << i;
        EXPECT_EQ(right[size_t(i)], FromPcm16(int16_t(-((i * 7) % 32768)))) << i;
    }

    std::vector<uint8_t> u8 = {0, 128, 255, 64};
    WavFile mono8(WavBuilder().Riff().Fmt(1, 1, 8000, 8).Chunk("data", u8).Close().bytes);
    AudioClip clip8;
    ASSERT_TRUE(clip8.LoadWav(mono8.Path(), nullptr));
    EXPECT_TRUE(clip8.buffer.IsMono());
    EXPECT_EQ(Samples(clip8.buffer.first), (std::vector<float>{-1.0f, 0.0f, 127.0f / 128, -0.5f}));

    // Loading again replaces what the clip held.
    ASSERT_TRUE(clip.LoadWav(mono8.Path(), nullptr));
    EXPECT_EQ(clip.frameCount, 4);
}

TEST(WavReader, ReadsAReadOnlyFileAnotherProgramHoldsOpen)
{
    WavFile wav(WavBuilder().Riff().Fmt(1, 1, 8000, 16).Data16(Ramp(100, 1)).Close().bytes);
    HANDLE other = CreateFileW(wav.Path().c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE |
                               FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetFileAttributesW(wav.Path().c_str(), FILE_ATTRIBUTE_READONLY));
    AudioClip clip;
    EXPECT_TRUE(clip.LoadWav(wav.Path(), nullptr));
    EXPECT_EQ(clip.frameCount, 100);
    CloseHandle(other);
    SetFileAttributesW(wav.Path().c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(WavReader, TakesOnlyWhatTheFileReallyHolds)
{
    // A data size far beyond the file, or all ones: the frames that are there.
    for (uint32_t claimed : {1000000u, 0xFFFFFFFFu, 0x7FFFFFFFu}) {
        WavFile f(WavBuilder().Riff().Fmt(1, 2, 8000, 16).Data16(Ramp(100, 2), claimed).bytes);
        AudioClip clip;
        ASSERT_TRUE(clip.LoadWav(f.Path(), nullptr)) << claimed;
        EXPECT_EQ(clip.frameCount, 100);
        EXPECT_EQ(clip.byteCount, 400u);
    }
    // A size that is not a whole number of frames, followed by another chunk.
    WavBuilder odd;
    odd.Riff().Fmt(1, 2, 8000, 16);
    std::vector<uint8_t> body(4 * 10 + 3, 1);
    odd.Chunk("data", body).Chunk("LIST", {1, 2, 3}).Close();
    WavFile f(odd.bytes);
    AudioClip clip;
    ASSERT_TRUE(clip.LoadWav(f.Path(), nullptr));
    EXPECT_EQ(clip.frameCount, 10);
}

TEST(WavReader, WalksOddZeroAndHugeChunksSafely)
{
    AudioClip clip;
    // An 18-byte fmt and an odd chunk with its pad byte before the data.
    WavFile ok(WavBuilder().Riff().Fmt(1, 1, 8000, 16, 18).Chunk("junk", {1, 2, 3}).Data16(Ramp(50, 1)).Close().bytes);
    ASSERT_TRUE(clip.LoadWav(ok.Path(), nullptr));
    EXPECT_EQ(clip.format.cbSize, 0);
    EXPECT_EQ(clip.frameCount, 50);

    // The same odd chunk without its pad byte throws the walk off: no data is found.
    WavFile unpadded(
        WavBuilder().Riff().Fmt(1, 1, 8000, 16).Chunk("junk", {1, 2, 3}, false).Data16(Ramp(50, 1)).Close().bytes);
    EXPECT_FALSE(clip.LoadWav(unpadded.Path(), nullptr));
    EXPECT_TRUE(clip.IsEmpty());

    // A zero-size chunk before the data fails; after it, the data is in already.
    WavFile zero(WavBuilder().Riff().Fmt(1, 1, 8000, 16).Chunk("zero", {}).Data16(Ramp(5, 1)).Close().bytes);
    EXPECT_FALSE(clip.LoadWav(zero.Path(), nullptr));
    WavFile zeroAfter(WavBuilder().Riff().Fmt(1, 1, 8000, 16).Data16(Ramp(5, 1)).Chunk("zero", {}).Close().bytes);
    EXPECT_TRUE(clip.LoadWav(zeroAfter.Path(), nullptr));

    // Chunk sizes that would carry a 32-bit position past 4 GiB and back into
    // the file end the walk instead of looping.
    for (uint32_t size : {0xFFFF0000u, 0xFFFFFFF0u, 0xFFFFFFFFu, 0xFFFFFFF4u}) {
        WavFile huge(WavBuilder().Riff().Fmt(1, 1, 8000, 16).Chunk("huge", {1, 2, 3, 4}, true, size).Data16(Ramp(5, 1)).Close().bytes);
        EXPECT_FALSE(clip.LoadWav(huge.Path(), nullptr)) << std::hex << size;
    }
}

TEST(WavReader, RefusesWhatItCannotRead)
{
    const std::vector<int16_t> some = Ramp(20, 2);
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases = {
        {"empty", {}},
        {"under 12 bytes", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A'}},
        {"RIFX", WavBuilder().Riff("WAVE", "RIFX").Fmt(1, 2, 8000, 16).Data16(some).Close().bytes},
        {"RF64", WavBuilder().Riff("WAVE", "RF64").Fmt(1, 2, 8000, 16).Data16(some).Close().bytes},
        {"AVI form", WavBuilder().Riff("AVI ").Fmt(1, 2, 8000, 16).Data16(some).Close().bytes},
        {"no data", WavBuilder().Riff().Fmt(1, 2, 8000, 16).Chunk("LIST", {1, 2}).Close().bytes},
        {"data before fmt", WavBuilder().Riff().Data16(some).Fmt(1, 2, 8000, 16).Close().bytes},
        {"fmt under 16", WavBuilder().Riff().Chunk("fmt ", std::vector<uint8_t>(14, 1)).Data16(some).Close().bytes},
        {"ends in fmt", WavBuilder().Riff().Fmt(1, 2, 8000, 16, 40).bytes},
        {"ends in a chunk header", WavBuilder().Riff().Fmt(1, 2, 8000, 16).Raw("da", 2).bytes},
        {"no channels", WavBuilder().Riff().Fmt(1, 0, 8000, 16).Data16(some).Close().bytes},
        {"three channels", WavBuilder().Riff().Fmt(1, 3, 8000, 16).Data16(Ramp(20, 3)).Close().bytes},
        {"eight channels", WavBuilder().Riff().Fmt(1, 8, 8000, 16).Data16(Ramp(20, 8)).Close().bytes},
        {"rate 0", WavBuilder().Riff().Fmt(1, 2, 0, 16).Data16(some).Close().bytes},
        {"24-bit", WavBuilder().Riff().Fmt(1, 2, 8000, 24).Data16(Ramp(30, 2)).Close().bytes},
        {"32-bit", WavBuilder().Riff().Fmt(1, 2, 8000, 32).Data16(Ramp(40, 2)).Close().bytes},
        {"block align 0", WavBuilder().Riff().Fmt(1, 2, 8000, 16, 16, 0).Data16(some).Close().bytes},
        {"block align off", WavBuilder().Riff().Fmt(1, 2, 8000, 16, 16, 6).Data16(some).Close().bytes},
        {"data size 0", WavBuilder().Riff().Fmt(1, 2, 8000, 16).Data16({}).Close().bytes},
        {"less than a frame", WavBuilder().Riff().Fmt(1, 2, 8000, 16).Chunk("data", {1, 2, 3}).Close().bytes},
    };
    const int before = TempFiles();
    for (const Case& c : cases) {
        WavFile f(c.bytes);
        AudioClip clip;
        EXPECT_FALSE(clip.LoadWav(f.Path(), nullptr)) << c.what;
        EXPECT_TRUE(clip.IsEmpty()) << c.what;
    }
    AudioClip clip;
    EXPECT_FALSE(clip.LoadWav(test::TempDirectory() + L"no-such.wav", nullptr));
    EXPECT_EQ(TempFiles(), before);
}

TEST(WavReader, CompressedFilesAreConvertedAndTheirTemporaryFileRemoved)
{
    ComApartment com;
    const std::wstring alaw = test::FixturePath(L"alaw8k.wav");
    ASSERT_FALSE(alaw.empty());
    const int before = TempFiles();
    AudioClip clip;
    ProgressRange progress;
    progress.Init(1000, 0);
    ASSERT_TRUE(clip.LoadWav(alaw, &progress));
    EXPECT_EQ(progress.Position(), 1000u);
    EXPECT_EQ(clip.format.wFormatTag, 1);
    EXPECT_EQ(clip.format.wBitsPerSample, 16);
    EXPECT_EQ(clip.frameCount, 24000);
    EXPECT_EQ(TempFiles(), before + 1);  // the clip's own channel store
    clip.Reset();
    EXPECT_EQ(TempFiles(), before);

    // A compressed format the system cannot decode fails and leaves nothing.
    EXPECT_FALSE(clip.LoadWav(test::FixturePath(L"gsm.wav"), nullptr));
    EXPECT_EQ(TempFiles(), before);
}

TEST(WavReader, LongReadsReportProgressAndStopWhenCancelled)
{
    const int32_t frames = SampleStore::BlockSize() * 5;
    WavFile f(WavBuilder().Riff().Fmt(1, 2, 44100, 16).Data16(Ramp(size_t(frames), 2)).Close().bytes);
    test::RecordingRange progress;
    progress.Init(1000, 0);
    AudioClip clip;
    ASSERT_TRUE(clip.LoadWav(f.Path(), &progress));
    // The conversion's share at once, then one step per block read.
    ASSERT_GE(progress.positions.size(), 6u);
    EXPECT_EQ(progress.positions.front(), 200u);
    EXPECT_EQ(progress.positions.back(), 1000u);

    const int before = TempFiles();
    test::RecordingRange cancel;
    cancel.Init(1000, 0);
    cancel.cancelAbove = 399;
    AudioClip other;
    EXPECT_FALSE(other.LoadWav(f.Path(), &cancel));
    EXPECT_TRUE(cancel.IsFailed());
    EXPECT_TRUE(other.IsEmpty());
    EXPECT_EQ(TempFiles(), before);
}

TEST(WavHeader, WrittenThenPatchedThroughAMappedStream)
{
    TempPath path(L".wav");
    {
        MappedFileStream s;
        ASSERT_TRUE(s.Create(path, 4096));
        ASSERT_TRUE(WriteWavHeader16(s, 2, 44100, 1000));
        const std::vector<int16_t> some = Ramp(600, 2);
        ASSERT_EQ(s.Write(some.data(), 4, 600), 600u);
        ASSERT_TRUE(PatchWavHeader(s, 600 * 4));
        EXPECT_EQ(s.Tell(), 44u + 2400u);
    }
    const std::vector<uint8_t> b = test::ReadAll(path);
    ASSERT_EQ(b.size(), 44u + 2400u);
    const uint8_t expected[44] = {'R', 'I', 'F', 'F', 0x84, 0x09, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                                  16, 0, 0, 0, 1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 0x02, 0,
                                  4, 0, 16, 0, 'd', 'a', 't', 'a', 0x60, 0x09, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(b.begin(), b.begin() + 44), std::vector<uint8_t>(expected, expected + 44));
    AudioClip clip;
    ASSERT_TRUE(clip.LoadWav(path, nullptr));
    EXPECT_EQ(clip.frameCount, 600);
}

}  // namespace
}  // namespace vorlune
