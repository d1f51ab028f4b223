// How paths are tidied, made absolute and taken apart.

#include "io/PathText.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

#include "app/Step3Page.h"
#include "support/TempDir.h"

namespace vorlune {
namespace {

struct Case {
    std::wstring (*rule)(const std::wstring&);
    std::wstring in, out;
};

TEST(PathText, TidyCanonicalAndPartsFollowTheirRules)
{
    test::TempDir dir;  // an existing directory, "\" added when it is named
    const std::wstring d = dir.Path();
    std::wstring slashed = d;
    for (wchar_t& c : slashed)
        if (c == L'\\') c = L'/';
    const Case cases[] = {
        {TidyPath, L" \t C:/Music/Song One.mp3 \r\n", L"C:\\Music\\Song One.mp3"},
        {TidyPath, L"  " + slashed + L" ", d + L"\\"},
        {TidyPath, d + L"\\", d + L"\\"},
        {TidyPath, L"\\\\server\\share\\a.mp3", L"\\\\server\\share\\a.mp3"},
        {TidyPath, L"C:\\Music\\.\\..\\a.mp3", L"C:\\Music\\.\\..\\a.mp3"},  // only tidied
        {CanonicalPath, L"C:\\Music\\.\\Old\\..\\a.mp3", L"C:\\Music\\a.mp3"},
        {CanonicalPath, L"C:/Music//Old\\\\\\a.mp3", L"C:\\Music\\Old\\a.mp3"},
        {CanonicalPath, L"\\\\\\server\\\\share\\a.mp3", L"\\\\server\\share\\a.mp3"},
        {CanonicalPath, slashed, d + L"\\"},
        {CanonicalPath, L"C:\\..\\a.mp3", L"C:\\a.mp3"},
        {MakeAbsolute, L"C:\\Music\\..\\a.mp3", L"C:\\Music\\..\\a.mp3"},  // absolute: as it is
        {MakeAbsolute, L"\\\\server\\share\\..\\a.mp3", L"\\\\server\\share\\..\\a.mp3"},
        {PathFileName, L"C:\\Music\\Song One.mp3", L"Song One.mp3"},
        {PathFileName, L"C:Song.mp3", L"Song.mp3"},
        {PathFileName, L"Song", L"Song"},
        {PathFileName, L"C:\\Music\\", L""},
        {PathTitle, L"C:\\Music\\a.b.mp3", L"a.b"},
        {PathTitle, L"C:\\Mu.sic\\readme", L"readme"},
        {PathExtension, L"C:\\Music\\Song.MP3", L"MP3"},
        {PathExtension, L"C:\\Mu.sic\\readme", L""},
        {PathExtension, L"C:\\Music\\Song.", L""},
    };
    for (const Case& c : cases) EXPECT_EQ(c.rule(c.in), c.out) << c.in;
}

// Restores the current directory when the test ends.
struct CurrentDirectoryGuard {
    CurrentDirectoryGuard()
    {
        saved.resize(::GetCurrentDirectoryW(0, nullptr));
        saved.resize(::GetCurrentDirectoryW(static_cast<DWORD>(saved.size()), saved.data()));
    }
    ~CurrentDirectoryGuard() { ::SetCurrentDirectoryW(saved.c_str()); }
    std::wstring saved;
};

TEST(PathText, RelativePathsJoinTheCurrentDirectoryWhateverItsLength)
{
    test::TempDir dir;
    CurrentDirectoryGuard guard;
    // Deep enough that the current directory is well past 270 characters.
    std::wstring deep = dir.Path();
    while (deep.size() <= 300) {
        deep += L"\\" + std::wstring(40, L'd') + L"\u00e9";
        ASSERT_TRUE(::CreateDirectoryW(deep.c_str(), nullptr)) << deep.size();
    }
    for (const std::wstring& cwd : {dir.Path(), deep}) {
        ASSERT_TRUE(::SetCurrentDirectoryW(cwd.c_str())) << cwd.size();
        EXPECT_EQ(MakeAbsolute(L"song.mp3"), cwd + L"\\song.mp3");
        EXPECT_EQ(MakeAbsolute(L"sub//song.mp3"), cwd + L"\\sub\\song.mp3");
        EXPECT_EQ(MakeAbsolute(L"sub\\..\\.\\song.mp3"), cwd + L"\\song.mp3");
    }
}

TEST(PathText, FoldersOutputProposalsAndOneFileUnderManyNames)
{
    const Case folders[] = {
        {Directory, L"C:\\Music\\Song.mp3", L"C:\\Music"},
        {Directory, L"C:\\Song.mp3", L"C:\\"},
        {Directory, L"\\Song.mp3", L"\\"},
        {Directory, L"C:Song.mp3", L"C:\\"},
        {Directory, L"Song.mp3", L"."},
        {Directory, L"\\\\server\\share\\a.mp3", L"\\\\server\\share"},
        {Directory, L"1:\\a.mp3", L"1:"},  // no drive letter: no root
    };
    for (const Case& c : folders) EXPECT_EQ(c.rule(c.in), c.out) << c.in;

    // The proposal takes the first free number beside the song.
    test::TempDir dir;
    const std::wstring song = dir.File(L"Song.mp3");
    ASSERT_TRUE(test::WriteFileBytes(song, "song"));
    EXPECT_EQ(Step3Page::UniqueOutputName(song), dir.File(L"Song (1).mp3"));
    ASSERT_TRUE(test::WriteFileBytes(dir.File(L"Song (1).mp3"), "taken"));
    ASSERT_TRUE(test::WriteFileBytes(dir.File(L"Song (2).MP3"), "taken"));
    EXPECT_EQ(Step3Page::UniqueOutputName(L"  " + song + L" "), dir.File(L"Song (3).mp3"));
    EXPECT_EQ(Step3Page::UniqueOutputName(L"Z:\\vorlune-no-such-song.mp3"), L"Z:\\vorlune-no-such-song (1).mp3");
    EXPECT_EQ(Step3Page::UniqueOutputName(L""), L"My Ringtone");

    // Spellings, a short name and a hard link of the song are the song; a
    // file beside it and a missing one are not.
    std::wstring upper = song;
    for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
    EXPECT_TRUE(SamePath(song, upper));
    EXPECT_TRUE(SamePath(song, dir.Path() + L"\\.\\x\\..\\song.MP3"));
    const std::wstring link = dir.File(L"A longer name for the song.mp3");
    ASSERT_TRUE(::CreateHardLinkW(link.c_str(), song.c_str(), nullptr));
    EXPECT_TRUE(SamePath(link, song));
    std::vector<wchar_t> shortName(32768);
    const DWORD got = ::GetShortPathNameW(link.c_str(), shortName.data(), 32768);
    if (got > 0 && got < 32768 && std::wstring(shortName.data()) != link) {
        EXPECT_TRUE(SamePath(song, shortName.data())) << shortName.data();
    }
    EXPECT_FALSE(SamePath(song, dir.File(L"Song (1).mp3")));
    EXPECT_FALSE(SamePath(song, dir.File(L"missing.mp3")));
    EXPECT_FALSE(SamePath(dir.File(L"missing.mp3"), dir.File(L"other.mp3")));
}

}  // namespace
}  // namespace vorlune
