#include "io/FileFinder.h"

#include <cwchar>

namespace vorlune {

FileFinder::FileFinder() noexcept : data_{}, directory_{} {}

void FileFinder::Close() noexcept
{
    search_.Reset();
    found_ = false;
}

bool FileFinder::FindFirst(const wchar_t* pattern) noexcept
{
    Close();
    if (!pattern) pattern = L"*.*";
    const size_t length = std::wcslen(pattern);
    if (length >= MAX_PATH) return false;

    std::wmemcpy(data_.cFileName, pattern, length + 1);
    HANDLE h = ::FindFirstFileW(pattern, &data_);
    if (h == INVALID_HANDLE_VALUE) return false;
    search_.Reset(h);

    // A result of MAX_PATH or more is the size the path would need: the
    // buffer was left unfilled.
    const DWORD full = ::GetFullPathNameW(pattern, MAX_PATH, directory_, nullptr);
    if (full == 0 || full >= MAX_PATH) {
        search_.Reset();
        directory_[0] = L'\0';
        ::SetLastError(ERROR_INVALID_NAME);
        return false;
    }

    wchar_t* back = std::wcsrchr(directory_, L'\\');
    wchar_t* forward = std::wcsrchr(directory_, L'/');
    wchar_t* cut = back > forward ? back : forward;
    if (cut) {
        separator_ = *cut;
        *cut = L'\0';
    }
    found_ = true;
    return true;
}

uint64_t FileFinder::FileSize() const noexcept
{
    return found_ ? (uint64_t{data_.nFileSizeHigh} << 32) | data_.nFileSizeLow : 0;
}

std::wstring FileFinder::FoundPath() const
{
    if (!found_) return std::wstring();
    return std::wstring(directory_) + separator_ + data_.cFileName;
}

}  // namespace vorlune
