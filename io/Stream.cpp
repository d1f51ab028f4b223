#include "io/Stream.h"

namespace vorlune {

uint32_t ClampTransfer(uint64_t wanted, uint32_t position, uint32_t size) noexcept
{
    if (wanted == 0 || size == 0 || position >= size) return 0;
    const uint32_t left = size - position;
    return wanted < left ? static_cast<uint32_t>(wanted) : left;
}

bool Stream::IsBad() const noexcept
{
    return !IsOpen() || Tell() > GetSize();
}

bool Stream::SeekTo(int32_t offset) noexcept
{
    return Seek(offset, SeekBegin);
}

int Stream::ReadByte() noexcept
{
    unsigned char byte = 0;
    return Read(&byte, 1, 1) == 1 ? byte : -1;
}

bool Stream::WriteByte(int value) noexcept
{
    const unsigned char byte = static_cast<unsigned char>(value & 0xFF);
    return Write(&byte, 1, 1) == 1;
}

bool Stream::Rewind() noexcept
{
    return Seek(0, SeekBegin);
}

bool Stream::SeekToEnd() noexcept
{
    return Seek(0, SeekEnd);
}

DWORD Stream::MapOrigin(int origin) const noexcept
{
    return static_cast<DWORD>(origin);
}

}  // namespace vorlune
