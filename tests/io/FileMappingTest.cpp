#include "io/MappedFile.h"

#include "tests/support/HandleCount.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace vorlune {
namespace {

class MappedFileTest : public testing::Test {
protected:
    test::TempDir dir;
    std::wstring path = dir.File(L"m\u00e4pped \u6f22 \U0001F3B5.tmp");
    const uint32_t granularity = AllocationGranularity();
};

bool ViewIsGone(void* address)
{
    MEMORY_BASIC_INFORMATION info{};
    return ::VirtualQuery(address, &info, sizeof info) == 0 || info.State == MEM_FREE;
}

TEST_F(MappedFileTest, WindowIsFourAllocationGranules)
{
    SYSTEM_INFO si;
    ::GetSystemInfo(&si);
    EXPECT_EQ(AllocationGranularity(), si.dwAllocationGranularity);
    EXPECT_EQ(MappedWindowSize(), 4 * si.dwAllocationGranularity);
}

TEST_F(MappedFileTest, ViewsStartOnTheGranularityAndOneAtATime)
{
    MappedFile file;
    ASSERT_TRUE(file.Open(path, CREATE_ALWAYS, 3ull * granularity));
    EXPECT_EQ(file.GetPath(), path);
    EXPECT_EQ(file.Capacity(), 3ull * granularity);
    EXPECT_EQ(test::FileLength(path), 3ll * granularity);  // the mapping extended the file

    const FileRange none = file.ViewRange();
    EXPECT_EQ(none.begin, ~0ull);
    EXPECT_EQ(none.end, ~0ull);
    EXPECT_FALSE(none.Contains(0, 1));

    EXPECT_EQ(file.MapView(granularity / 2, 16, MappedFile::kViewAccess), nullptr);
    EXPECT_EQ(file.View(), nullptr);
    EXPECT_EQ(file.ViewsMapped(), 0u);

    auto* first = static_cast<char*>(file.MapView(granularity, 100, MappedFile::kViewAccess));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(file.ViewRange().begin, granularity);
    EXPECT_EQ(file.ViewRange().end, granularity + 100ull);
    std::memcpy(first, "mapped", 6);
    EXPECT_EQ(file.MapView(0, 100, MappedFile::kViewAccess), nullptr);  // one view only

    // Length 0 runs to the end of the mapping.
    auto* whole = static_cast<char*>(file.RemapView(0, 0, MappedFile::kViewAccess));
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(file.ViewLength(), 3 * granularity);
    EXPECT_EQ(std::string(whole + granularity, 6), "mapped");
    EXPECT_EQ(file.ViewsMapped(), 2u);

    ASSERT_TRUE(file.CloseAll());
    EXPECT_TRUE(ViewIsGone(whole));
    EXPECT_EQ(file.Capacity(), 0u);
    EXPECT_TRUE(file.GetPath().empty());
    EXPECT_EQ(file.RemapView(0, 0, MappedFile::kViewAccess), nullptr);
    EXPECT_EQ(test::ReadFileBytes(path).substr(granularity, 6), "mapped");
}

TEST_F(MappedFileTest, ResizeGrowsTheFileAndDropsTheView)
{
    ASSERT_TRUE(test::WriteFileBytes(path, "abc"));
    MappedFile file;
    ASSERT_TRUE(file.File().Open(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
    ASSERT_TRUE(file.CreateMappingOverFile(0, nullptr));
    EXPECT_EQ(file.Capacity(), 3u);  // the file's own size
    EXPECT_FALSE(file.CreateMappingOverFile(10, nullptr));  // one mapping at a time
    ASSERT_NE(file.MapView(0, 0, MappedFile::kViewAccess), nullptr);

    ASSERT_TRUE(file.Resize(2ull * granularity, nullptr));
    EXPECT_EQ(file.View(), nullptr);
    EXPECT_EQ(file.Capacity(), 2ull * granularity);
    EXPECT_EQ(test::FileLength(path), 2ll * granularity);
    auto* view = static_cast<char*>(file.MapView(granularity, 0, MappedFile::kViewAccess));
    ASSERT_NE(view, nullptr);
    view[granularity - 1] = 'z';
    EXPECT_TRUE(file.CloseAll());
    const std::string bytes = test::ReadFileBytes(path);
    EXPECT_EQ(bytes.substr(0, 3), "abc");
    EXPECT_EQ(bytes.back(), 'z');
}

TEST_F(MappedFileTest, RefusesWhatCannotBeMapped)
{
    MappedFile file;
    EXPECT_FALSE(file.CreateMappingOverFile(4096, nullptr));  // no file
    EXPECT_FALSE(file.CreateMapping(nullptr, 4096, PAGE_READWRITE, nullptr));
    EXPECT_FALSE(file.CreateMapping(INVALID_HANDLE_VALUE, 4096, PAGE_READWRITE, nullptr));
    EXPECT_EQ(file.MapView(0, 0, MappedFile::kViewAccess), nullptr);
    EXPECT_TRUE(file.CloseMapping());  // nothing to close

    // An empty file cannot be mapped at its own size; the file is closed again.
    ASSERT_TRUE(test::WriteFileBytes(path, ""));
    const int64_t before = test::CountOwnHandles();
    EXPECT_FALSE(file.Open(path, OPEN_EXISTING, 0));
    EXPECT_FALSE(file.File().IsOpen());
    EXPECT_TRUE(file.GetPath().empty());
    EXPECT_EQ(test::CountOwnHandles(), before);
    EXPECT_FALSE(file.Open(dir.File(L"no\\such\\dir"), CREATE_ALWAYS, 4096));
}

TEST_F(MappedFileTest, NothingOutlivesItsOwner)
{
    const int64_t before = test::CountOwnHandles();
    void* view = nullptr;
    {
        MappedFile file;
        ASSERT_TRUE(file.Open(path, CREATE_ALWAYS, granularity));
        view = file.MapView(0, 0, MappedFile::kViewAccess);
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(test::CountOwnHandles(), before + 2);  // file and mapping
        EXPECT_FALSE(test::CanOpenExclusively(path));
    }
    EXPECT_EQ(test::CountOwnHandles(), before);
    EXPECT_TRUE(ViewIsGone(view));
    EXPECT_TRUE(test::CanOpenExclusively(path));

    // A mapping without its file handle still holds the file through its view.
    {
        FileMapping mapping;
        FileHandle handle;
        ASSERT_TRUE(handle.Open(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
        ASSERT_TRUE(mapping.CreateMapping(handle.Get(), 0, PAGE_READWRITE, nullptr));
        view = mapping.MapView(0, 0, FILE_MAP_READ);
        ASSERT_NE(view, nullptr);
        handle.Close();
        EXPECT_FALSE(test::CanOpenExclusively(path));
    }
    EXPECT_TRUE(ViewIsGone(view));
    EXPECT_TRUE(test::CanOpenExclusively(path));
    EXPECT_EQ(test::CountOwnHandles(), before);
}

}  // namespace
}  // namespace vorlune
