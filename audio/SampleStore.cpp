#include "audio/SampleStore.h"

#include <algorithm>
#include <new>

#include "io/FileMapping.h"

namespace vorlune {

int32_t SampleStore::BlockSize() noexcept
{
    static const int32_t size = static_cast<int32_t>(4 * AllocationGranularity());
    return size;
}

std::shared_ptr<SampleStore> SampleStore::Create(int32_t count) noexcept
{
    if (count < 0) return nullptr;
    try {
        std::shared_ptr<SampleStore> store(new SampleStore);
        // A copy of the song must not outlive the process, however it ends.
        if (!store->file_.OpenTemporary(uint64_t(count) * sizeof(float))) return nullptr;
        store->path_ = store->file_.Path();
        store->count_ = count;
        return store;
    } catch (...) {
        return nullptr;
    }
}

// Closing the file deletes it.
SampleStore::~SampleStore() { file_.CloseAll(); }

float* SampleStore::Block(int32_t index, int32_t& length) noexcept
{
    const int32_t b = BlockSize();
    if (index < 0 || int64_t(index) * b >= count_) return nullptr;
    length = std::min<int32_t>(b, count_ - index * b);
    if (index != mappedBlock_ || !file_.View()) {
        mappedBlock_ = -1;
        const uint64_t offset = uint64_t(index) * b * sizeof(float);
        if (!file_.RemapView(offset, uint32_t(length) * sizeof(float), MappedFile::kViewAccess)) return nullptr;
        mappedBlock_ = index;
    }
    return static_cast<float*>(file_.View());
}

}  // namespace vorlune
