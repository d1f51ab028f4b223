#include "io/MappedFile.h"

#include "io/FileUtil.h"
#include "io/WriteErrors.h"

namespace vorlune {

MappedFile::~MappedFile()
{
    CloseAll();
    file_.Close();
}

bool MappedFile::Open(const std::wstring& path, DWORD disposition, uint64_t capacity) noexcept
{
    if (path.empty() || file_.IsOpen() || HasMapping()) return false;
    // Shared with readers only: a file being made beside its target is held
    // open for reading by its maker, so that no clean-up takes it meanwhile.
    if (!file_.Open(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, disposition, FILE_ATTRIBUTE_NORMAL)) {
        if (disposition != OPEN_EXISTING) NoteWriteError(::GetLastError());
        return false;
    }
    if (!CreateMappingOverFile(capacity, nullptr)) {
        file_.Close();
        return false;
    }
    try {
        path_ = path;
    } catch (...) {
        CloseAll();
        return false;
    }
    return true;
}

bool MappedFile::OpenTemporary(uint64_t capacity) noexcept
{
    if (file_.IsOpen() || HasMapping()) return false;
    std::wstring path;
    if (!CreateTempFile(file_, path)) return false;
    if (!CreateMappingOverFile(capacity, nullptr)) {
        file_.Close();  // and the system deletes it
        return false;
    }
    path_ = std::move(path);
    return true;
}

bool MappedFile::CreateMappingOverFile(uint64_t size, const wchar_t* name) noexcept
{
    if (HasMapping() || !file_.IsOpen()) return false;
    // The space a mapping grows the file by is claimed first: a view of
    // space the disk does not have faults when written.
    if (size && !ReserveSpace(file_.Get(), size)) return false;
    if (!CreateMapping(file_.Get(), size, PAGE_READWRITE, name)) {
        NoteWriteError(::GetLastError());
        return false;
    }
    if (size == 0) {
        LARGE_INTEGER fileSize{};
        if (!::GetFileSizeEx(file_.Get(), &fileSize)) {
            CloseMapping();
            return false;
        }
        size = static_cast<uint64_t>(fileSize.QuadPart);
    }
    capacity_ = size;
    return true;
}

bool MappedFile::Resize(uint64_t size, const wchar_t* name) noexcept
{
    if (HasMapping()) {
        if (!CloseMapping()) return false;
        capacity_ = 0;
    }
    return CreateMappingOverFile(size, name);
}

bool MappedFile::CloseAll() noexcept
{
    if (!CloseMapping()) return false;
    file_.Close();
    capacity_ = 0;
    path_.clear();
    return true;
}

}  // namespace vorlune
