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

// Errors meaning another program holds the file in a way that shuts us out.
bool IsInUseError(DWORD error) noexcept;
// Errors meaning the disk has no room left.
bool IsDiskFullError(DWORD error) noexcept;

// Whether the path names an existing file or directory; never shows a dialog.
bool FileExists(const std::wstring& path) noexcept;

// The 64-bit size from the file's directory entry, without opening it (so it
// works while someone holds the file exclusively); 0 when it cannot be found.
uint64_t GetFileSizeByName(const std::wstring& path) noexcept;

// Sets the file's length (cutting or extending it); a negative length fails
// and leaves the file alone.
bool TruncateFile(const std::wstring& path, int64_t length) noexcept;

// Grows the open file to `size` bytes of space the disk really holds, so a
// write through a mapped view of it never faults for want of room: a full
// disk fails here, up front, with ERROR_DISK_FULL. A file that long already
// is left alone; a failure leaves the file's length as it was.
bool ReserveSpace(HANDLE file, uint64_t size) noexcept;

class FileHandle;

// The user's temporary folder with a trailing backslash; empty when the
// system has none.
std::wstring TempDirectory();

// Creates a new "~Ve" file in the user's temporary folder, open for reading
// and writing and shared with no one, which the system deletes when its last
// handle closes: nothing is left behind, even when the process is killed.
bool CreateTempFile(FileHandle& file, std::wstring& path) noexcept;

}  // namespace vorlune
