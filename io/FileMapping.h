#pragma once

#include "win/Handle.h"

#include <windows.h>

#include <cstdint>

namespace vorlune {

// The system's allocation granularity and the window size W (4 of them) of
// mapped streams, fetched once per process.
uint32_t AllocationGranularity() noexcept;
uint32_t MappedWindowSize() noexcept;

// A half-open byte range of a file; [all ones, all ones) contains nothing.
struct FileRange {
    uint64_t begin;
    uint64_t end;

    bool Contains(uint64_t first, uint64_t last) const noexcept
    {
        return first < last && begin <= first && last <= end;
    }
};

// A file-mapping object with at most one mapped view at a time.
class FileMapping {
public:
    FileMapping() noexcept = default;
    virtual ~FileMapping();
    FileMapping(const FileMapping&) = delete;
    FileMapping& operator=(const FileMapping&) = delete;

    // False when a mapping exists already or file is not an open handle.
    bool CreateMapping(HANDLE file, uint64_t maximumSize, DWORD protection, const wchar_t* name) noexcept;
    // Unmaps the view and closes the mapping; on a failing system call it
    // stops and the fields still describe what is open.
    bool CloseMapping() noexcept;
    // Maps length bytes at offset (a multiple of the granularity); length 0
    // maps to the end of the mapping. Null when there is no mapping, a view
    // is mapped already, or the offset is unaligned.
    void* MapView(uint64_t offset, uint32_t length, DWORD access) noexcept;
    // MapView after unmapping any current view.
    void* RemapView(uint64_t offset, uint32_t length, DWORD access) noexcept;
    FileRange ViewRange() const noexcept;

    bool HasMapping() const noexcept { return mapping_.Valid(); }
    HANDLE MappingHandle() const noexcept { return mapping_.Get(); }
    void* View() const noexcept { return view_.Get(); }
    uint64_t ViewOffset() const noexcept { return viewOffset_; }
    uint32_t ViewLength() const noexcept { return viewLength_; }
    // Views mapped over this object's life: sequential access must not remap
    // per call.
    uint64_t ViewsMapped() const noexcept { return viewsMapped_; }

private:
    bool UnmapView() noexcept;
    void ClearView() noexcept;

    KernelHandle mapping_;
    MappedView view_;
    uint64_t viewOffset_ = 0;
    uint32_t viewLength_ = 0;
    uint64_t viewsMapped_ = 0;
};

}  // namespace vorlune
