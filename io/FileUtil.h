#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace vorlune {

// Switches off the system's critical-error dialogs (a missing medium) for
// the calling thread while it lives.
class CriticalErrorsOff {
public:
    CriticalErrorsOff() noexcept;
    ~CriticalErrorsOff();
    CriticalErrorsOff(const CriticalErrorsOff&) = delete;
    CriticalErrorsOff& operator=(const CriticalErrorsOff&) = delete;

private:
    DWORD old_ = 0;
    bool restore_ = false;
};

// Whether the path names an existing file or directory; never shows a dialog.
bool FileExists(const std::wstring& path) noexcept;

// The 64-bit size from the file's directory entry, without opening it (so it
// works while someone holds the file exclusively); 0 when it cannot be found.
uint64_t GetFileSizeByName(const std::wstring& path) noexcept;

// Sets the file's length (cutting or extending it); a negative length fails
// and leaves the file alone.
bool TruncateFile(const std::wstring& path, int64_t length) noexcept;

}  // namespace vorlune
