#include "io/FileUtil.h"

#include "io/FileFinder.h"
#include "io/FileHandle.h"

namespace vorlune {

// The thread's own mode, so a worker probing a file cannot leave the whole
// process with another thread's setting.
CriticalErrorsOff::CriticalErrorsOff() noexcept
    : restore_(::SetThreadErrorMode(::GetThreadErrorMode() | SEM_FAILCRITICALERRORS, &old_) != FALSE)
{
}

CriticalErrorsOff::~CriticalErrorsOff()
{
    if (restore_) ::SetThreadErrorMode(old_, nullptr);
}

bool FileExists(const std::wstring& path) noexcept
{
    if (path.empty()) return false;
    CriticalErrorsOff quiet;
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

uint64_t GetFileSizeByName(const std::wstring& path) noexcept
{
    if (path.empty()) return 0;
    FileFinder finder;
    if (!finder.FindFirst(path.c_str()) || !finder.Found()) return 0;
    return finder.FileSize();
}

bool TruncateFile(const std::wstring& path, int64_t length) noexcept
{
    if (path.empty() || length < 0) return false;
    FileHandle file;
    if (!file.Open(path, GENERIC_WRITE, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL)) return false;
    LARGE_INTEGER to;
    to.QuadPart = length;
    return ::SetFilePointerEx(file.Get(), to, nullptr, FILE_BEGIN) && ::SetEndOfFile(file.Get());
}

}  // namespace vorlune
