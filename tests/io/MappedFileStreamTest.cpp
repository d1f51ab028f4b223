#include "io/MappedFileStream.h"

#include "io/FileUtil.h"
#include "io/WriteErrors.h"
#include "tests/support/HandleCount.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vorlune {
namespace {

class MappedFileStreamTest : public testing::Test {
protected:
    test::TempDir dir;
    std::wstring path = dir.File(L"str\u00ebam \u6f22 \U0001F3B5.wav");
    const uint32_t W = MappedWindowSize();

    static std::string Pattern(size_t n, unsigned seed)
    {
        std::string s(n, '\0');
        for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 131 + seed) >> 3);
        return s;
    }
    static uint64_t ViewBegin(const MappedFileStream& s) { return s.File().ViewRange().begin; }
    static uint64_t ViewEnd(const MappedFileStream& s) { return s.File().ViewRange().end; }
};

TEST_F(MappedFileStreamTest, SmallWriteKeepsTheInitialCapacityAndCloseTrims)
{
    MappedFileStream s;
    ASSERT_TRUE(s.Create(path, MappedFileStream::kInitialCapacity));
    EXPECT_TRUE(s.IsOpen());
    EXPECT_EQ(s.GetSize(), 0u);
    EXPECT_EQ(s.Write("0123456789", 1, 10), 10u);
    EXPECT_EQ(s.File().Capacity(), 4096u);
    EXPECT_EQ(GetFileSizeByName(path), 4096u);  // while open the file is the capacity
    EXPECT_EQ(s.GetSize(), 10u);
    EXPECT_TRUE(s.Flush());
    EXPECT_TRUE(s.Close());
    EXPECT_FALSE(s.IsOpen());
    EXPECT_EQ(s.GetSize(), 0u);
    EXPECT_EQ(test::ReadFileBytes(path), "0123456789");
}

TEST_F(MappedFileStreamTest, GrowthIsInWholeWindows)
{
    MappedFileStream s;
    ASSERT_TRUE(s.Create(path, 4096));
    const std::string data = Pattern(4097, 1);
    EXPECT_EQ(s.Write(data.data(), 4097, 1), 1u);
    EXPECT_EQ(s.File().Capacity(), W);  // not 8192
    EXPECT_EQ(GetFileSizeByName(path), W);

    // Ending exactly on a window border needs no further window.
    ASSERT_TRUE(s.SeekTo(static_cast<int32_t>(W - 1)));
    EXPECT_TRUE(s.WriteByte('e'));
    EXPECT_EQ(s.File().Capacity(), W);
    EXPECT_EQ(s.GetSize(), W);
    EXPECT_TRUE(s.WriteByte('f'));
    EXPECT_EQ(s.File().Capacity(), 2ull * W);
    EXPECT_EQ(s.GetSize(), W + 1);
    ASSERT_TRUE(s.Close());

    const std::string bytes = test::ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), W + 1u);
    EXPECT_EQ(bytes.substr(0, 4097), data);
    EXPECT_EQ(bytes.substr(W - 1), "ef");
}

TEST_F(MappedFileStreamTest, ByteWritesEitherSideOfABorderMapOneWindowEach)
{
    MappedFileStream s;
    ASSERT_TRUE(s.Create(path, 4096));
    ASSERT_TRUE(s.SeekTo(static_cast<int32_t>(W - 1)));
    ASSERT_TRUE(s.WriteByte(1));
    EXPECT_EQ(ViewBegin(s), 0u);
    EXPECT_EQ(ViewEnd(s), W);
    ASSERT_TRUE(s.WriteByte(2));
    EXPECT_EQ(ViewBegin(s), W);
    EXPECT_EQ(ViewEnd(s), 2ull * W);  // the last window reaches the mapping's end
    EXPECT_EQ(s.File().ViewsMapped(), 2u);
}

