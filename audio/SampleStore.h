#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "io/MappedFile.h"

namespace vorlune {

// A run of 32-bit float samples in a memory-mapped temporary file. The run is
// mapped one block of BlockSize() samples at a time; the system deletes the
// file when the store closes it, or when the process ends.
class SampleStore {
public:
    // Samples per block: 4 x the allocation granularity.
    static int32_t BlockSize() noexcept;

    // A store of count samples, or null; a failure leaves no file behind.
    static std::shared_ptr<SampleStore> Create(int32_t count) noexcept;

    ~SampleStore();
    SampleStore(const SampleStore&) = delete;
    SampleStore& operator=(const SampleStore&) = delete;

    int32_t Count() const noexcept { return count_; }
    const std::wstring& Path() const noexcept { return path_; }

    // Maps block `index` and returns its first sample; length gets the
    // samples in it (BlockSize(), or fewer for the last block). Null on failure.
    float* Block(int32_t index, int32_t& length) noexcept;

private:
    SampleStore() = default;

    MappedFile file_;
    std::wstring path_;
    int32_t count_ = 0;
    int32_t mappedBlock_ = -1;
};

}  // namespace vorlune
