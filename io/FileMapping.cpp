#include "io/FileMapping.h"

#include "io/FileHandle.h"

namespace vorlune {
namespace {

const SYSTEM_INFO& SystemInfo() noexcept
{
    static const SYSTEM_INFO info = [] {
        SYSTEM_INFO si{};
        ::GetSystemInfo(&si);
        return si;
    }();
    return info;
}

}  // namespace

uint32_t AllocationGranularity() noexcept
{
    return SystemInfo().dwAllocationGranularity;
}

uint32_t MappedWindowSize() noexcept
{
    static const uint32_t window = 4 * AllocationGranularity();
    return window;
}

FileMapping::~FileMapping()
{
    CloseMapping();
}

void FileMapping::ClearView() noexcept
{
    view_.Release();
    viewOffset_ = 0;
    viewLength_ = 0;
}

bool FileMapping::UnmapView() noexcept
{
    if (!view_) return true;
    if (!::UnmapViewOfFile(view_.Get())) return false;
    ClearView();
    return true;
}

bool FileMapping::CreateMapping(HANDLE file, uint64_t maximumSize, DWORD protection, const wchar_t* name) noexcept
{
    if (mapping_ || !FileHandle::IsValid(file)) return false;
    // No mapping means no view, but never leave one behind.
    if (!UnmapView()) return false;
    HANDLE h = ::CreateFileMappingW(file, nullptr, protection, static_cast<DWORD>(maximumSize >> 32),
                                    static_cast<DWORD>(maximumSize), name);
    mapping_.Reset(h);
    return mapping_.Valid();
}

bool FileMapping::CloseMapping() noexcept
{
    if (!mapping_) return true;
    if (!UnmapView()) return false;
    if (!::CloseHandle(mapping_.Get())) return false;
    mapping_.Release();
    return true;
}

void* FileMapping::MapView(uint64_t offset, uint32_t length, DWORD access) noexcept
{
    if (!mapping_ || view_) return nullptr;
    if (offset % AllocationGranularity() != 0) return nullptr;
    ClearView();
    void* view = ::MapViewOfFile(mapping_.Get(), access, static_cast<DWORD>(offset >> 32),
                                 static_cast<DWORD>(offset), length);
    if (!view) return nullptr;
    if (length == 0) {
        MEMORY_BASIC_INFORMATION info{};
        if (!::VirtualQuery(view, &info, sizeof info)) {
            ::UnmapViewOfFile(view);
            return nullptr;
        }
        // Views past 4 GiB are recorded short: a range too small only remaps.
        length = info.RegionSize > MAXDWORD ? MAXDWORD - MAXDWORD % AllocationGranularity()
                                           : static_cast<uint32_t>(info.RegionSize);
    }
    view_.Reset(view);
    viewOffset_ = offset;
    viewLength_ = length;
    ++viewsMapped_;
    return view;
}

void* FileMapping::RemapView(uint64_t offset, uint32_t length, DWORD access) noexcept
{
    if (!mapping_) return nullptr;
    if (!UnmapView()) return nullptr;
    return MapView(offset, length, access);
}

FileRange FileMapping::ViewRange() const noexcept
{
    if (!view_) return FileRange{~uint64_t{0}, ~uint64_t{0}};
    return FileRange{viewOffset_, viewOffset_ + viewLength_};
}

}  // namespace vorlune
