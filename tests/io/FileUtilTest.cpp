#include "io/FileFinder.h"
#include "io/FileUtil.h"
#include "io/WriteErrors.h"

#include "tests/support/HandleCount.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace vorlune {
namespace {

class FileUtilTest : public testing::Test {
protected:
    test::TempDir dir;
    std::wstring path = dir.File(L"\u00fctil \u6f22 \U0001F3B5.bin");
};

TEST_F(FileUtilTest, FileExistsForFilesAndDirectoriesOnly)
{
    ASSERT_TRUE(test::WriteFileBytes(path, "x"));
    EXPECT_TRUE(FileExists(path));
    EXPECT_TRUE(FileExists(dir.Path()));
    EXPECT_FALSE(FileExists(dir.File(L"missing")));
    EXPECT_FALSE(FileExists(dir.File(L"missing\\deeper")));
    EXPECT_FALSE(FileExists(L""));
}

TEST_F(FileUtilTest, FileExistsLeavesTheErrorModeAsItWas)
{
    const UINT before = ::GetThreadErrorMode();
    ::SetThreadErrorMode(0, nullptr);
    FileExists(path);
    EXPECT_EQ(::GetThreadErrorMode(), 0u);
    ::SetThreadErrorMode(before, nullptr);
}

TEST_F(FileUtilTest, SizeByNameCoversSixtyFourBitsAndExclusivelyHeldFiles)
{
    EXPECT_EQ(GetFileSizeByName(dir.File(L"missing")), 0u);
    EXPECT_EQ(GetFileSizeByName(L""), 0u);

    const uint64_t fiveGiB = 5ull << 30;
    ASSERT_TRUE(test::MakeSparseFile(path, fiveGiB + 3));
    EXPECT_EQ(GetFileSizeByName(path), fiveGiB + 3);

    HANDLE held = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSizeByName(path), fiveGiB + 3);
    ::CloseHandle(held);
}

TEST_F(FileUtilTest, TruncateCutsAndExtendsButRefusesANegativeLength)
{
    ASSERT_TRUE(test::WriteFileBytes(path, "0123456789"));
    EXPECT_FALSE(TruncateFile(path, -1));
    EXPECT_FALSE(TruncateFile(path, INT64_MIN));
    EXPECT_EQ(test::ReadFileBytes(path), "0123456789");

    EXPECT_TRUE(TruncateFile(path, 4));
    EXPECT_EQ(test::ReadFileBytes(path), "0123");
    EXPECT_TRUE(TruncateFile(path, 6));
    EXPECT_EQ(test::ReadFileBytes(path), std::string("0123\0\0", 6));
    EXPECT_TRUE(TruncateFile(path, 0));
    EXPECT_EQ(test::FileLength(path), 0);

    // Beyond 32 bits: the high part of the length is honoured.
    EXPECT_TRUE(TruncateFile(path, (4ll << 30) + 1));
    EXPECT_EQ(test::FileLength(path), (4ll << 30) + 1);
    EXPECT_TRUE(TruncateFile(path, 2));

    EXPECT_FALSE(TruncateFile(dir.File(L"missing"), 0));
    EXPECT_FALSE(::GetFileAttributesW(dir.File(L"missing").c_str()) != INVALID_FILE_ATTRIBUTES);

    const int64_t before = test::CountOwnHandles();
    HANDLE held = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(TruncateFile(path, 0));
    ::CloseHandle(held);
    EXPECT_EQ(test::FileLength(path), 2);
    EXPECT_EQ(test::CountOwnHandles(), before);  // closed on every path
}

// Room a mapped view will be written into is claimed on the disk, not left a
// hole to fault on; a disk without it refuses up front and the file stays.
TEST_F(FileUtilTest, ReserveSpaceClaimsTheRoomOrFailsUpFront)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(ReserveSpace(file, 1 << 20));
    FILE_STANDARD_INFO info{};
    ASSERT_TRUE(::GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof info));
    EXPECT_EQ(info.EndOfFile.QuadPart, 1 << 20);
    EXPECT_GE(info.AllocationSize.QuadPart, 1 << 20);

    ClearWriteErrors();
    LimitWrites(4096, ERROR_DISK_FULL);
    EXPECT_FALSE(ReserveSpace(file, 2 << 20));
    UnlimitWrites();
    EXPECT_EQ(FirstWriteError(), DWORD(ERROR_DISK_FULL));
    ::CloseHandle(file);
    EXPECT_EQ(test::FileLength(path), 1 << 20);
}

