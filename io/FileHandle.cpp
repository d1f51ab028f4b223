#include "io/FileHandle.h"

namespace vorlune {

FileHandle::~FileHandle()
{
    if (IsValid(handle_)) ::CloseHandle(handle_);
}

bool FileHandle::Open(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
                      DWORD flagsAndAttributes) noexcept
{
    Close();
    HANDLE h = ::CreateFileW(path.c_str(), access, share, nullptr, disposition, flagsAndAttributes, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    handle_ = h;
    return true;
}

bool FileHandle::OpenAgain(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
                           DWORD flagsAndAttributes) noexcept
{
    return Open(path, access, share, disposition, flagsAndAttributes);
}

bool FileHandle::Close() noexcept
{
    if (IsValid(handle_)) {
        ::CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }
    return true;
}

}  // namespace vorlune