TEST_F(MappedFileStreamTest, TransfersAcrossABorderUseOneViewOverBothWindows)
{
    const std::string data = Pattern(3 * W + 100, 7);
    ASSERT_TRUE(test::WriteFileBytes(path, data));
    MappedFileStream s;
    ASSERT_TRUE(s.Open(path));
    EXPECT_EQ(s.GetSize(), data.size());

    std::string buf(64, '\0');
    ASSERT_TRUE(s.SeekTo(static_cast<int32_t>(W - 32)));
    EXPECT_EQ(s.Read(&buf[0], 16, 4), 4u);
    EXPECT_EQ(buf, data.substr(W - 32, 64));
    EXPECT_EQ(ViewBegin(s), 0u);
    EXPECT_EQ(ViewEnd(s), 2ull * W);
    EXPECT_EQ(s.File().ViewsMapped(), 1u);
    EXPECT_EQ(s.Tell(), W + 32);

    // Inside the view: no remap.
    ASSERT_TRUE(s.SeekTo(10));
    EXPECT_EQ(s.Read(&buf[0], 1, 64), 64u);
    EXPECT_EQ(s.File().ViewsMapped(), 1u);

    // A write across the next border: the same, and the bytes land.
    const std::string patch = Pattern(64, 99);
    ASSERT_TRUE(s.SeekTo(static_cast<int32_t>(2 * W - 32)));
    EXPECT_EQ(s.Write(patch.data(), 8, 8), 8u);
    EXPECT_EQ(ViewBegin(s), W);
    EXPECT_EQ(ViewEnd(s), 3ull * W);
    EXPECT_EQ(s.File().ViewsMapped(), 2u);

    // The last window is mapped to the end of the mapping.
    ASSERT_TRUE(s.SeekTo(static_cast<int32_t>(3 * W + 50)));
    EXPECT_EQ(s.Read(&buf[0], 1, 64), 50u);
    EXPECT_EQ(ViewBegin(s), 3ull * W);
    EXPECT_GE(ViewEnd(s), data.size());
    ASSERT_TRUE(s.Close());

    std::string expected = data;
    expected.replace(2 * W - 32, 64, patch);
    EXPECT_EQ(test::ReadFileBytes(path), expected);
}

TEST_F(MappedFileStreamTest, SequentialAccessMapsEachWindowOnce)
{
    MappedFileStream s;
    ASSERT_TRUE(s.Create(path, 4096));
    const uint32_t block = 4096 * 3;  // does not divide W: some blocks straddle borders
    const uint32_t blocks = 4 * W / block + 1;
    const std::string data = Pattern(size_t{block} * blocks, 3);
    for (uint32_t i = 0; i < blocks; ++i) ASSERT_EQ(s.Write(&data[size_t{i} * block], block, 1), 1u);
    const uint64_t windows = (uint64_t{block} * blocks + W - 1) / W;
    EXPECT_EQ(s.File().Capacity(), windows * W);
    const uint64_t written = s.File().ViewsMapped();
    // At most one map per window, plus one for each block that straddles.
    EXPECT_LE(written, 2 * windows);
    EXPECT_GE(written, windows);

    ASSERT_TRUE(s.Rewind());
    std::string back(data.size(), '\0');
    for (uint32_t i = 0; i < blocks; ++i) ASSERT_EQ(s.Read(&back[size_t{i} * block], block, 1), 1u);
    EXPECT_LE(s.File().ViewsMapped() - written, 2 * windows);
    EXPECT_TRUE(back == data);
    EXPECT_TRUE(s.IsEof());
}

TEST_F(MappedFileStreamTest, AlignedSequentialAccessMapsExactlyOncePerWindow)
{
    MappedFileStream s;
    ASSERT_TRUE(s.Create(path, 4096));
    const uint32_t block = AllocationGranularity();
    const std::string data = Pattern(block, 5);
    for (int i = 0; i < 12; ++i) ASSERT_EQ(s.Write(data.data(), 1, block), block);
    const uint64_t windows = 12ull * block / W;
    EXPECT_EQ(s.File().ViewsMapped(), windows);
    ASSERT_TRUE(s.Rewind());
    std::string buf(block, '\0');
    for (int i = 0; i < 12; ++i) ASSERT_EQ(s.Read(&buf[0], block, 1), 1u);
    EXPECT_EQ(s.File().ViewsMapped(), 2 * windows);
}

