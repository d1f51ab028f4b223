#include "io/MappedFileStream.h"

#include "io/FileUtil.h"
#include "win/Error.h"

#include <cstring>

namespace vorlune {

MappedFileStream::~MappedFileStream()
{
    Close();
}

bool MappedFileStream::IsEof() const noexcept
{
    return position_ >= size_;
}

bool MappedFileStream::IsOpen() const noexcept
{
    return file_.Capacity() != 0 && !file_.Path().empty() && file_.HasMapping();
}

uint32_t MappedFileStream::GetSize() const noexcept
{
    return size_;
}

uint32_t MappedFileStream::Tell() const noexcept
{
    return position_;
}

bool MappedFileStream::Create(const std::wstring& path, uint32_t initialCapacity) noexcept
{
    if (path.empty() || initialCapacity == 0 || IsOpen()) return false;
    size_ = 0;
    position_ = 0;
    return file_.Open(path, CREATE_ALWAYS, initialCapacity);
}

bool MappedFileStream::CreateTemporary(uint32_t initialCapacity) noexcept
{
    if (initialCapacity == 0 || IsOpen()) return false;
    size_ = 0;
    position_ = 0;
    temporary_ = file_.OpenTemporary(initialCapacity);
    return temporary_;
}

bool MappedFileStream::Open(const std::wstring& path) noexcept
{
    if (path.empty() || IsOpen()) return false;
    if (!FileExists(path)) return false;
    size_ = 0;
    position_ = 0;
    FileHandle& file = file_.File();
    if (!file.Open(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL))
        return false;
    // The size comes from the open handle, not from the directory entry: a
    // path the directory search cannot take would read as empty, and Close
    // would then cut the file to nothing. Files of 4 GiB or more do not fit
    // the stream's sizes, and trimming them on Close would lose data.
    LARGE_INTEGER fileSize{};
    const bool ok = ::GetFileSizeEx(file.Get(), &fileSize) && fileSize.QuadPart <= MAXDWORD &&
                    file_.CreateMappingOverFile(fileSize.QuadPart ? fileSize.QuadPart : kInitialCapacity, nullptr) &&
                    Guarded([&] {
                        file_.SetPath(path);
                        return true;
                    });
    if (!ok) {
        file_.CloseMapping();
        file.Close();
        return false;
    }
    size_ = static_cast<uint32_t>(fileSize.QuadPart);
    return true;
}

bool MappedFileStream::Seek(int32_t offset, int origin) noexcept
{
    if (!IsOpen()) return false;
    int64_t base = size_;
    if (origin == SeekBegin)
        base = 0;
    else if (origin == SeekCurrent)
        base = position_;
    const int64_t target = base + offset;
    if (target < 0 || target > int64_t{MAXDWORD}) return false;
    position_ = static_cast<uint32_t>(target);
    return true;
}

uint8_t* MappedFileStream::ViewAt(uint32_t position) const noexcept
{
    return static_cast<uint8_t*>(file_.View()) + (position - file_.ViewOffset());
}

uint8_t* MappedFileStream::MapWindows(uint32_t position, uint32_t n) noexcept
{
    const uint64_t window = MappedWindowSize();
    const uint64_t first = position / window;
    const uint64_t last = (uint64_t{position} + n - 1) / window;
    const uint64_t windows = (file_.Capacity() + window - 1) / window;
    // The last window is mapped to the end of the mapping, whatever its length.
    const uint32_t length = last + 1 >= windows ? 0 : static_cast<uint32_t>((last - first + 1) * window);
    if (!file_.RemapView(first * window, length, MappedFile::kViewAccess)) return nullptr;
    return ViewAt(position);
}

uint32_t MappedFileStream::Read(void* destination, uint32_t elementSize, uint32_t count) noexcept
{
    if (!destination || !elementSize || !count || !IsOpen() || IsEof()) return 0;
    const uint32_t n = ClampTransfer(uint64_t{elementSize} * count, position_, size_);
    if (n == 0) return 0;
    uint8_t* source = file_.ViewRange().Contains(position_, uint64_t{position_} + n) ? ViewAt(position_)
                                                                                      : MapWindows(position_, n);
    if (!source) return 0;
    std::memcpy(destination, source, n);
    position_ += n;
    return n / elementSize;
}

uint32_t MappedFileStream::Write(const void* source, uint32_t elementSize, uint32_t count) noexcept
{
    if (!source || !elementSize || !count || !IsOpen()) return 0;
    const uint64_t n64 = uint64_t{elementSize} * count;
    const uint64_t end = position_ + n64;
    // Sizes and positions are 32-bit: a write past 4 GiB would wrap.
    if (end > MAXDWORD) return 0;
    const uint32_t n = static_cast<uint32_t>(n64);

    // A view that reaches the end of the mapping may run on to the end of its
    // last page; bytes there never reach the file, so the capacity bounds the
    // fast path too.
    uint8_t* target = nullptr;
    if (file_.ViewRange().Contains(position_, end) && end <= file_.Capacity()) {
        target = ViewAt(position_);
    } else {
        if (end > file_.Capacity()) {
            const uint64_t window = MappedWindowSize();
            const uint64_t grown = (end + window - 1) / window * window;
            const uint64_t old = file_.Capacity();
            if (!file_.Resize(grown, nullptr)) {
                // Keep the stream usable at its old capacity.
                file_.Resize(old, nullptr);
                return 0;
            }
        }
        target = MapWindows(position_, n);
        if (!target) return 0;
    }
    std::memcpy(target, source, n);
    if (end > size_) size_ = static_cast<uint32_t>(end);
    position_ = static_cast<uint32_t>(end);
    return count;
}

bool MappedFileStream::Flush() noexcept
{
    return file_.View() && ::FlushViewOfFile(file_.View(), 0);
}

bool MappedFileStream::Close() noexcept
{
    bool ok = false;
    if (temporary_) {
        ok = file_.CloseAll();  // the system deletes the file
        temporary_ = false;
    } else if (IsOpen() || file_.File().IsOpen()) {
        // (A stream whose mapping was lost in a failed resize still holds its file.)
        const uint64_t capacity = file_.Capacity();
        // Still mapped: keep the size, so a later Close trims to it.
        if (!file_.CloseMapping()) return false;
        const std::wstring path = file_.TakePath();
        file_.CloseAll();
        ok = capacity == 0 || capacity > size_ ? TruncateFile(path, size_) : true;
    }
    size_ = 0;
    position_ = 0;
    return ok;
}

}  // namespace vorlune
