#include "io/FileStream.h"

#include "io/WriteErrors.h"

namespace vorlune {
namespace {

// SetFilePointer without a high part; all bits set is a real position only
// when the system reports no error.
bool MovePointer(HANDLE file, LONG offset, DWORD method, DWORD* position) noexcept
{
    ::SetLastError(NO_ERROR);
    const DWORD pos = ::SetFilePointer(file, offset, nullptr, method);
    if (pos == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR) return false;
    if (position) *position = pos;
    return true;
}

// The largest whole number of elements one ReadFile/WriteFile can move.
DWORD TransferBytes(uint32_t elementSize, uint32_t count) noexcept
{
    const uint64_t wanted = uint64_t{elementSize} * count;
    if (wanted <= MAXDWORD) return static_cast<DWORD>(wanted);
    return MAXDWORD - MAXDWORD % elementSize;
}

}  // namespace

FileStream::~FileStream()
{
    if (IsOpen()) file_.Close();
}

bool FileStream::IsEof() const noexcept
{
    return Tell() >= GetSize();
}

bool FileStream::IsOpen() const noexcept
{
    return file_.IsOpen();
}

uint32_t FileStream::GetSize() const noexcept
{
    if (!IsOpen()) return 0;
    ::SetLastError(NO_ERROR);
    const DWORD size = ::GetFileSize(file_.Get(), nullptr);
    return size == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR ? 0 : size;
}

uint32_t FileStream::Tell() const noexcept
{
    DWORD pos = 0;
    return IsOpen() && MovePointer(file_.Get(), 0, FILE_CURRENT, &pos) ? pos : 0;
}

bool FileStream::Close() noexcept
{
    return IsOpen() ? file_.Close() : false;
}

uint32_t FileStream::Read(void* destination, uint32_t elementSize, uint32_t count) noexcept
{
    if (!destination || !elementSize || !count || !IsOpen()) return 0;
    DWORD done = 0;
    if (!::ReadFile(file_.Get(), destination, TransferBytes(elementSize, count), &done, nullptr)) return 0;
    return done / elementSize;
}

uint32_t FileStream::Write(const void* source, uint32_t elementSize, uint32_t count) noexcept
{
    if (!source || !elementSize || !count || !IsOpen()) return 0;
    const DWORD bytes = TransferBytes(elementSize, count);
    DWORD done = 0;
    if (!WriteFits(bytes)) return 0;
    if (!::WriteFile(file_.Get(), source, bytes, &done, nullptr)) {
        NoteWriteError(::GetLastError());
        return 0;
    }
    return done / elementSize;
}

bool FileStream::Flush() noexcept
{
    return IsOpen() && ::FlushFileBuffers(file_.Get());
}

bool FileStream::Seek(int32_t offset, int origin) noexcept
{
    if (!IsOpen()) return false;
    const DWORD method = MapOrigin(origin);
    if (method > FILE_END) return false;
    return MovePointer(file_.Get(), offset, method, nullptr);
}

DWORD FileStream::MapOrigin(int origin) const noexcept
{
    static const DWORD kMethods[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
    // Anything else maps to a method SetFilePointer refuses.
    return origin >= 0 && origin < 3 ? kMethods[origin] : MAXDWORD;
}

bool FileStream::Create(const std::wstring& path) noexcept
{
    if (path.empty() || IsOpen()) return false;
    return file_.Open(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
}

bool FileStream::OpenRead(const std::wstring& path) noexcept
{
    if (path.empty() || IsOpen()) return false;
    return file_.OpenAgain(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
}

bool FileStream::OpenShared(const std::wstring& path) noexcept
{
    if (path.empty() || IsOpen()) return false;
    return file_.OpenAgain(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL);
}

}  // namespace vorlune