TEST_F(MappedFileStreamTest, SeekBoundsAndTheEndOfTheStream)
{
    MappedFileStream s;
    ASSERT_TRUE(s.Create(path, 4096));
    ASSERT_EQ(s.Write("abcdef", 1, 6), 6u);
    char c = 0;
    EXPECT_EQ(s.Read(&c, 1, 1), 0u);  // at the end
    EXPECT_EQ(s.ReadByte(), -1);
    EXPECT_TRUE(s.IsEof());
    EXPECT_FALSE(s.IsBad());

    EXPECT_FALSE(s.Seek(-7, SeekCurrent));
    EXPECT_FALSE(s.Seek(-1, SeekBegin));
    EXPECT_EQ(s.Tell(), 6u);
    EXPECT_TRUE(s.Seek(-6, SeekEnd));
    EXPECT_EQ(s.ReadByte(), 'a');

    // Past the end is allowed; a write there fills the gap with what the file holds.
    ASSERT_TRUE(s.Seek(4, SeekEnd));
    EXPECT_EQ(s.Tell(), 10u);
    EXPECT_TRUE(s.IsBad());
    EXPECT_EQ(s.Read(&c, 1, 1), 0u);
    EXPECT_TRUE(s.WriteByte('z'));
    EXPECT_EQ(s.GetSize(), 11u);
    EXPECT_FALSE(s.IsBad());

    // Positions are 32-bit: a target past 4 GiB fails instead of wrapping.
    ASSERT_TRUE(s.SeekTo(0x7FFFFFFF));
    ASSERT_TRUE(s.Seek(0x7FFFFFFF, SeekCurrent));
    EXPECT_EQ(s.Tell(), 0xFFFFFFFEu);
    EXPECT_FALSE(s.Seek(2, SeekCurrent));
    EXPECT_EQ(s.Tell(), 0xFFFFFFFEu);
    // And a write that would end past it moves nothing.
    EXPECT_EQ(s.Write("xy", 1, 2), 0u);
    EXPECT_EQ(s.File().Capacity(), 4096u);
    EXPECT_EQ(s.GetSize(), 11u);

    ASSERT_TRUE(s.Close());
    EXPECT_EQ(test::ReadFileBytes(path), std::string("abcdef\0\0\0\0z", 11));
}

TEST_F(MappedFileStreamTest, FailuresLeaveTheStreamAsItWas)
{
    MappedFileStream s;
    char buf[4] = {};
    EXPECT_EQ(s.Write("x", 1, 1), 0u);  // closed
    EXPECT_EQ(s.Read(buf, 1, 1), 0u);
    EXPECT_FALSE(s.Seek(0, SeekBegin));
    EXPECT_FALSE(s.Flush());
    EXPECT_TRUE(s.IsBad());

    EXPECT_FALSE(s.Create(L"", 4096));
    EXPECT_FALSE(s.Create(path, 0));
    EXPECT_FALSE(s.Create(dir.File(L"no\\such\\dir.tmp"), 4096));
    EXPECT_FALSE(s.Open(dir.File(L"missing.wav")));
    EXPECT_FALSE(s.IsOpen());

    ASSERT_TRUE(s.Create(path, 4096));
    EXPECT_FALSE(s.Create(path, 4096));  // already open
    EXPECT_FALSE(s.Open(path));
    EXPECT_FALSE(s.Flush());  // nothing mapped yet
    ASSERT_EQ(s.Write("abcd", 2, 2), 2u);
    ASSERT_TRUE(s.SeekTo(1));
    EXPECT_EQ(s.Read(nullptr, 1, 1), 0u);
    EXPECT_EQ(s.Read(buf, 0, 1), 0u);
    EXPECT_EQ(s.Write(buf, 1, 0), 0u);
    EXPECT_EQ(s.Tell(), 1u);
    EXPECT_EQ(s.GetSize(), 4u);

    // Element counting: 3 bytes left make one 2-byte element.
    EXPECT_EQ(s.Read(buf, 2, 2), 1u);
    EXPECT_EQ(std::string(buf, 3), "bcd");
    EXPECT_EQ(s.Tell(), 4u);

    // A disk without room: a write that grows the file fails at once, and
    // the stream goes on as it was.
    const std::string page(4096, 'x');
    LimitWrites(0, ERROR_DISK_FULL);
    EXPECT_EQ(s.Write(page.data(), 1, 4096), 0u);
    UnlimitWrites();
    EXPECT_EQ(s.GetSize(), 4u);
    EXPECT_EQ(s.Tell(), 4u);
    EXPECT_EQ(s.Write(page.data(), 1, 4096), 4096u);
}

