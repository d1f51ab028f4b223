#include "io/MemoryStream.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

namespace vorlune {
namespace {

std::unique_ptr<ByteBuffer> BufferOf(const std::string& bytes)
{
    auto buffer = std::make_unique<ByteBuffer>();
    EXPECT_TRUE(buffer->Allocate(static_cast<uint32_t>(bytes.size())));
    std::memcpy(buffer->Data(), bytes.data(), bytes.size());
    return buffer;
}

TEST(MemoryStream, PositionsOnEveryByteButNotAtOrPastTheEnd)
{
    char block[] = "0123456789";
    MemoryStream s;
    ASSERT_TRUE(s.Attach(block, 10, MemoryStream::kCheckReadable));
    EXPECT_TRUE(s.SeekTo(9));
    EXPECT_FALSE(s.SeekTo(10));
    EXPECT_EQ(s.Tell(), 9u);
    EXPECT_FALSE(s.SeekTo(-1));
    EXPECT_FALSE(s.Seek(-10, SeekCurrent));
    EXPECT_TRUE(s.Seek(-9, SeekCurrent));
    EXPECT_EQ(s.Tell(), 0u);
    EXPECT_TRUE(s.Seek(-1, SeekEnd));
    EXPECT_EQ(s.Tell(), 9u);
    EXPECT_FALSE(s.SeekToEnd());
    EXPECT_EQ(s.Tell(), 9u);
}

TEST(MemoryStream, ReadsStopAtTheEndOfTheBlock)
{
    char block[] = "0123456789";
    MemoryStream s;
    ASSERT_TRUE(s.Attach(block, 10, 0));
    char buf[32] = {};
    EXPECT_EQ(s.Read(buf, 1, 20), 10u);
    EXPECT_EQ(std::string(buf), "0123456789");
    EXPECT_TRUE(s.IsEof());
    EXPECT_FALSE(s.IsBad());
    EXPECT_EQ(s.Read(buf, 1, 1), 0u);
    EXPECT_EQ(s.ReadByte(), -1);

    // The wanted byte count is not cut to 32 bits: 2 x 0x80000001 bytes is
    // far more than the block, not 2 bytes.
    ASSERT_TRUE(s.Rewind());
    EXPECT_EQ(s.Read(buf, 2, 0x80000001u), 5u);
    EXPECT_EQ(s.Tell(), 10u);
}

TEST(MemoryStream, WritesStopAtTheEndAndCountWholeElements)
{
    char block[] = "0123456789";
    MemoryStream s;
    ASSERT_TRUE(s.Attach(block, 10, MemoryStream::kCheckReadable | MemoryStream::kCheckWritable));
    ASSERT_TRUE(s.SeekTo(6));
    EXPECT_EQ(s.Write("abcdefgh", 1, 8), 4u);
    EXPECT_EQ(std::string(block), "012345abcd");
    EXPECT_EQ(s.Tell(), 10u);

    ASSERT_TRUE(s.SeekTo(6));
    EXPECT_EQ(s.Write("ABCDEFGH", 4, 2), 1u);
    EXPECT_EQ(std::string(block), "012345ABCD");
    EXPECT_EQ(s.GetSize(), 10u);  // never grows
    EXPECT_FALSE(s.WriteByte('x'));

    ASSERT_TRUE(s.SeekTo(0));
    EXPECT_TRUE(s.WriteByte(0x17A));
    EXPECT_EQ(block[0], 'z');
}

TEST(MemoryStream, AttachProbesTheBlockUnlessItsSizeIsUnknown)
{
    SYSTEM_INFO si;
    ::GetSystemInfo(&si);
    void* reserved = ::VirtualAlloc(nullptr, si.dwPageSize, MEM_RESERVE, PAGE_NOACCESS);
    void* readOnly = ::VirtualAlloc(nullptr, si.dwPageSize, MEM_COMMIT, PAGE_READONLY);
    ASSERT_TRUE(reserved && readOnly);

    MemoryStream s;
    EXPECT_FALSE(s.Attach(reserved, 16, MemoryStream::kCheckReadable));
    EXPECT_FALSE(s.Attach(readOnly, 16, MemoryStream::kCheckWritable));
    EXPECT_FALSE(s.IsOpen());
    EXPECT_TRUE(s.Attach(reserved, 16, 0));  // no probe asked for
    EXPECT_TRUE(s.Close());
    EXPECT_TRUE(s.Attach(reserved, 0xFFFFFFFFu, MemoryStream::kCheckReadable | MemoryStream::kCheckWritable));
    EXPECT_EQ(s.GetSize(), 0xFFFFFFFFu);
    EXPECT_FALSE(s.Attach(readOnly, 16, 0));  // already open
    EXPECT_TRUE(s.Close());
    EXPECT_TRUE(s.Attach(readOnly, 16, MemoryStream::kCheckReadable));
    EXPECT_FALSE(s.Attach(nullptr, 16, 0));

    MemoryStream empty;
    EXPECT_FALSE(empty.Attach(readOnly, 0, 0));
    EXPECT_FALSE(empty.IsOpen());

    ::VirtualFree(reserved, 0, MEM_RELEASE);
    ::VirtualFree(readOnly, 0, MEM_RELEASE);
}

TEST(MemoryStream, AnOwnedBufferIsReadWrittenAndHandedBack)
{
    MemoryStream s;
    s.AttachBuffer(BufferOf("hello world"));
    EXPECT_TRUE(s.IsOpen());
    EXPECT_FALSE(s.IsExternal());
    EXPECT_TRUE(s.OwnsBuffer());
    EXPECT_TRUE(s.HasOwnedData());
    EXPECT_EQ(s.GetSize(), 11u);

    char buf[6] = {};
    EXPECT_EQ(s.Read(buf, 5, 1), 1u);
    EXPECT_EQ(std::string(buf), "hello");
    EXPECT_TRUE(s.Seek(-5, SeekEnd));
    EXPECT_EQ(s.Write("W0rld!!", 1, 7), 5u);
    EXPECT_TRUE(s.IsEof());
    EXPECT_TRUE(s.Flush());

    std::unique_ptr<ByteBuffer> back = s.Detach();
    ASSERT_TRUE(back);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(back->Data()), back->Size()), "hello W0rld");
    EXPECT_FALSE(s.IsOpen());
    EXPECT_EQ(s.Tell(), 0u);
    EXPECT_EQ(s.GetSize(), 0u);
    EXPECT_FALSE(s.Detach());
}

