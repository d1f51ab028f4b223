#include "io/FileUtil.h"

#include "io/FileFinder.h"
#include "io/FileHandle.h"
#include "io/WriteErrors.h"

#include <atomic>
#include <vector>

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
    // Readers may hold the file meanwhile (see MappedFile::Open).
    if (!file.Open(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL)) return false;
    LARGE_INTEGER to;
    to.QuadPart = length;
    return ::SetFilePointerEx(file.Get(), to, nullptr, FILE_BEGIN) && ::SetEndOfFile(file.Get());
}

bool IsInUseError(DWORD error) noexcept { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

bool IsDiskFullError(DWORD error) noexcept { return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL; }

bool ReserveSpace(HANDLE file, uint64_t size) noexcept
{
    LARGE_INTEGER length{};
    if (!::GetFileSizeEx(file, &length)) return false;
    const uint64_t old = static_cast<uint64_t>(length.QuadPart);
    if (size <= old) return true;
    if (size > static_cast<uint64_t>(INT64_MAX) || !WriteFits(size - old)) return false;
    const auto cutBack = [&](DWORD error) {
        ::SetFilePointerEx(file, length, nullptr, FILE_BEGIN);
        ::SetEndOfFile(file);
        NoteWriteError(error);
        return false;
    };
    LARGE_INTEGER end;
    end.QuadPart = static_cast<int64_t>(size);
    if (!::SetFilePointerEx(file, end, nullptr, FILE_BEGIN) || !::SetEndOfFile(file)) return cutBack(::GetLastError());
    // NTFS allocates what a file grows by. Other file systems (Wine's) leave
    // a hole that a write through a view fills page by page, and a page that
    // finds the disk full faults. Claim the hole now; that fails when the
    // room is not there. (Where the allocation is already whole, as on NTFS,
    // this is skipped: SetFileValidData would expose old disk contents.)
    FILE_STANDARD_INFO info{};
    if (::GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof info) &&
        static_cast<uint64_t>(info.AllocationSize.QuadPart) < size && !::SetFileValidData(file, end.QuadPart)) {
        const DWORD error = ::GetLastError();
        if (IsDiskFullError(error)) return cutBack(error);
    }
    return true;
}

std::wstring TempDirectory()
{
    std::vector<wchar_t> buffer(32758);
    const DWORD n = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (n == 0 || n >= buffer.size()) return {};
    return std::wstring(buffer.data(), n);
}

bool CreateTempFile(FileHandle& file, std::wstring& path) noexcept
{
    try {
        const std::wstring dir = TempDirectory();
        if (dir.empty()) return false;
        // Given a number, GetTempFileNameW only makes the name; creating the
        // file with CREATE_NEW is what claims it, with the flags it needs
        // from the start.
        static std::atomic<unsigned> next{GetTickCount() ^ (GetCurrentProcessId() << 8)};
        for (unsigned tries = 0; tries < 0x10000; ++tries) {
            const unsigned unique = next.fetch_add(1) & 0xFFFF;
            if (unique == 0) continue;
            wchar_t name[MAX_PATH];
            if (!GetTempFileNameW(dir.c_str(), L"~Ve", unique, name)) return false;
            if (file.Open(name, GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW,
                          FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE)) {
                path = name;
                return true;
            }
            const DWORD error = GetLastError();
            // A name taken, or held by a file being deleted, is skipped; a
            // folder that refuses every name ends the search.
            const bool taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ||
                               error == ERROR_SHARING_VIOLATION || (error == ERROR_ACCESS_DENIED && FileExists(name));
            if (!taken) {
                NoteWriteError(error);
                return false;
            }
        }
    } catch (...) {
        file.Close();
    }
    return false;
}

}  // namespace vorlune
