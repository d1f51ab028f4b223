#pragma once

#include "io/FileHandle.h"
#include "io/FileMapping.h"

#include <cstdint>
#include <string>
#include <utility>

namespace vorlune {

// A read-write mapping over one file that this object opens itself, with the
// mapping's maximum size (capacity) and the file's path. While mapped the
// file is at least capacity bytes long.
class MappedFile : public FileMapping {
public:
    // Every view of a mapped file is mapped with this access.
    static constexpr DWORD kViewAccess = FILE_MAP_ALL_ACCESS;

    MappedFile() noexcept = default;
    ~MappedFile() override;

    // Opens path read-write, shared with readers, with the given disposition
    // and maps capacity bytes of it (0: the file's size). The path is kept
    // on success; on failure the file is closed again.
    bool Open(const std::wstring& path, DWORD disposition, uint64_t capacity) noexcept;
    // A new temporary "~Ve" file that the system deletes once it is closed
    // (also when the process dies), mapped with capacity bytes.
    bool OpenTemporary(uint64_t capacity) noexcept;
    // Maps the open file; size 0 takes the file's current size. A file
    // shorter than size first grows with space the disk really gives.
    bool CreateMappingOverFile(uint64_t size, const wchar_t* name) noexcept;
    // A new mapping of size bytes (growing the file when larger); the view is
    // gone afterwards.
    bool Resize(uint64_t size, const wchar_t* name) noexcept;
    // The mapping, then the file.
    bool CloseAll() noexcept;

    FileHandle& File() noexcept { return file_; }
    const FileHandle& File() const noexcept { return file_; }
    uint64_t Capacity() const noexcept { return capacity_; }
    std::wstring GetPath() const { return path_; }
    const std::wstring& Path() const noexcept { return path_; }
    void SetPath(std::wstring path) noexcept { path_ = std::move(path); }
    std::wstring TakePath() noexcept { return std::exchange(path_, std::wstring()); }

private:
    FileHandle file_;
    uint64_t capacity_ = 0;
    std::wstring path_;
};

}  // namespace vorlune
