#pragma once

#include <windows.h>

#include <string>

namespace vorlune {

// The owner of one Win32 file handle, embedded in the file streams and the
// mapped file. INVALID_HANDLE_VALUE (or 0) means closed.
class FileHandle {
public:
    FileHandle() noexcept = default;
    virtual ~FileHandle();
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    // Closes any open handle first; on failure the handle stays closed.
    virtual bool Open(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
                      DWORD flagsAndAttributes) noexcept;
    virtual bool OpenAgain(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
                           DWORD flagsAndAttributes) noexcept;
    // Always true.
    virtual bool Close() noexcept;

    bool IsOpen() const noexcept { return IsValid(handle_); }
    HANDLE Get() const noexcept { return handle_; }

    static bool IsValid(HANDLE h) noexcept { return h != INVALID_HANDLE_VALUE && h != nullptr; }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace vorlune