TEST_F(MappedFileStreamTest, ReopeningAnEmptyFileMapsAPageAndTrimsItAway)
{
    ASSERT_TRUE(test::WriteFileBytes(path, ""));
    MappedFileStream s;
    ASSERT_TRUE(s.Open(path));
    EXPECT_EQ(s.GetSize(), 0u);
    EXPECT_EQ(s.Tell(), 0u);
    EXPECT_EQ(s.File().Capacity(), 4096u);
    EXPECT_TRUE(s.IsEof());
    EXPECT_EQ(s.ReadByte(), -1);
    ASSERT_TRUE(s.Close());
    EXPECT_EQ(test::FileLength(path), 0);

    // Reopened and written: the file is exactly what was written.
    ASSERT_TRUE(s.Open(path));
    ASSERT_EQ(s.Write("hi", 1, 2), 2u);
    ASSERT_TRUE(s.Close());
    EXPECT_EQ(test::ReadFileBytes(path), "hi");
}

TEST_F(MappedFileStreamTest, AFullStreamClosesWithoutTouchingTheFile)
{
    const std::string data = Pattern(5000, 11);
    ASSERT_TRUE(test::WriteFileBytes(path, data));
    MappedFileStream s;
    ASSERT_TRUE(s.Open(path));
    EXPECT_EQ(s.File().Capacity(), 5000u);
    EXPECT_EQ(test::FileLength(path), 5000);  // mapped at its own size, not 4096
    std::string back(5000, '\0');
    EXPECT_EQ(s.Read(&back[0], 1, 6000), 5000u);
    EXPECT_EQ(back, data);
    ASSERT_TRUE(s.Close());
    EXPECT_EQ(test::ReadFileBytes(path), data);

    // Small files too: a 100-byte file is not stretched to a page.
    ASSERT_TRUE(test::WriteFileBytes(path, data.substr(0, 100)));
    ASSERT_TRUE(s.Open(path));
    ASSERT_TRUE(s.Close());
    EXPECT_EQ(test::ReadFileBytes(path), data.substr(0, 100));
}

TEST_F(MappedFileStreamTest, AppendingToAnOpenedFileKeepsTheBytesPastItsOldEnd)
{
    // The view of a 5000-byte mapping runs on to the end of its page; bytes
    // written there must still reach the file.
    const std::string data = Pattern(5000, 13);
    ASSERT_TRUE(test::WriteFileBytes(path, data));
    MappedFileStream s;
    ASSERT_TRUE(s.Open(path));
    char c;
    ASSERT_EQ(s.Read(&c, 1, 1), 1u);  // maps the view
    ASSERT_TRUE(s.SeekTo(4990));
    ASSERT_EQ(s.Write("0123456789abcdefghij", 1, 20), 20u);
    EXPECT_EQ(s.GetSize(), 5010u);
    EXPECT_EQ(s.File().Capacity(), W);
    ASSERT_TRUE(s.Close());
    EXPECT_EQ(test::ReadFileBytes(path), data.substr(0, 4990) + "0123456789abcdefghij");
}

TEST_F(MappedFileStreamTest, FilesOfFourGiBOrMoreAreRefusedAndLeftAlone)
{
    const uint64_t length = (4ull << 30) + 10;
    ASSERT_TRUE(test::MakeSparseFile(path, length));
    const int64_t before = test::CountOwnHandles();
    MappedFileStream s;
    EXPECT_FALSE(s.Open(path));
    EXPECT_FALSE(s.IsOpen());
    EXPECT_EQ(s.Close(), false);
    EXPECT_EQ(test::CountOwnHandles(), before);
    EXPECT_EQ(GetFileSizeByName(path), length);
}

TEST_F(MappedFileStreamTest, NothingOutlivesTheStream)
{
    const int64_t before = test::CountOwnHandles();
    void* view = nullptr;
    {
        MappedFileStream s;
        ASSERT_TRUE(s.Create(path, 4096));
        const std::string data = Pattern(W + 10, 17);
        ASSERT_EQ(s.Write(data.data(), 1, W + 10), W + 10);
        view = s.File().View();
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(test::CountOwnHandles(), before + 2);
        EXPECT_FALSE(test::CanOpenExclusively(path));
    }  // destroyed open: closes and trims
    MEMORY_BASIC_INFORMATION info{};
    EXPECT_TRUE(::VirtualQuery(view, &info, sizeof info) == 0 || info.State == MEM_FREE);
    EXPECT_EQ(test::CountOwnHandles(), before);
    EXPECT_TRUE(test::CanOpenExclusively(path));
    EXPECT_EQ(test::FileLength(path), W + 10);
}

}  // namespace
}  // namespace vorlune
