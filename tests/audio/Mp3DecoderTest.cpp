#include "audio/Mp3Decoder.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cwctype>
#include <string>
#include <thread>
#include <vector>

#include "io/ProgressRange.h"
#include "audio/SongCheck.h"
#include "audio/TempFile.h"
#include "io/FileUtil.h"
#include "support/Fixtures.h"
#include "support/TempDir.h"
#include "support/RecordingRange.h"

namespace vorlune {
namespace {

using test::RecordingRange;
using test::FixturePath;
using test::PcmWav;
using test::TempPath;

std::wstring Mp3(const std::wstring& name) { return FixturePath((L"mp3\\" + name).c_str()); }

PcmWav ReadWav(const std::wstring& path)
{
    PcmWav wav;
    EXPECT_TRUE(test::ReadPcmWav(path, wav)) << "cannot read the WAV file";
    return wav;
}

// The largest difference between two runs of samples of the same length; the
// synthesis may round a sample either way.
int MaxDifference(const std::vector<int16_t>& a, const std::vector<int16_t>& b)
{
    int worst = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
    return worst;
}

// Our decoding of a song against the mpg123 tool's: same format, same frame
// count, the same samples.
void ExpectLikeReference(const std::wstring& song, const std::wstring& reference)
{
    SCOPED_TRACE(testing::Message() << "song " << song.c_str());
    ASSERT_FALSE(song.empty()) << "fixtures missing";
    TempPath out(L".wav");
    Mp3Decoder decoder;
    ASSERT_TRUE(decoder.DecodeToWav(out, song, nullptr)) << decoder.LastError();
    EXPECT_STREQ(decoder.LastError(), "");
    const PcmWav got = ReadWav(out), want = ReadWav(reference);
    EXPECT_EQ(got.formatTag, 1);
    EXPECT_EQ(got.bits, 16);
    EXPECT_EQ(got.channels, want.channels);
    EXPECT_EQ(got.rate, want.rate);
    EXPECT_EQ(got.Frames(), want.Frames());
    // The 44-byte header and nothing but the samples after it.
    EXPECT_EQ(test::SizeOf(out), 44 + got.samples.size() * 2);
    ASSERT_EQ(got.samples.size(), want.samples.size());
    EXPECT_LE(MaxDifference(got.samples, want.samples), 1);
}

// Every rate of MPEG-1, -2 and -2.5, mono and stereo, CBR without a tag and
// VBR with a Xing/LAME header.
const wchar_t* const kCbrSongs[] = {L"cbr-8000-1.mp3",  L"cbr-11025-2.mp3", L"cbr-12000-1.mp3",
                                    L"cbr-16000-2.mp3", L"cbr-22050-1.mp3", L"cbr-24000-2.mp3",
                                    L"cbr-32000-1.mp3", L"cbr-44100-2.mp3", L"cbr-48000-1.mp3"};
const wchar_t* const kVbrSongs[] = {L"vbr-8000-2.mp3",  L"vbr-11025-1.mp3", L"vbr-12000-2.mp3",
                                    L"vbr-16000-1.mp3", L"vbr-22050-2.mp3", L"vbr-24000-1.mp3",
                                    L"vbr-32000-2.mp3", L"vbr-44100-1.mp3", L"vbr-48000-2.mp3"};

class EveryRate : public testing::TestWithParam<const wchar_t*> {};
class TaggedSong : public testing::TestWithParam<const wchar_t*> {};

TEST_P(EveryRate, DecodesLikeTheReferenceTool)
{
    const std::wstring name = GetParam();
    ExpectLikeReference(Mp3(name), Mp3(name + L".ref.wav"));
}

TEST_P(TaggedSong, KeepsTheSourcesExactLength)
{
    // The LAME header's delay and padding give back the source's length.
    const std::wstring name = GetParam();
    TempPath out(L".wav");
    ASSERT_TRUE(DecodeToWav(out, Mp3(name), nullptr));
    const PcmWav got = ReadWav(out), source = ReadWav(Mp3(name + L".src.wav"));
    EXPECT_EQ(got.Frames(), source.Frames());
    EXPECT_EQ(got.channels, source.channels);
    EXPECT_GT(test::Correlation(got.samples, source.samples), 0.95);
}

// "vbr-8000-2.mp3" -> "vbr_8000_2"
std::string SongName(const testing::TestParamInfo<const wchar_t*>& info)
{
    std::string name;
    for (const wchar_t* p = info.param; *p && *p != L'.'; ++p) name += iswalnum(*p) ? char(*p) : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Cbr, EveryRate, testing::ValuesIn(kCbrSongs), SongName);
INSTANTIATE_TEST_SUITE_P(Vbr, EveryRate, testing::ValuesIn(kVbrSongs), SongName);
INSTANTIATE_TEST_SUITE_P(Vbr, TaggedSong, testing::ValuesIn(kVbrSongs), SongName);

TEST(Mp3Decoder, SkipsTagsAndJunkBeforeTheAudio)
{
    ExpectLikeReference(Mp3(L"id3-picture.mp3"), Mp3(L"id3-picture.mp3.ref.wav"));
    // Noise before the first frame changes nothing.
    ExpectLikeReference(Mp3(L"junk.mp3"), Mp3(L"cbr-44100-2.mp3.ref.wav"));
}

TEST(Mp3Decoder, UnicodeNamesWork)
{
    ExpectLikeReference(Mp3(L"Песня 歌曲.mp3"), Mp3(L"cbr-24000-2.mp3.ref.wav"));

    // Both ends of the road in a folder whose name no ANSI code page holds.
    test::TempDir dir;
    const std::wstring folder = dir.File(L"Мелодии 铃声 ♫");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring song = folder + L"\\Звонок 电话.mp3", wav = folder + L"\\Вывод 输出.wav";
    ASSERT_TRUE(CopyFileW(Mp3(L"vbr-16000-1.mp3").c_str(), song.c_str(), TRUE));
    ASSERT_TRUE(DecodeToWav(wav, song, nullptr));
    EXPECT_EQ(ReadWav(wav).Frames(), ReadWav(Mp3(L"vbr-16000-1.mp3.ref.wav")).Frames());
    ASSERT_TRUE(DecodeRangeToWav(wav, song, 100, 600));
    EXPECT_EQ(ReadWav(wav).Frames(), 8000u);
}

TEST(Mp3Decoder, FilesThatAreNoSongFailAndLeaveNoWav)
{
    for (const wchar_t* name : {L"empty.mp3", L"text.mp3", L"noise.mp3"}) {
        SCOPED_TRACE(testing::Message() << name);
        const std::wstring song = Mp3(name);
        ASSERT_FALSE(song.empty()) << "fixtures missing";
        TempPath out(L".wav");
        Mp3Decoder decoder;
        EXPECT_FALSE(decoder.DecodeToWav(out, song, nullptr));
        EXPECT_STRNE(decoder.LastError(), "");
        EXPECT_FALSE(test::Exists(out));
        EXPECT_FALSE(decoder.DecodeRangeToWav(out, song, 0, 1000));
        EXPECT_FALSE(test::Exists(out));
    }
    TempPath out(L".wav");
    EXPECT_FALSE(DecodeToWav(out, test::TempDirectory() + L"no-such-song.mp3", nullptr));
    EXPECT_FALSE(DecodeToWav(out, L"", nullptr));
    EXPECT_FALSE(test::Exists(out));
    // An output that cannot be made fails too.
    EXPECT_FALSE(DecodeToWav(test::TempDirectory() + L"no-such-folder\\x.wav", Mp3(L"cbr-8000-1.mp3"), nullptr));
}

TEST(Mp3Decoder, TruncatedSongsDecodeWhatTheyHold)
{
    // A file cut inside a frame: the frames before the cut are all there.
    TempPath out(L".wav");
    ASSERT_TRUE(DecodeToWav(out, Mp3(L"truncated.mp3"), nullptr));
    const PcmWav cut = ReadWav(out), whole = ReadWav(Mp3(L"cbr-44100-2.mp3.ref.wav"));
    EXPECT_EQ(cut.channels, 2);
    EXPECT_GT(cut.Frames(), whole.Frames() / 2);
    EXPECT_LT(cut.Frames(), whole.Frames() * 2 / 3);
    EXPECT_EQ(test::SizeOf(out), 44 + cut.samples.size() * 2);
    const std::vector<int16_t> head(whole.samples.begin(), whole.samples.begin() + cut.samples.size() / 2);
    EXPECT_GT(test::Correlation(std::vector<int16_t>(cut.samples.begin(), cut.samples.begin() + head.size()), head),
              0.999);

    // A VBR song whose header promises more than the file holds.
    TempPath out2(L".wav");
    Mp3Decoder decoder;
    ASSERT_TRUE(decoder.DecodeToWav(out2, Mp3(L"truncated-vbr.mp3"), nullptr)) << decoder.LastError();
    const PcmWav vbr = ReadWav(out2);
    EXPECT_GT(vbr.Frames(), 15u * 44100u);
    EXPECT_LT(vbr.Frames(), 25u * 44100u);
}

TEST(SongCheck, ReadsOnlyTheHeadSoAnyLengthIsQuickAndRefusesWhatTheDecoderCannotRead)
{
    // A song with nearly 2 GB of nothing after it (sparse): decoding it
    // would take minutes, the check reads its head. One byte more is beyond
    // what the decoder reads.
    test::TempDir dir;
    const std::wstring big = dir.File(L"big.mp3");
    ASSERT_TRUE(::CopyFileW(Mp3(L"cbr-44100-2.mp3").c_str(), big.c_str(), FALSE));
    ASSERT_TRUE(TruncateFile(big, LONG_MAX));
    EXPECT_EQ(CheckSong(big), SongProblem::kNone);
    ASSERT_TRUE(TruncateFile(big, int64_t{LONG_MAX} + 1));
    EXPECT_EQ(CheckSong(big), SongProblem::kTooLarge);
    // Damage after the head is the render's to find; junk before it is not damage.
    EXPECT_EQ(CheckSong(Mp3(L"truncated.mp3")), SongProblem::kNone);
    EXPECT_EQ(CheckSong(Mp3(L"junk.mp3")), SongProblem::kNone);
    EXPECT_EQ(CheckSong(Mp3(L"noise.mp3")), SongProblem::kNotMp3);
    EXPECT_EQ(CheckSong(dir.Path()), SongProblem::kFolder);
    EXPECT_EQ(CheckSong(dir.File(L"gone.mp3")), SongProblem::kMissing);
}

TEST(Mp3Decoder, ReportsProgressAndStopsWhenCancelled)
{
    const std::wstring song = Mp3(L"long-44100-2.mp3");
    ASSERT_FALSE(song.empty()) << "fixtures missing";
    {
        RecordingRange progress;
        progress.Init(1000, 0);
        TempPath out(L".wav");
        ASSERT_TRUE(DecodeToWav(out, song, &progress));
        ASSERT_GE(progress.positions.size(), 5u);
        for (size_t i = 1; i < progress.positions.size(); ++i)
            EXPECT_GT(progress.positions[i], progress.positions[i - 1]);
        EXPECT_EQ(progress.positions.back(), 1000u);
        EXPECT_EQ(ReadWav(out).Frames(), 40u * 44100u);
    }
    {
        RecordingRange progress;
        progress.Init(1000, 0);
        progress.cancelAbove = 300;
        TempPath out(L".wav");
        EXPECT_FALSE(DecodeToWav(out, song, &progress));
        EXPECT_LT(progress.Position(), 1000u);
        EXPECT_FALSE(test::Exists(out));
    }
    {
        RecordingRange progress;
        progress.Init(1000, 0);
        progress.Cancel();
        TempPath out(L".wav");
        EXPECT_FALSE(DecodeToWav(out, song, &progress));
        EXPECT_TRUE(progress.positions.empty());
        EXPECT_FALSE(test::Exists(out));
    }
}

TEST(Mp3Decoder, WritesIntoTheCallersTemporaryFile)
{
    const int before = test::CountTempFiles(L"~Ve*");
    {
        TempFile wav(MakeTempFilePath());
        ASSERT_FALSE(wav.Empty());
        ASSERT_TRUE(DecodeToWav(wav.Path(), Mp3(L"vbr-22050-2.mp3"), nullptr));
        EXPECT_EQ(ReadWav(wav.Path()).Frames(), 55125u);
    }
    EXPECT_EQ(test::CountTempFiles(L"~Ve*"), before);
}

TEST(Mp3Decoder, RangesAreCutFromTheWholeSong)
{
    const std::wstring song = Mp3(L"vbr-44100-1.mp3");
    TempPath whole(L".wav"), part(L".wav");
    ASSERT_TRUE(DecodeToWav(whole, song, nullptr));
    const PcmWav all = ReadWav(whole);

    auto expectSlice = [&](uint32_t a, uint32_t b, uint32_t first, uint32_t count) {
        SCOPED_TRACE(testing::Message() << a << " .. " << b << " ms");
        Mp3Decoder decoder;
        ASSERT_TRUE(decoder.DecodeRangeToWav(part, song, a, b)) << decoder.LastError();
        const PcmWav got = ReadWav(part);
        EXPECT_EQ(got.Frames(), count);
        EXPECT_EQ(test::SizeOf(part), 44 + got.samples.size() * 2);
        const std::vector<int16_t> want(all.samples.begin() + first, all.samples.begin() + first + count);
        // After the seek the samples are the whole song's, from the first on.
        ASSERT_EQ(got.samples.size(), want.size());
        EXPECT_LE(MaxDifference(got.samples, want), 1);
    };
    expectSlice(500, 1500, 22050, 44100);
    expectSlice(1500, 500, 22050, 44100);  // given the wrong way round
    expectSlice(0, 10, 0, 441);
    // Past the end: cut at the song's last frame.
    expectSlice(2000, 60000, 88200, all.Frames() - 88200);

    TempPath unused(L".wav");
    Mp3Decoder decoder;
    EXPECT_FALSE(decoder.DecodeRangeToWav(unused, song, 700, 700));
    EXPECT_FALSE(test::Exists(unused));
    // A start past the end fails before any file is written.
    EXPECT_FALSE(decoder.DecodeRangeToWav(unused, song, 2500, 4000));
    EXPECT_FALSE(decoder.DecodeRangeToWav(unused, song, 9000, 4000));
    EXPECT_FALSE(test::Exists(unused));
}

TEST(Mp3Decoder, DecodersOnSeveralThreadsAtOnce)
{
    const std::vector<std::wstring> songs = {L"vbr-48000-2.mp3", L"cbr-11025-2.mp3", L"vbr-16000-1.mp3",
                                             L"cbr-44100-2.mp3"};
    std::vector<std::unique_ptr<TempPath>> outs;
    for (size_t i = 0; i < songs.size(); ++i) outs.push_back(std::make_unique<TempPath>(L".wav"));
    std::vector<int> ok(songs.size(), 0);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < songs.size(); ++i)
        threads.emplace_back([&, i] { ok[i] = DecodeToWav(*outs[i], Mp3(songs[i]), nullptr); });
    for (auto& t : threads) t.join();
    for (size_t i = 0; i < songs.size(); ++i) {
        EXPECT_TRUE(ok[i]);
        EXPECT_EQ(ReadWav(*outs[i]).Frames(), ReadWav(Mp3(songs[i] + L".ref.wav")).Frames());
    }
}

}  // namespace
}  // namespace vorlune
