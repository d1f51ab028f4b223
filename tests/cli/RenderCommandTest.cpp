#include "cli/RenderCommand.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/Mp3Decoder.h"
#include "audio/TagCopy.h"
#include "support/ChildProcess.h"
#include "support/Fixtures.h"
#include "support/TagDump.h"
#include "support/TempDir.h"

namespace vorlune::cli {
namespace {

TEST(RenderCommand, TimesInEveryWrittenForm)
{
    TimeArg t;
    ASSERT_TRUE(ParseTime(L"75", t));
    EXPECT_FALSE(t.percent);
    EXPECT_DOUBLE_EQ(t.value, 75);
    ASSERT_TRUE(ParseTime(L"1:15", t));
    EXPECT_DOUBLE_EQ(t.value, 75);
    ASSERT_TRUE(ParseTime(L"1:15.250", t));
    EXPECT_DOUBLE_EQ(t.value, 75.25);
    ASSERT_TRUE(ParseTime(L"1:02:03", t));
    EXPECT_DOUBLE_EQ(t.value, 3723);
    ASSERT_TRUE(ParseTime(L"25%", t));
    EXPECT_TRUE(t.percent);
    EXPECT_DOUBLE_EQ(t.value, 25);
    ASSERT_TRUE(ParseTime(L".5", t));
    EXPECT_DOUBLE_EQ(t.value, 0.5);
    for (const wchar_t* bad : {L"", L"-3", L"+3", L"1:75", L"1.5:10", L"1:2:3:4", L"abc", L"10s", L"101%", L"%",
                               L"1::2", L" 5", L"inf", L"nan"})
        EXPECT_FALSE(ParseTime(bad, t)) << bad;

    EXPECT_EQ(FormatTime(75.25), L"1:15.250");
    EXPECT_EQ(FormatTime(3723), L"1:02:03.000");
    EXPECT_EQ(FormatTime(0.0004), L"0:00.000");
}

TEST(RenderCommand, ArgumentsAndTheirErrors)
{
    RenderOptions o;
    std::wstring error;
    ASSERT_TRUE(ParseArguments({L"song.mp3", L"--start", L"10", L"out.mp3", L"--fade-in", L"--end", L"50%"}, o, error));
    EXPECT_EQ(o.song, L"song.mp3");
    EXPECT_EQ(o.output, L"out.mp3");
    EXPECT_TRUE(o.fadeIn);
    EXPECT_FALSE(o.fadeOut);
    EXPECT_DOUBLE_EQ(o.start.value, 10);
    EXPECT_TRUE(o.end.percent);

    ASSERT_TRUE(ParseArguments({L"--help"}, o, error));
    EXPECT_TRUE(o.help);
    EXPECT_FALSE(ParseArguments({L"song.mp3"}, o, error));
    EXPECT_FALSE(ParseArguments({L"a", L"b", L"c"}, o, error));
    EXPECT_FALSE(ParseArguments({L"a", L"b", L"--start"}, o, error));
    EXPECT_FALSE(ParseArguments({L"a", L"b", L"--start", L"soon"}, o, error));
    EXPECT_NE(error.find(L"soon"), std::wstring::npos);
    EXPECT_FALSE(ParseArguments({L"a", L"b", L"--loud"}, o, error));
    EXPECT_NE(error.find(L"--loud"), std::wstring::npos);
}

TEST(RenderCommand, SelectionAsFractionsOfTheSong)
{
    RenderOptions o;
    double a, b;
    std::wstring error;
    ASSERT_TRUE(SelectionFractions(o, 200, a, b, error));
    EXPECT_EQ(a, 0.0);
    EXPECT_EQ(b, 1.0);
    ParseTime(L"0:50", o.start);
    ParseTime(L"75%", o.end);
    ASSERT_TRUE(SelectionFractions(o, 200, a, b, error));
    EXPECT_DOUBLE_EQ(a, 0.25);
    EXPECT_DOUBLE_EQ(b, 0.75);
    ParseTime(L"10:00", o.end);  // past the end: to the end
    ASSERT_TRUE(SelectionFractions(o, 200, a, b, error));
    EXPECT_EQ(b, 1.0);
    ParseTime(L"40", o.end);
    EXPECT_FALSE(SelectionFractions(o, 200, a, b, error));
    ParseTime(L"3:20", o.start);
    EXPECT_FALSE(SelectionFractions(o, 200, a, b, error));
    EXPECT_FALSE(SelectionFractions(RenderOptions(), 0, a, b, error));
}

// The program itself, run as a separate process.
class RenderProgram : public testing::Test {
protected:
    test::ChildResult Run(const std::wstring& arguments)
    {
        return test::RunChild(test::FromBuildPath(VORLUNE_RENDER_EXE), arguments);
    }
    static std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }
};

TEST_F(RenderProgram, MakesARingtoneAndSaysWhatItMade)
{
    const std::wstring song = test::FixturePath(L"mp3\\render-stereo.mp3");
    ASSERT_FALSE(song.empty());
    // A path longer than MAX_PATH.
    test::TempDir dir;
    const std::wstring folder = dir.File(std::wstring(120, L'd'));
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring out = folder + L"\\" + std::wstring(140, L'r') + L" рингтон.mp3";
    const test::ChildResult r =
        Run(Quoted(song) + L" " + Quoted(out) + L" --start 0:05 --end 75% --fade-in --fade-out --verbose");
    ASSERT_TRUE(r.finished) << r.problem;
    EXPECT_EQ(r.exitCode, 0u) << r.output;
    EXPECT_NE(r.output.find("Ringtone: "), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("Size:     "), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("Size:     0.0 KB"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("Duration: 0:10.000 (44100 Hz, stereo)"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("Stages:"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("progress 100%"), std::string::npos) << r.output;  // plain lines: not a console

    test::PcmWav w;
    test::TempPath wav(L".wav");
    ASSERT_TRUE(DecodeToWav(wav, out, nullptr));
    ASSERT_TRUE(test::ReadPcmWav(wav, w));
    EXPECT_EQ(w.Frames(), 10u * 44100);
}

// A 42-second song with UTF-16 tags, a PNG back cover and a JPEG front cover,
// into a ringtone whose name is outside every ANSI code page: the ringtone
// carries the tags and both covers (the front one first), says what was
// copied, decodes to its own length, and gets a note for its length; a
// 30-second part gets none. --help names every tag that is copied.
TEST_F(RenderProgram, TheRingtoneCarriesTheSongsTagsAndCover)
{
    const std::wstring song = test::FixturePath(L"mp3\\tags-long.mp3");
    ASSERT_FALSE(song.empty());
    test::TempPath out(L" рингтон 铃声.mp3");
    test::ChildResult r = Run(Quoted(song) + L" " + Quoted(out) + L" --verbose");
    ASSERT_TRUE(r.finished) << r.problem;
    ASSERT_EQ(r.exitCode, 0u) << r.output;
    EXPECT_NE(r.output.find("Duration: 0:42.000 (44100 Hz, stereo); note: longer than 40 s"), std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find("Tags:     title, artist, album artist, album, year, track, genre, comment, composer, "
                            "2 pictures (from the song's ID3v2 tag)\n"),
              std::string::npos)
        << r.output;
    const test::TagDump got = test::DumpTags(out);
    test::ExpectCopiedTags(test::DumpTags(song), got);
    EXPECT_EQ(got.Get("samples"), std::to_string(42 * 44100)) << got.output;

    r = Run(Quoted(song) + L" " + Quoted(out) + L" --end 30");
    ASSERT_EQ(r.exitCode, 0u) << r.output;
    EXPECT_NE(r.output.find("Duration: 0:30.000 (44100 Hz, stereo)\n"), std::string::npos) << r.output;

    r = Run(L"--help");
    for (const std::wstring& name : TagCopy::Names())
        EXPECT_NE(r.output.find(std::string(name.begin(), name.end())), std::string::npos) << r.output;
}

TEST_F(RenderProgram, ClearErrorsAndExitCodes)
{
    const std::wstring song = test::FixturePath(L"mp3\\render-mono.mp3");
    test::TempPath out(L".mp3");
    struct Case {
        std::wstring arguments;
        DWORD code;
        const char* says;
    };
    const std::wstring missingFolder = test::TempDirectory() + L"no\\such\\folder\\out.mp3";
    const std::vector<Case> cases = {
        {L"", 2, "Usage:"},
        {Quoted(song), 2, "give the song and the output file"},
        {Quoted(song) + L" " + Quoted(out) + L" --start later", 2, "not a time: later"},
        {Quoted(song) + L" " + Quoted(out) + L" --start 20", 2, "past the end of the song"},
        {Quoted(song) + L" " + Quoted(out) + L" --start 5 --end 4", 2, "must come after"},
        {L"--help", 0, "130  stopped by Ctrl+C"},
        {Quoted(test::TempDirectory() + L"gone.mp3") + L" " + Quoted(out), 1, "cannot find the song"},
        {Quoted(test::FixturePath(L"mp3\\text.mp3")) + L" " + Quoted(out), 1, "not an MP3 song"},
        {Quoted(song) + L" " + Quoted(song), 1, "would overwrite the song"},
        {Quoted(song) + L" " + Quoted(missingFolder), 1, "folder for the ringtone does not exist"},
    };
    for (const Case& c : cases) {
        const test::ChildResult r = Run(c.arguments);
        ASSERT_TRUE(r.finished) << r.problem << ": " << std::string(c.arguments.begin(), c.arguments.end());
        EXPECT_EQ(r.exitCode, c.code) << r.output;
        EXPECT_NE(r.output.find(c.says), std::string::npos) << r.output;
    }
    EXPECT_FALSE(test::Exists(out));

    // A song another program holds without sharing it.
    test::TempPath held(L".mp3");
    ASSERT_TRUE(CopyFileW(song.c_str(), held.Path().c_str(), FALSE));
    HANDLE other = CreateFileW(held.Path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const test::ChildResult r = Run(Quoted(held) + L" " + Quoted(out));
    CloseHandle(other);
    EXPECT_EQ(r.exitCode, 1u) << r.output;
    EXPECT_NE(r.output.find("the song is in use by another program"), std::string::npos) << r.output;
}

TEST_F(RenderProgram, WithoutTheEncoderLibraryItSaysSo)
{
    // A copy of the program in a folder without lame_enc.dll.
    test::TempDir dir;
    const std::wstring exe = dir.File(L"vorlune-render.exe");
    ASSERT_TRUE(CopyFileW(test::FromBuildPath(VORLUNE_RENDER_EXE).c_str(), exe.c_str(), TRUE));
    const std::wstring song = test::FixturePath(L"mp3\\render-mono.mp3");
    const test::ChildResult r =
        test::RunChild(exe, L"\"" + song + L"\" \"" + dir.File(L"out.mp3") + L"\"", dir.Path());
    ASSERT_TRUE(r.finished) << r.problem;
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_NE(r.output.find("lame_enc.dll was not found"), std::string::npos) << r.output;
    EXPECT_FALSE(test::Exists(dir.File(L"out.mp3")));

    // A library in the current folder is never taken: it could be a plant.
    std::wstring buildFolder = test::FromBuildPath(VORLUNE_RENDER_EXE);
    buildFolder.resize(buildFolder.find_last_of(L'\\'));
    ASSERT_TRUE(test::Exists(buildFolder + L"\\lame_enc.dll"));
    const test::ChildResult planted =
        test::RunChild(exe, Quoted(song) + L" " + Quoted(dir.File(L"out.mp3")), buildFolder);
    EXPECT_EQ(planted.exitCode, 1u);
    EXPECT_NE(planted.output.find("lame_enc.dll was not found"), std::string::npos) << planted.output;
}

TEST_F(RenderProgram, AKilledRenderLeavesNoCopyOfTheSongBehind)
{
    // Killed as it encodes, the ringtone begun beside the old one, the song
    // in temporary files (in the folder the child shares with us).
    test::TempDir work;
    const std::wstring song = test::FixturePath(L"mp3\\long-44100-2.mp3");
    ASSERT_TRUE(test::WriteFileBytes(work.File(L"ring.mp3"), "old"));
    bool encoding = false;
    const test::ChildResult r = test::RunChild(
        test::FromBuildPath(VORLUNE_RENDER_EXE), Quoted(song) + L" " + Quoted(work.File(L"ring.mp3")) + L" --fade-in",
        {}, 120000, [&] { return encoding = test::Exists(work.File(L"~Ve001.mp3")); });
    ASSERT_TRUE(encoding) << r.output;
    // The system deletes them as it closes the dead process's handles.
    for (int i = 0; i < 200 && test::CountTempFiles(L"~Ve*"); ++i) Sleep(10);
    EXPECT_EQ(test::CountTempFiles(L"~Ve*"), 0);
    EXPECT_EQ(test::ReadFileBytes(work.File(L"ring.mp3")), "old");

    // The next render into the folder removes what the dead one left.
    ASSERT_EQ(Run(Quoted(song) + L" " + Quoted(work.File(L"new.mp3")) + L" --end 2").exitCode, 0u);
    EXPECT_FALSE(test::Exists(work.File(L"~Ve001.mp3")));
    EXPECT_TRUE(test::Exists(work.File(L"new.mp3")));
    EXPECT_EQ(test::ReadFileBytes(work.File(L"ring.mp3")), "old");
}

}  // namespace
}  // namespace vorlune::cli
