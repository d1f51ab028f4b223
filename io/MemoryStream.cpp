#include "io/MemoryStream.h"

#include <cstring>

namespace vorlune {

MemoryStream::~MemoryStream()
{
    Clear();
}

void MemoryStream::Clear() noexcept
{
    owned_.reset();
    position_ = 0;
    external_ = nullptr;
    externalSize_ = 0;
}

bool MemoryStream::IsEof() const noexcept
{
    return !IsOpen() || position_ >= GetSize();
}

bool MemoryStream::IsOpen() const noexcept
{
    return IsExternal() || OwnsBuffer();
}

uint32_t MemoryStream::GetSize() const noexcept
{
    if (IsExternal()) return externalSize_;
    if (OwnsBuffer()) return owned_->Size();
    return 0;
}

uint32_t MemoryStream::Tell() const noexcept
{
    return position_;
}

bool MemoryStream::Close() noexcept
{
    const bool wasOpen = IsOpen();
    Clear();
    return wasOpen;
}

uint32_t MemoryStream::Read(void* destination, uint32_t elementSize, uint32_t count) noexcept
{
    if (!destination || !elementSize || !count || !IsOpen()) return 0;
    uint32_t n = ClampTransfer(uint64_t{elementSize} * count, position_, GetSize());
    if (n == 0) return 0;
    if (IsExternal())
        std::memcpy(destination, external_ + position_, n);
    else
        n = owned_->ReadAt(destination, n, position_);
    position_ += n;
    return n / elementSize;
}

uint32_t MemoryStream::Write(const void* source, uint32_t elementSize, uint32_t count) noexcept
{
    if (!source || !elementSize || !count || !IsOpen()) return 0;
    uint32_t n = ClampTransfer(uint64_t{elementSize} * count, position_, GetSize());
    if (n == 0) return 0;
    if (IsExternal())
        std::memmove(external_ + position_, source, n);
    else
        n = owned_->WriteAt(source, n, position_);
    position_ += n;
    return n / elementSize;
}

bool MemoryStream::Flush() noexcept
{
    return IsOpen();
}

bool MemoryStream::Seek(int32_t offset, int origin) noexcept
{
    if (!IsOpen()) return false;
    int64_t base = 0;
    if (origin == SeekCurrent)
        base = position_;
    else if (origin != SeekBegin)
        base = GetSize();
    const int64_t target = base + offset;
    if (target < 0 || target >= int64_t{GetSize()}) return false;
    position_ = static_cast<uint32_t>(target);
    return true;
}

bool MemoryStream::IsExternal() const noexcept
{
    return external_ != nullptr;
}

bool MemoryStream::OwnsBuffer() const noexcept
{
    return owned_ && owned_->Data();
}

bool MemoryStream::HasOwnedData() const noexcept
{
    return OwnsBuffer();
}

bool MemoryStream::Attach(const void* data, uint32_t size, uint32_t flags) noexcept
{
    if (!data || size == 0 || IsOpen()) return false;
    if (size != 0xFFFFFFFFu) {
        if ((flags & kCheckReadable) && ::IsBadReadPtr(data, size)) return false;
        if ((flags & kCheckWritable) && ::IsBadWritePtr(const_cast<void*>(data), size)) return false;
    }
    Clear();
    external_ = static_cast<uint8_t*>(const_cast<void*>(data));
    externalSize_ = size;
    return true;
}

void MemoryStream::AttachBuffer(std::unique_ptr<ByteBuffer> buffer) noexcept
{
    Clear();
    owned_ = std::move(buffer);
}

std::unique_ptr<ByteBuffer> MemoryStream::Detach() noexcept
{
    if (!OwnsBuffer()) return nullptr;
    std::unique_ptr<ByteBuffer> buffer = std::move(owned_);
    Clear();
    return buffer;
}

}  // namespace vorlune
