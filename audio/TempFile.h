#pragma once

#include <string>
#include <utility>

#include "io/PathText.h"
#include "win/Handle.h"

namespace vorlune {

// Names and creates a new temporary file. With no arguments: a "~Ve" file made
// by the system in the user's temporary folder. With a directory or an
// extension: prefix + a three-digit hexadecimal number (001, 002, ... 00A)
// + "." + extension in that directory (created when missing). Returns an
// empty path on failure.
std::wstring MakeTempFilePath(const std::wstring& extension = {}, const wchar_t* prefix = nullptr,
                              const std::wstring& directory = {});

// Deletes the file when the path is not empty and the file exists.
bool DeleteIfExists(const std::wstring& path) noexcept;

// Deletes a temporary file when its scope ends, whatever happened in it.
class TempFile {
public:
    TempFile() = default;
    explicit TempFile(std::wstring path) : path_(std::move(path)) {}
    ~TempFile() { DeleteIfExists(path_); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::wstring& Path() const noexcept { return path_; }
    bool Empty() const noexcept { return path_.empty(); }
    // Deletes the file held so far and holds this one.
    void Reset(std::wstring path = {}) noexcept
    {
        DeleteIfExists(path_);
        path_ = std::move(path);
    }

private:
    std::wstring path_;
};

// A new file made beside a target path under a temporary name ("~Ve001.mp3"
// in the target's folder, so on the same volume), which takes the target's
// place in one step on Commit and is deleted if it never does. The target's
// folder must exist; it is never created.
//
// A process that is killed cannot delete its file, so each new one first
// removes the files of that naming in the folder that no living process
// holds: while it lives, every replacement file is held open (shared with
// readers and writers, never with a delete).
class ReplacementFile {
public:
    ReplacementFile(const std::wstring& target, const std::wstring& extension);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Empty when the file could not be made.
    const std::wstring& Path() const noexcept { return path_; }
    // Moves the file over the target (replacing it, written through); false
    // leaves the target as it was.
    bool Commit() noexcept;

private:
    std::wstring target_;
    std::wstring path_;
    KernelHandle holder_;
};

}  // namespace vorlune
