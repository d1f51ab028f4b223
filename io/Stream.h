#pragma once

#include <windows.h>

#include <cstdint>

namespace vorlune {

// The same numbers as FILE_BEGIN, FILE_CURRENT and FILE_END.
enum SeekOrigin : int {
    SeekBegin = 0,
    SeekCurrent = 1,
    SeekEnd = 2,
};

// Bytes a transfer of `wanted` bytes at `position` may move in data of `size`
// bytes: never past the end, nothing when it starts at or after the end.
uint32_t ClampTransfer(uint64_t wanted, uint32_t position, uint32_t size) noexcept;

// A seekable byte stream with 32-bit sizes and positions. Read and Write count
// in elements and return the whole elements moved; a zero buffer, element size
// or count moves nothing. Nothing here throws.
//
// The order of the virtual operations is part of the interface.
class Stream {
public:
    Stream() noexcept = default;
    virtual ~Stream() = default;
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    // Not open, or positioned beyond the end.
    virtual bool IsBad() const noexcept;
    virtual bool IsEof() const noexcept = 0;
    virtual bool IsOpen() const noexcept = 0;
    virtual uint32_t GetSize() const noexcept = 0;
    virtual uint32_t Tell() const noexcept = 0;
    virtual bool SeekTo(int32_t offset) noexcept;
    virtual bool Close() noexcept = 0;
    virtual uint32_t Read(void* destination, uint32_t elementSize, uint32_t count) noexcept = 0;
    virtual uint32_t Write(const void* source, uint32_t elementSize, uint32_t count) noexcept = 0;
    virtual bool Flush() noexcept = 0;
    // The byte read (0..255), or -1 when none could be.
    virtual int ReadByte() noexcept;
    // Writes the low byte of value.
    virtual bool WriteByte(int value) noexcept;
    virtual bool Seek(int32_t offset, int origin) noexcept = 0;
    virtual bool Rewind() noexcept;
    virtual bool SeekToEnd() noexcept;
    // The Win32 move method for a SeekOrigin.
    virtual DWORD MapOrigin(int origin) const noexcept;
};

}  // namespace vorlune
