#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace vorlune::test {

// A fresh directory in the user's temporary directory, removed with
// everything in it when the object dies.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::wstring& Path() const { return path_; }
    // A path inside the directory.
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// Deletes a folder with everything in it.
void RemoveTree(const std::wstring& dir);
// Writes bytes to a new file; false when it cannot.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
// The whole content of a file; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);
// The file's length from an open handle, or -1.
int64_t FileLength(const std::wstring& path);
// Whether the file can be opened with no sharing at all: nothing else (no
// handle, mapping or view) holds it.
bool CanOpenExclusively(const std::wstring& path);
// Makes a file of the given length that holds no data (sparse).
bool MakeSparseFile(const std::wstring& path, uint64_t length);

}  // namespace vorlune::test