TEST(MemoryStream, DetachLeavesAnExternalBlockAlone)
{
    char block[] = "abc";
    MemoryStream s;
    ASSERT_TRUE(s.Attach(block, 3, 0));
    ASSERT_TRUE(s.SeekTo(2));
    EXPECT_FALSE(s.Detach());
    EXPECT_TRUE(s.IsExternal());
    EXPECT_EQ(s.Tell(), 2u);

    // Taking a buffer drops the borrowed block and its position.
    s.AttachBuffer(BufferOf("xyz!"));
    EXPECT_FALSE(s.IsExternal());
    EXPECT_EQ(s.Tell(), 0u);
    EXPECT_EQ(s.GetSize(), 4u);
    EXPECT_EQ(s.ReadByte(), 'x');
    EXPECT_TRUE(s.Close());
    EXPECT_FALSE(s.IsOpen());
}

TEST(MemoryStream, AClosedStreamFailsQuietly)
{
    MemoryStream s;
    char buf[4];
    EXPECT_FALSE(s.IsOpen());
    EXPECT_TRUE(s.IsEof());
    EXPECT_TRUE(s.IsBad());
    EXPECT_EQ(s.GetSize(), 0u);
    EXPECT_EQ(s.Read(buf, 1, 4), 0u);
    EXPECT_EQ(s.Write(buf, 1, 4), 0u);
    EXPECT_FALSE(s.Seek(0, SeekBegin));
    EXPECT_FALSE(s.Flush());
    EXPECT_FALSE(s.Close());

    // A buffer without data does not open the stream.
    s.AttachBuffer(std::make_unique<ByteBuffer>());
    EXPECT_FALSE(s.IsOpen());
    EXPECT_FALSE(s.Detach());
}

TEST(ByteBuffer, CopiesStayInsideTheBlock)
{
    ByteBuffer b;
    char out[8] = {};
    EXPECT_EQ(b.ReadAt(out, 4, 0), 0u);  // no data
    ASSERT_TRUE(b.Allocate(6));
    EXPECT_EQ(b.WriteAt("abcdefgh", 8, 2), 4u);
    EXPECT_EQ(b.ReadAt(out, 8, 0), 6u);
    EXPECT_EQ(std::string(out, 6), std::string("\0\0abcd", 6));  // allocated zeroed
    EXPECT_EQ(b.ReadAt(out, 1, 6), 0u);
    EXPECT_EQ(b.WriteAt("z", 1, 6), 0u);
    EXPECT_EQ(b.ReadAt(nullptr, 1, 0), 0u);
    EXPECT_EQ(b.ReadAt(out, 0, 0), 0u);
    b.Release();
    EXPECT_EQ(b.Data(), nullptr);
    EXPECT_EQ(b.Size(), 0u);
}

}  // namespace
}  // namespace vorlune
