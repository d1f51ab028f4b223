#pragma once

#include "io/ByteBuffer.h"
#include "io/Stream.h"

#include <memory>

namespace vorlune {

// A stream over a block of memory: either an external block it only borrows
// (a loaded resource) or a ByteBuffer it owns. It never grows, never
// allocates, and can be positioned on any byte of the block but not past it.
class MemoryStream : public Stream {
public:
    // Attach flags: probe the block before borrowing it.
    static constexpr uint32_t kCheckReadable = 1;
    static constexpr uint32_t kCheckWritable = 2;

    MemoryStream() noexcept = default;
    ~MemoryStream() override;

    bool IsEof() const noexcept override;
    bool IsOpen() const noexcept override;
    uint32_t GetSize() const noexcept override;
    uint32_t Tell() const noexcept override;
    // Releases an owned buffer; true when something was open.
    bool Close() noexcept override;
    uint32_t Read(void* destination, uint32_t elementSize, uint32_t count) noexcept override;
    uint32_t Write(const void* source, uint32_t elementSize, uint32_t count) noexcept override;
    bool Flush() noexcept override;
    // Fails, position unchanged, for a target before the start or at/after the end.
    bool Seek(int32_t offset, int origin) noexcept override;

    virtual bool IsExternal() const noexcept;
    virtual bool OwnsBuffer() const noexcept;
    virtual bool HasOwnedData() const noexcept;

    // Borrows size bytes at data. A size of 0xFFFFFFFF (unknown extent) skips
    // the probes that flags ask for.
    bool Attach(const void* data, uint32_t size, uint32_t flags) noexcept;
    // Takes ownership of buffer, dropping whatever was open.
    void AttachBuffer(std::unique_ptr<ByteBuffer> buffer) noexcept;
    // Hands an owned buffer back and closes; null (and nothing changes) when
    // the stream owns none.
    std::unique_ptr<ByteBuffer> Detach() noexcept;

private:
    void Clear() noexcept;

    uint32_t position_ = 0;
    uint8_t* external_ = nullptr;
    uint32_t externalSize_ = 0;
    std::unique_ptr<ByteBuffer> owned_;
};

}  // namespace vorlune