TEST_F(FileUtilTest, FindFirstSplitsTheDirectoryFromTheName)
{
    ASSERT_TRUE(test::WriteFileBytes(dir.File(L"song.mp3"), "12345"));
    FileFinder finder;
    EXPECT_FALSE(finder.Found());
    ASSERT_TRUE(finder.FindFirst(dir.File(L"*.mp3").c_str()));
    EXPECT_TRUE(finder.Found());
    EXPECT_STREQ(finder.Data().cFileName, L"song.mp3");
    EXPECT_EQ(finder.FileSize(), 5u);
    EXPECT_EQ(std::wstring(finder.Directory()), dir.Path());
    EXPECT_EQ(finder.Separator(), L'\\');
    EXPECT_EQ(finder.FoundPath(), dir.File(L"song.mp3"));

    EXPECT_FALSE(finder.FindFirst(dir.File(L"*.wav").c_str()));
    EXPECT_FALSE(finder.Found());
}

TEST_F(FileUtilTest, FindFirstResolvesRelativeAndNullPatternsAgainstTheCurrentDirectory)
{
    ASSERT_TRUE(test::WriteFileBytes(dir.File(L"only.txt"), "1"));
    wchar_t old[MAX_PATH];
    ASSERT_GT(::GetCurrentDirectoryW(MAX_PATH, old), 0u);
    ASSERT_TRUE(::SetCurrentDirectoryW(dir.Path().c_str()));

    FileFinder finder;
    const bool relative = finder.FindFirst(L"only.txt");
    const std::wstring relativeDir = finder.Directory();
    const bool null = finder.FindFirst(nullptr);
    const std::wstring nullDir = finder.Directory();
    finder.Close();
    ::SetCurrentDirectoryW(old);

    EXPECT_TRUE(relative);
    EXPECT_EQ(relativeDir, dir.Path());
    ASSERT_TRUE(null);
    EXPECT_EQ(nullDir, dir.Path());
}

TEST_F(FileUtilTest, FindFirstRefusesPatternsOfMaxPathUnits)
{
    FileFinder finder;
    std::wstring pattern = dir.Path() + L"\\";
    pattern.append(MAX_PATH - pattern.size(), L'a');
    ASSERT_EQ(pattern.size(), 260u);
    ::SetLastError(12345);
    EXPECT_FALSE(finder.FindFirst(pattern.c_str()));
    EXPECT_EQ(::GetLastError(), 12345u);  // refused before any system call
    pattern.pop_back();
    EXPECT_FALSE(finder.FindFirst(pattern.c_str()));
    EXPECT_NE(::GetLastError(), 12345u);  // this one reached the system
}

TEST_F(FileUtilTest, ASearchIsClosedWhenReplacedOrDestroyed)
{
    ASSERT_TRUE(test::WriteFileBytes(path, "1"));
    const std::wstring pattern = dir.File(L"*");
    const int64_t before = test::CountOwnHandles();
    {
        FileFinder finder;
        ASSERT_TRUE(finder.FindFirst(pattern.c_str()));
        const int64_t searching = test::CountOwnHandles();
        ASSERT_GT(searching, before);  // a search holds the directory open
        ASSERT_TRUE(finder.FindFirst(pattern.c_str()));
        EXPECT_EQ(test::CountOwnHandles(), searching);
        EXPECT_EQ(GetFileSizeByName(path), 1u);
        EXPECT_EQ(test::CountOwnHandles(), searching);
    }
    EXPECT_EQ(test::CountOwnHandles(), before);
}

}  // namespace
}  // namespace vorlune
