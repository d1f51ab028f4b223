#pragma once

#include "io/MappedFile.h"
#include "io/Stream.h"

#include <string>

namespace vorlune {

// A growable stream over a memory-mapped file. The mapping grows in whole
// windows (MappedWindowSize()) as it is written, the view moves only when a
// transfer leaves it, and Close trims the file back to the bytes written.
class MappedFileStream : public Stream {
public:
    // What every caller starts a new stream with.
    static constexpr uint32_t kInitialCapacity = 4096;

    MappedFileStream() noexcept = default;
    ~MappedFileStream() override;

    bool IsEof() const noexcept override;
    bool IsOpen() const noexcept override;
    uint32_t GetSize() const noexcept override;
    uint32_t Tell() const noexcept override;
    // Closes the mapping and the file, then cuts the file to the stream's size.
    bool Close() noexcept override;
    uint32_t Read(void* destination, uint32_t elementSize, uint32_t count) noexcept override;
    uint32_t Write(const void* source, uint32_t elementSize, uint32_t count) noexcept override;
    bool Flush() noexcept override;
    // The position may stand beyond the size (a later Write fills the gap with
    // whatever the file holds there) but not before the start or past 4 GiB.
    bool Seek(int32_t offset, int origin) noexcept override;

    // A new, empty file (an existing one is emptied) mapped with
    // initialCapacity bytes.
    bool Create(const std::wstring& path, uint32_t initialCapacity) noexcept;
    // A new temporary "~Ve" file, deleted by the system when the stream
    // closes it (or the process ends); Close does not trim it.
    bool CreateTemporary(uint32_t initialCapacity) noexcept;
    // An existing file under 4 GiB, positioned at its start.
    bool Open(const std::wstring& path) noexcept;

    const MappedFile& File() const noexcept { return file_; }

private:
    // Points the view at the windows that hold [position, position + n).
    uint8_t* MapWindows(uint32_t position, uint32_t n) noexcept;
    uint8_t* ViewAt(uint32_t position) const noexcept;

    MappedFile file_;
    uint32_t size_ = 0;
    uint32_t position_ = 0;
    bool temporary_ = false;
};

}  // namespace vorlune
