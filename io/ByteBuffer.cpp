#include "io/ByteBuffer.h"

#include <cstring>
#include <new>

namespace vorlune {

ByteBuffer::~ByteBuffer()
{
    Release();
}

bool ByteBuffer::Allocate(uint32_t size) noexcept
{
    Release();
    if (size == 0) return true;
    data_ = new (std::nothrow) uint8_t[size]();
    if (!data_) return false;
    size_ = size;
    return true;
}

void ByteBuffer::Release() noexcept
{
    delete[] data_;
    data_ = nullptr;
    size_ = 0;
}

uint32_t ByteBuffer::Span(const void* buffer, uint32_t wanted, uint32_t offset) const noexcept
{
    if (!buffer || !data_ || wanted == 0 || size_ == 0 || offset >= size_) return 0;
    const uint32_t left = size_ - offset;
    return wanted < left ? wanted : left;
}

uint32_t ByteBuffer::ReadAt(void* destination, uint32_t wanted, uint32_t offset) const noexcept
{
    const uint32_t n = Span(destination, wanted, offset);
    if (n) std::memcpy(destination, data_ + offset, n);
    return n;
}

uint32_t ByteBuffer::WriteAt(const void* source, uint32_t wanted, uint32_t offset) noexcept
{
    const uint32_t n = Span(source, wanted, offset);
    if (n) std::memmove(data_ + offset, source, n);
    return n;
}

}  // namespace vorlune
