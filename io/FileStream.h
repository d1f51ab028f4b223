#pragma once

#include "io/FileHandle.h"
#include "io/Stream.h"

#include <string>

namespace vorlune {

// A stream over an ordinary file. Every Read and Write is one system call, so
// callers pass whole blocks.
class FileStream : public Stream {
public:
    FileStream() noexcept = default;
    ~FileStream() override;

    bool IsEof() const noexcept override;
    bool IsOpen() const noexcept override;
    uint32_t GetSize() const noexcept override;
    uint32_t Tell() const noexcept override;
    bool Close() noexcept override;
    // A short read at the end of the file returns fewer elements; the position
    // still moves by every byte read, a trailing partial element included.
    uint32_t Read(void* destination, uint32_t elementSize, uint32_t count) noexcept override;
    uint32_t Write(const void* source, uint32_t elementSize, uint32_t count) noexcept override;
    bool Flush() noexcept override;
    bool Seek(int32_t offset, int origin) noexcept override;
    DWORD MapOrigin(int origin) const noexcept override;

    // Read and write, not shared; an existing file is emptied.
    bool Create(const std::wstring& path) noexcept;
    // Read only, shared with other readers.
    bool OpenRead(const std::wstring& path) noexcept;
    // Read only, and in nobody's way: other programs may go on reading,
    // writing, renaming or deleting the file meanwhile.
    bool OpenShared(const std::wstring& path) noexcept;

    HANDLE Handle() const noexcept { return file_.Get(); }

private:
    FileHandle file_;
};

}  // namespace vorlune
