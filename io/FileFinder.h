#pragma once

#include "win/Handle.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace vorlune {

// The result of one FindFirstFileW search, with the directory the pattern
// names.
class FileFinder {
public:
    FileFinder() noexcept;
    FileFinder(const FileFinder&) = delete;
    FileFinder& operator=(const FileFinder&) = delete;

    // Closes any earlier search first. A null pattern means "*.*"; patterns
    // of MAX_PATH units or more fail before any system call.
    bool FindFirst(const wchar_t* pattern) noexcept;
    void Close() noexcept;

    bool Found() const noexcept { return found_; }
    const WIN32_FIND_DATAW& Data() const noexcept { return data_; }
    uint64_t FileSize() const noexcept;
    // The full path of the pattern without its last component or separator.
    const wchar_t* Directory() const noexcept { return directory_; }
    wchar_t Separator() const noexcept { return separator_; }
    // Directory, separator and the found name.
    std::wstring FoundPath() const;

private:
    WIN32_FIND_DATAW data_;
    wchar_t directory_[MAX_PATH];
    wchar_t separator_ = L'\\';
    FindHandle search_;
    bool found_ = false;
};

}  // namespace vorlune
