#include "io/FileStream.h"

#include "tests/support/HandleCount.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace vorlune {
namespace {

class FileStreamTest : public testing::Test {
protected:
    test::TempDir dir;
    // Names may hold any character.
    std::wstring path = dir.File(L"str\u00e9am \u6f22\u5b57 \U0001F3B5.bin");
};

TEST_F(FileStreamTest, ShortReadCountsWholeElementsAndMovesByEveryByteRead)
{
    ASSERT_TRUE(test::WriteFileBytes(path, "0123456789"));
    FileStream s;
    ASSERT_TRUE(s.OpenRead(path));
    EXPECT_EQ(s.GetSize(), 10u);
    ASSERT_TRUE(s.SeekTo(4));

    char buf[8] = {};
    EXPECT_EQ(s.Read(buf, 4, 2), 1u);  // 6 bytes left: one whole element
    EXPECT_EQ(std::string(buf, 6), "456789");
    EXPECT_EQ(s.Tell(), 10u);
    EXPECT_TRUE(s.IsEof());
    EXPECT_EQ(s.Read(buf, 1, 1), 0u);
    EXPECT_EQ(s.ReadByte(), -1);

    ASSERT_TRUE(s.Rewind());
    EXPECT_EQ(s.Read(buf, 3, 2), 2u);
    EXPECT_EQ(s.Tell(), 6u);
    EXPECT_EQ(s.ReadByte(), '6');
}

TEST_F(FileStreamTest, ZeroArgumentsMoveNothing)
{
    ASSERT_TRUE(test::WriteFileBytes(path, "abc"));
    FileStream s;
    ASSERT_TRUE(s.OpenRead(path));
    char buf[4];
    EXPECT_EQ(s.Read(nullptr, 1, 3), 0u);
    EXPECT_EQ(s.Read(buf, 0, 3), 0u);
    EXPECT_EQ(s.Read(buf, 1, 0), 0u);
    EXPECT_EQ(s.Write(nullptr, 1, 1), 0u);
    EXPECT_EQ(s.Tell(), 0u);
}

TEST_F(FileStreamTest, SeeksRelativeToEveryOriginAndNeverBeforeTheStart)
{
    ASSERT_TRUE(test::WriteFileBytes(path, "0123456789"));
    FileStream s;
    ASSERT_TRUE(s.OpenRead(path));

    ASSERT_TRUE(s.SeekToEnd());
    EXPECT_EQ(s.Tell(), 10u);
    EXPECT_TRUE(s.IsEof());
    EXPECT_FALSE(s.IsBad());

    ASSERT_TRUE(s.Seek(-3, SeekEnd));
    EXPECT_EQ(s.ReadByte(), '7');
    ASSERT_TRUE(s.Seek(-2, SeekCurrent));
    EXPECT_EQ(s.ReadByte(), '6');

    EXPECT_FALSE(s.Seek(-1, SeekBegin));
    EXPECT_FALSE(s.Seek(-20, SeekCurrent));
    EXPECT_EQ(s.Tell(), 7u);  // a failed seek leaves the position
    EXPECT_FALSE(s.Seek(0, 7));  // no such origin

    // A file may be positioned past its end; the stream is then bad.
    ASSERT_TRUE(s.Seek(5, SeekEnd));
    EXPECT_EQ(s.Tell(), 15u);
    EXPECT_TRUE(s.IsBad());
    char byte = 0;
    EXPECT_EQ(s.Read(&byte, 1, 1), 0u);
}

TEST_F(FileStreamTest, WritesReachTheFileAndCreateEmptiesAnExistingOne)
{
    ASSERT_TRUE(test::WriteFileBytes(path, "old content that is long"));
    {
        FileStream s;
        ASSERT_TRUE(s.Create(path));
        EXPECT_EQ(s.GetSize(), 0u);
        const uint16_t words[3] = {0x4241, 0x4443, 0x4645};
        EXPECT_EQ(s.Write(words, 2, 3), 3u);
        EXPECT_TRUE(s.WriteByte(0x147));  // only the low byte
        EXPECT_EQ(s.GetSize(), 7u);
        EXPECT_TRUE(s.Flush());
        EXPECT_FALSE(s.Create(path));  // already open
        EXPECT_FALSE(s.OpenRead(path));
    }
    EXPECT_EQ(test::ReadFileBytes(path), "ABCDEFG");
}

TEST_F(FileStreamTest, ReadersShareButAWriterIsAlone)
{
    ASSERT_TRUE(test::WriteFileBytes(path, "x"));
    FileStream a, b, c;
    ASSERT_TRUE(a.OpenRead(path));
    EXPECT_TRUE(b.OpenRead(path));
    EXPECT_FALSE(c.Create(path));
    EXPECT_FALSE(c.IsOpen());
    EXPECT_EQ(a.Write("y", 1, 1), 0u);  // read only
}

TEST_F(FileStreamTest, AClosedStreamFailsQuietly)
{
    FileStream s;
    EXPECT_FALSE(s.OpenRead(dir.File(L"missing")));
    EXPECT_FALSE(s.Create(L""));
    EXPECT_FALSE(s.OpenRead(L""));
    char buf[2];
    EXPECT_FALSE(s.IsOpen());
    EXPECT_TRUE(s.IsEof());
    EXPECT_TRUE(s.IsBad());
    EXPECT_EQ(s.GetSize(), 0u);
    EXPECT_EQ(s.Tell(), 0u);
    EXPECT_EQ(s.Read(buf, 1, 2), 0u);
    EXPECT_EQ(s.Write(buf, 1, 2), 0u);
    EXPECT_FALSE(s.Seek(0, SeekBegin));
    EXPECT_FALSE(s.Flush());
    EXPECT_FALSE(s.Close());
    EXPECT_EQ(s.ReadByte(), -1);
    EXPECT_FALSE(s.WriteByte(1));
}

TEST_F(FileStreamTest, CloseAndDestructionReleaseTheHandle)
{
    const int64_t before = test::CountOwnHandles();
    {
        FileStream s;
        ASSERT_TRUE(s.Create(path));
        EXPECT_EQ(test::CountOwnHandles(), before + 1);
        EXPECT_FALSE(test::CanOpenExclusively(path));
        EXPECT_TRUE(s.Close());
        EXPECT_FALSE(s.Close());
        EXPECT_EQ(test::CountOwnHandles(), before);
        ASSERT_TRUE(s.OpenRead(path));  // the same object opens again
    }
    EXPECT_EQ(test::CountOwnHandles(), before);
    EXPECT_TRUE(test::CanOpenExclusively(path));
}

}  // namespace
}  // namespace vorlune
