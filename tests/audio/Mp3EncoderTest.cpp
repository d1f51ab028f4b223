#include "audio/Mp3Encoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "audio/AudioClip.h"
#include "audio/Mp3Decoder.h"
#include "io/ProgressRange.h"
#include "support/ChildProcess.h"
#include "support/Fixtures.h"
#include "support/TempDir.h"
#include "support/RecordingRange.h"

namespace vorlune {
namespace {

using test::RecordingRange;
using test::PcmWav;
using test::TempPath;

// A clip of steady tones, 440 Hz on the left (or only) channel and 660 Hz on
// the right, at half scale.
void MakeTone(AudioClip& clip, int channels, int32_t rate, int32_t frames)
{
    ASSERT_TRUE(clip.CreateSilent(channels == 2, frames, rate));
    for (int c = 0; c < channels; ++c) {
        const double hz = c == 0 ? 440.0 : 660.0;
        ASSERT_TRUE(clip.buffer.Channel(c).ForEachRun(0, frames, [&](float* run, int32_t n, int32_t index) {
            for (int32_t k = 0; k < n; ++k) run[k] = float(0.5 * std::sin(6.283185307 * hz * (index + k) / rate));
        }));
    }
}

std::vector<int16_t> Interleaved(const AudioClip& clip)
{
    std::vector<int16_t> samples(size_t(clip.buffer.frames) * clip.buffer.channels);
    clip.buffer.FillInterleaved16(samples.data(), 0, clip.buffer.frames);
    return samples;
}

// One Layer III frame header.
struct Frame {
    int version = 0;  // 10 = MPEG-1, 20 = MPEG-2, 25 = MPEG-2.5
    int kbps = 0;
    int rate = 0;
    int mode = 0;  // 1 joint stereo, 3 mono
    size_t bytes = 0;
    size_t sideInfo = 0;
};

bool ParseFrame(const uint8_t* p, Frame& f)
{
    static const int kMpeg1Kbps[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const int kMpeg2Kbps[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static const int kRates[] = {44100, 48000, 32000};
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0 || ((p[1] >> 1) & 3) != 1) return false;  // Layer III only
    const int v = (p[1] >> 3) & 3;
    const int bitrateIndex = p[2] >> 4, rateIndex = (p[2] >> 2) & 3, padding = (p[2] >> 1) & 1;
    if (v == 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return false;
    f.version = v == 3 ? 10 : v == 2 ? 20 : 25;
    f.kbps = v == 3 ? kMpeg1Kbps[bitrateIndex] : kMpeg2Kbps[bitrateIndex];
    f.rate = kRates[rateIndex] / (v == 3 ? 1 : v == 2 ? 2 : 4);
    f.mode = p[3] >> 6;
    f.bytes = size_t((v == 3 ? 144 : 72) * f.kbps * 1000 / f.rate + padding);
    f.sideInfo = v == 3 ? (f.mode == 3 ? 17 : 32) : (f.mode == 3 ? 9 : 17);
    return true;
}

// The frames of a file that must hold nothing else.
std::vector<Frame> Frames(const std::vector<uint8_t>& file)
{
    std::vector<Frame> frames;
    size_t at = 0;
    while (at + 4 <= file.size()) {
        Frame f;
        if (!ParseFrame(&file[at], f)) {
            ADD_FAILURE() << "no frame header at byte " << at << " of " << file.size();
            return frames;
        }
        frames.push_back(f);
        at += f.bytes;
    }
    EXPECT_EQ(at, file.size()) << "the last frame is cut";
    return frames;
}

// The first frame carries the VBR/Info tag that the library writes last.
bool HasInfoTag(const std::vector<uint8_t>& file)
{
    Frame f;
    if (file.size() < 4 || !ParseFrame(file.data(), f) || file.size() < 4 + f.sideInfo + 4) return false;
    const char* tag = reinterpret_cast<const char*>(&file[4 + f.sideInfo]);
    return std::memcmp(tag, "Xing", 4) == 0 || std::memcmp(tag, "Info", 4) == 0;
}

// Decodes an encoded file and checks it against the clip: same rate and
// channels, and with the tag's delay and padding, the very same length.
void ExpectFaithfulRingtone(const std::wstring& mp3, const AudioClip& clip)
{
    TempPath wav(L".wav");
    ASSERT_TRUE(DecodeToWav(wav, mp3, nullptr));
    PcmWav got;
    ASSERT_TRUE(test::ReadPcmWav(wav, got));
    EXPECT_EQ(int(got.rate), clip.buffer.rate);
    EXPECT_EQ(got.channels, clip.buffer.channels);
    EXPECT_EQ(int(got.Frames()), clip.buffer.frames);
    EXPECT_GT(test::Correlation(got.samples, Interleaved(clip)), 0.95);
}

Mp3Encoder& Lame()
{
    Mp3Encoder& encoder = Mp3Encoder::Instance();
    EXPECT_TRUE(encoder.IsUsable()) << "lame_enc.dll did not load";
    return encoder;
}

// Every rate an MP3 song can have, mono and stereo. The library keeps the
// song's rate: MPEG-1 carries 32 to 48 kHz with 128 to 192 kbit/s; below that
// the library writes MPEG-2 (16 to 24 kHz, its bitrates end at 160) and
// MPEG-2.5 (8 to 12 kHz, at most 64 kbit/s here).
struct RateCase {
    int32_t rate;
    int channels;
};

class EncoderRates : public testing::TestWithParam<RateCase> {};

TEST_P(EncoderRates, GiveAValidRingtoneAtTheSongsRate)
{
    const RateCase c = GetParam();
    AudioClip clip;
    MakeTone(clip, c.channels, c.rate, c.rate * 3 / 2 + 7);
    TempPath out(L".mp3");
    RecordingRange progress;
    progress.Init(1000, 0);
    ASSERT_TRUE(Lame().Encode(out, clip, &progress));
    EXPECT_EQ(progress.Position(), 1000u);
    EXPECT_FALSE(progress.IsFailed());

    const std::vector<uint8_t> file = test::ReadAll(out);
    EXPECT_TRUE(HasInfoTag(file));
    const std::vector<Frame> frames = Frames(file);
    ASSERT_GT(frames.size(), 10u);
    const int version = c.rate >= 32000 ? 10 : c.rate >= 16000 ? 20 : 25;
    const int lowest = version == 25 ? 64 : 128, highest = version == 10 ? 192 : version == 20 ? 160 : 64;
    for (size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "frame " << i);
        EXPECT_EQ(frames[i].version, version);
        EXPECT_EQ(frames[i].rate, c.rate);
        EXPECT_EQ(frames[i].mode, c.channels == 1 ? 3 : 1);  // mono stays mono, stereo is joint stereo
        EXPECT_LE(frames[i].kbps, highest);
        // The tag frame has a size of its own, and the last one, padding
        // after the end, may be silence at the smallest size.
        if (i > 0 && i + 1 < frames.size()) {
            EXPECT_GE(frames[i].kbps, lowest);
        }
    }
    ExpectFaithfulRingtone(out, clip);
}

INSTANTIATE_TEST_SUITE_P(Mp3Encoder, EncoderRates,
                         testing::Values(RateCase{8000, 1}, RateCase{8000, 2}, RateCase{11025, 2},
                                         RateCase{12000, 1}, RateCase{16000, 2}, RateCase{22050, 1},
                                         RateCase{22050, 2}, RateCase{24000, 1}, RateCase{32000, 2},
                                         RateCase{44100, 1}, RateCase{44100, 2}, RateCase{48000, 1}),
                         [](const testing::TestParamInfo<RateCase>& info) {
                             return std::to_string(info.param.rate) + (info.param.channels == 1 ? "Mono" : "Stereo");
                         });

// Forwards to the real library and records what passes between it and the
// encoder.
struct Spy {
    static Mp3EncoderApi real;
    static std::vector<std::string> calls;
    static DWORD allowedSamples, bufferBytes;
    static std::vector<DWORD> chunkSamples;
    static std::vector<uint8_t> returned;  // every byte the library handed out, in order
    static std::vector<short> firstChunk;
    static std::vector<std::string> tagPaths;
    static int failChunk;  // the chunk (from 1) whose encoding fails
    static bool failInit;

    static void Reset()
    {
        real = Mp3Encoder::Instance().Api();
        calls.clear();
        allowedSamples = bufferBytes = 0;
        chunkSamples.clear();
        returned.clear();
        firstChunk.clear();
        tagPaths.clear();
        failChunk = 0;
        failInit = false;
    }

    static BE_ERR __cdecl Init(BE_CONFIG* config, DWORD* samples, DWORD* bytes, HBE_STREAM* stream)
    {
        calls.push_back("init");
        if (failInit) return 2;
        const BE_ERR r = real.beInitStream(config, samples, bytes, stream);
        allowedSamples = *samples;
        bufferBytes = *bytes;
        return r;
    }
    static BE_ERR __cdecl Encode(HBE_STREAM stream, DWORD n, short* input, BYTE* output, DWORD* bytes)
    {
        calls.push_back("encode");
        chunkSamples.push_back(n);
        if (firstChunk.empty()) firstChunk.assign(input, input + n);
        if (int(chunkSamples.size()) == failChunk) {
            *bytes = 0;
            return 5;
        }
        const BE_ERR r = real.beEncodeChunk(stream, n, input, output, bytes);
        returned.insert(returned.end(), output, output + *bytes);
        return r;
    }
    static BE_ERR __cdecl Deinit(HBE_STREAM stream, BYTE* output, DWORD* bytes)
    {
        calls.push_back("deinit");
        const BE_ERR r = real.beDeinitStream(stream, output, bytes);
        returned.insert(returned.end(), output, output + *bytes);
        return r;
    }
    static BE_ERR __cdecl Close(HBE_STREAM stream)
    {
        calls.push_back("close");
        return real.beCloseStream(stream);
    }
    static BE_ERR __cdecl VbrHeader(const char* path)
    {
        calls.push_back("vbrheader");
        tagPaths.push_back(path);
        return real.beWriteVBRHeader(path);
    }
    static BE_ERR __cdecl InfoTag(HBE_STREAM stream, const char* path)
    {
        calls.push_back("infotag");
        tagPaths.push_back(path);
        return real.beWriteInfoTag(stream, path);
    }

    static Mp3EncoderApi Api()
    {
        return Mp3EncoderApi{&Init, &Encode, &Deinit, &Close, &VbrHeader, &InfoTag};
    }
};

Mp3EncoderApi Spy::real;
std::vector<std::string> Spy::calls;
DWORD Spy::allowedSamples, Spy::bufferBytes;
std::vector<DWORD> Spy::chunkSamples;
std::vector<uint8_t> Spy::returned;
std::vector<short> Spy::firstChunk;
std::vector<std::string> Spy::tagPaths;
int Spy::failChunk;
bool Spy::failInit;

using Calls = std::vector<std::string>;

TEST(Mp3Encoder, ShortClipIsOneChunkAndTheFileHoldsWhatTheLibraryReturned)
{
    Spy::Reset();
    Mp3Encoder encoder(Spy::Api());
    AudioClip clip;
    MakeTone(clip, 2, 44100, 500);
    TempPath out(L".mp3");
    ASSERT_TRUE(encoder.Encode(out, clip, nullptr));
    EXPECT_EQ(Spy::calls, (Calls{"init", "encode", "deinit", "close", "infotag"}));
    ASSERT_EQ(Spy::chunkSamples, std::vector<DWORD>{1000});
    EXPECT_LT(1000u, Spy::allowedSamples);

    // The tag rewrites the first frame in place; everything else is byte for
    // byte what the library returned.
    const std::vector<uint8_t> file = test::ReadAll(out);
    ASSERT_EQ(file.size(), Spy::returned.size());
    Frame first;
    ASSERT_TRUE(ParseFrame(file.data(), first));
    EXPECT_TRUE(std::equal(file.begin() + first.bytes, file.end(), Spy::returned.begin() + first.bytes));
    EXPECT_TRUE(HasInfoTag(file));
    ExpectFaithfulRingtone(out, clip);
}

TEST(Mp3Encoder, LongClipsGoInChunksTheLibraryAllows)
{
    Spy::Reset();
    Mp3Encoder encoder(Spy::Api());
    AudioClip clip;
    MakeTone(clip, 1, 22050, 576 * 7 + 100);
    TempPath out(L".mp3");
    RecordingRange progress;
    progress.Init(100, 0);
    ASSERT_TRUE(encoder.Encode(out, clip, &progress));
    // MPEG-2 frames hold 576 samples: seven full chunks and the rest.
    EXPECT_EQ(Spy::allowedSamples, 576u);
    EXPECT_EQ(Spy::chunkSamples, (std::vector<DWORD>{576, 576, 576, 576, 576, 576, 576, 100}));
    EXPECT_EQ(Spy::calls.front(), "init");
    EXPECT_EQ(Calls(Spy::calls.end() - 3, Spy::calls.end()), (Calls{"deinit", "close", "infotag"}));
    EXPECT_EQ(test::SizeOf(out), Spy::returned.size());
    // One report per chunk, rising to the end.
    ASSERT_EQ(progress.positions.size(), 8u);
    EXPECT_EQ(progress.positions.back(), 100u);
    ExpectFaithfulRingtone(out, clip);
}

TEST(Mp3Encoder, SamplesReachTheLibraryFiniteAndInRange)
{
    Spy::Reset();
    Mp3Encoder encoder(Spy::Api());
    AudioClip clip;
    ASSERT_TRUE(clip.CreateSilent(false, 8, 44100));
    const float inf = std::numeric_limits<float>::infinity();
    const float values[8] = {std::nanf(""), inf, -inf, 2.0f, -2.0f, 1.0f, -1.0f, 0.5f};
    ASSERT_TRUE(clip.buffer.Channel(0).ForEachRun(0, 8, [&](float* run, int32_t n, int32_t index) {
        for (int32_t k = 0; k < n; ++k) run[k] = values[index + k];
    }));
    TempPath out(L".mp3");
    ASSERT_TRUE(encoder.Encode(out, clip, nullptr));
    EXPECT_EQ(Spy::firstChunk, (std::vector<short>{0, 32767, -32768, 32767, -32768, 32767, -32767, 16384}));
}

TEST(Mp3Encoder, LibraryWithoutInfoTagWriterWritesTheVbrHeader)
{
    Spy::Reset();
    Mp3EncoderApi api = Spy::Api();
    api.beWriteInfoTag = nullptr;
    Mp3Encoder encoder(api);
    AudioClip clip;
    MakeTone(clip, 2, 48000, 30000);
    TempPath out(L".mp3");
    ASSERT_TRUE(encoder.Encode(out, clip, nullptr));
    EXPECT_EQ(Calls(Spy::calls.end() - 2, Spy::calls.end()), (Calls{"close", "vbrheader"}));
    EXPECT_TRUE(HasInfoTag(test::ReadAll(out)));
    ExpectFaithfulRingtone(out, clip);
}

TEST(Mp3Encoder, UnicodeOutputNamesGetTheirTag)
{
    test::TempDir dir;
    const std::wstring folder = dir.File(L"Мелодии 铃声");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring path = folder + L"\\Звонок ☎ 电话.mp3";
    EXPECT_EQ(AnsiFileName(path, false), "") << "this name has no ANSI form here";

    Spy::Reset();
    Mp3Encoder encoder(Spy::Api());
    AudioClip clip;
    MakeTone(clip, 2, 44100, 44100);
    ASSERT_TRUE(encoder.Encode(path, clip, nullptr));
    ASSERT_EQ(Spy::tagPaths.size(), 1u);
    const std::vector<uint8_t> file = test::ReadAll(path);
    EXPECT_TRUE(HasInfoTag(file));
    ExpectFaithfulRingtone(path, clip);
}

TEST(Mp3Encoder, TagOfANameWithoutAnsiFormGoesThroughACopy)
{
    // Driving the library by hand up to the tag, for a name that has neither
    // an ANSI form nor (here, by choice) a short one.
    test::TempDir dir;
    const std::wstring path = dir.File(L"Рингтон 铃声.mp3");
    AudioClip clip;
    MakeTone(clip, 1, 32000, 20000);
    const Mp3EncoderApi& lame = Lame().Api();
    BE_CONFIG config;
    Mp3Encoder::FillConfig(config, 1, 32000);
    DWORD samples = 0, bytes = 0;
    HBE_STREAM stream = nullptr;
    ASSERT_EQ(lame.beInitStream(&config, &samples, &bytes, &stream), BE_ERR_SUCCESSFUL);
    std::vector<short> input(samples);
    std::vector<BYTE> output(bytes);
    std::vector<uint8_t> file;
    for (int32_t at = 0; at < clip.buffer.frames;) {
        const int32_t n = clip.buffer.FillInterleaved16(input.data(), at, int32_t(samples));
        at += n;
        DWORD got = 0;
        ASSERT_EQ(lame.beEncodeChunk(stream, DWORD(n), input.data(), output.data(), &got), BE_ERR_SUCCESSFUL);
        file.insert(file.end(), output.begin(), output.begin() + got);
    }
    DWORD got = 0;
    ASSERT_EQ(lame.beDeinitStream(stream, output.data(), &got), BE_ERR_SUCCESSFUL);
    file.insert(file.end(), output.begin(), output.begin() + got);
    lame.beCloseStream(stream);
    ASSERT_TRUE(test::WriteAll(path, file.data(), file.size()));
    EXPECT_FALSE(HasInfoTag(file));

    const int temps = test::CountTempFiles(L"~Ve*");
    EXPECT_TRUE(WriteInfoTag(lame.beWriteInfoTag, stream, path, false));
    EXPECT_EQ(test::CountTempFiles(L"~Ve*"), temps);
    const std::vector<uint8_t> tagged = test::ReadAll(path);
    ASSERT_EQ(tagged.size(), file.size());
    EXPECT_TRUE(HasInfoTag(tagged));
    Frame first;
    ASSERT_TRUE(ParseFrame(tagged.data(), first));
    EXPECT_TRUE(std::equal(tagged.begin() + first.bytes, tagged.end(), file.begin() + first.bytes));
    ExpectFaithfulRingtone(path, clip);
}

TEST(Mp3Encoder, LibraryFailuresAndCancellingFailAndLetTheStreamGo)
{
    AudioClip clip;
    MakeTone(clip, 2, 44100, 44100);
    const int temps = test::CountTempFiles(L"~Ve*");
    {
        Spy::Reset();
        Spy::failChunk = 2;
        Mp3Encoder encoder(Spy::Api());
        TempPath out(L".mp3");
        RecordingRange progress;
        progress.Init(100, 0);
        EXPECT_FALSE(encoder.Encode(out, clip, &progress));
        EXPECT_TRUE(progress.IsFailed());
        // Closed, then let go through a tag written into a throwaway file.
        EXPECT_EQ(Spy::calls, (Calls{"init", "encode", "encode", "close", "infotag"}));
        ASSERT_EQ(Spy::tagPaths.size(), 1u);
        EXPECT_NE(Spy::tagPaths[0].find("~Ve"), std::string::npos);
    }
    {
        Spy::Reset();
        Mp3Encoder encoder(Spy::Api());
        TempPath out(L".mp3");
        RecordingRange progress;
        progress.Init(100, 0);
        progress.cancelAbove = 20;
        EXPECT_FALSE(encoder.Encode(out, clip, &progress));
        EXPECT_TRUE(progress.IsFailed());
        EXPECT_LT(Spy::chunkSamples.size(), 38u);
        EXPECT_EQ(Calls(Spy::calls.end() - 2, Spy::calls.end()), (Calls{"close", "infotag"}));
    }
    {
        // A stream that never opened is not touched again.
        Spy::Reset();
        Spy::failInit = true;
        Mp3Encoder encoder(Spy::Api());
        TempPath out(L".mp3");
        EXPECT_FALSE(encoder.Encode(out, clip, nullptr));
        EXPECT_EQ(Spy::calls, Calls{"init"});
    }
    EXPECT_EQ(test::CountTempFiles(L"~Ve*"), temps);
}

TEST(Mp3Encoder, NothingToEncodeOrNoLibraryFailsBeforeTheFileExists)
{
    AudioClip clip;
    MakeTone(clip, 1, 44100, 1000);
    TempPath out(L".mp3");
    RecordingRange progress;
    progress.Init(100, 0);
    Mp3Encoder none{Mp3EncoderApi{}};
    EXPECT_FALSE(none.IsUsable());
    EXPECT_FALSE(none.Encode(out, clip, &progress));
    EXPECT_TRUE(progress.IsFailed());
    EXPECT_FALSE(test::Exists(out));

    Mp3Encoder& lame = Lame();
    AudioClip empty;
    EXPECT_FALSE(lame.Encode(out, empty, nullptr));
    EXPECT_FALSE(lame.Encode(L"", clip, nullptr));
    RecordingRange cancelled;
    cancelled.Init(100, 0);
    cancelled.Cancel();
    EXPECT_FALSE(lame.Encode(out, clip, &cancelled));
    EXPECT_FALSE(test::Exists(out));
}

// Run twice: by the suite, it copies the test program into a folder without
// lame_enc.dll and runs this same test there, where the other branch checks
// that the encoder cannot load and fails before creating its output.
TEST(Mp3EncoderLibrary, MissingFromBothPlacesFailsBeforeTheFileExists)
{
    wchar_t marker[MAX_PATH];
    if (GetEnvironmentVariableW(L"VORLUNE_NO_LAME_MARKER", marker, MAX_PATH)) {
        ASSERT_EQ(LoadLibraryW(L"lame_enc.dll"), nullptr) << "the library is still on the search path";
        Mp3Encoder& encoder = Mp3Encoder::Instance();
        EXPECT_FALSE(encoder.IsUsable());
        AudioClip clip;
        MakeTone(clip, 2, 44100, 1000);
        TempPath out(L".mp3");
        RecordingRange progress;
        progress.Init(100, 0);
        EXPECT_FALSE(encoder.Encode(out, clip, &progress));
        EXPECT_TRUE(progress.IsFailed());
        EXPECT_FALSE(test::Exists(out));
        if (!HasFailure()) test::WriteAll(marker, "ran", 3);
        return;
    }

    test::TempDir dir;
    wchar_t self[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    const std::wstring copy = dir.File(L"vorlune_tests.exe"), done = dir.File(L"ran.txt");
    ASSERT_TRUE(CopyFileW(self, copy.c_str(), TRUE));
    ASSERT_FALSE(test::Exists(dir.File(L"lame_enc.dll")));

    ASSERT_TRUE(SetEnvironmentVariableW(L"VORLUNE_NO_LAME_MARKER", done.c_str()));
    const test::ChildResult child =
        test::RunChild(copy, L"--gtest_filter=Mp3EncoderLibrary.MissingFromBothPlacesFailsBeforeTheFileExists",
                       dir.Path());
    SetEnvironmentVariableW(L"VORLUNE_NO_LAME_MARKER", nullptr);
    ASSERT_TRUE(child.started) << child.problem;
    ASSERT_TRUE(child.finished) << child.problem;
    EXPECT_EQ(child.exitCode, 0u) << child.output;
    // The child really ran the test, not an empty filter.
    EXPECT_TRUE(test::Exists(done));
}

}  // namespace
}  // namespace vorlune
