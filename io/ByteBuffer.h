#pragma once

#include <cstdint>

namespace vorlune {

// A heap block of bytes that a MemoryStream can own. It never grows by itself;
// ReadAt and WriteAt stop at its end.
class ByteBuffer {
public:
    ByteBuffer() noexcept = default;
    virtual ~ByteBuffer();
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;

    // Replaces the block with `size` zeroed bytes; false (and empty) when the
    // memory cannot be had.
    bool Allocate(uint32_t size) noexcept;
    // Frees the block; data and size become zero.
    void Release() noexcept;

    uint8_t* Data() const noexcept { return data_; }
    uint32_t Size() const noexcept { return size_; }

    // Copy min(wanted, size - offset) bytes out of / into the block; 0 for a
    // null buffer, an empty block, no bytes or an offset at or past the end.
    uint32_t ReadAt(void* destination, uint32_t wanted, uint32_t offset) const noexcept;
    uint32_t WriteAt(const void* source, uint32_t wanted, uint32_t offset) noexcept;

private:
    uint32_t Span(const void* buffer, uint32_t wanted, uint32_t offset) const noexcept;

    uint8_t* data_ = nullptr;
    uint32_t size_ = 0;
};

}  // namespace vorlune
