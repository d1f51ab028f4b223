#include "audio/ChannelSamples.h"

#include <cstring>

namespace vorlune {

bool ChannelSamples::Allocate(int32_t count) noexcept
{
    Release();
    std::shared_ptr<SampleStore> store = SampleStore::Create(count);
    if (!store) return false;
    store_ = std::move(store);
    count_ = count;
    offset_ = 0;
    return true;
}

void ChannelSamples::Release() noexcept
{
    store_.reset();
    count_ = 0;
    offset_ = 0;
}

ChannelSamples ChannelSamples::ViewOf(const ChannelSamples& of, int32_t first, int32_t count) noexcept
{
    ChannelSamples view;
    if (!of.store_ || first < 0 || count < 0 || int64_t(first) + count > of.count_) return view;
    view.store_ = of.store_;
    view.offset_ = of.offset_ + first;
    view.count_ = count;
    return view;
}

bool ChannelSamples::Copy(ChannelSamples& from, int32_t fromFirst, ChannelSamples& to, int32_t toFirst,
                          int32_t count) noexcept
{
    if (!from.store_ || !to.store_ || from.store_ == to.store_) return false;
    if (fromFirst < 0 || count < 0 || int64_t(fromFirst) + count > from.count_) return false;
    // Walk the target block by block and fill each run from the source.
    bool ok = true;
    const bool walked = to.ForEachRun(toFirst, count, [&](float* run, int32_t n, int32_t index) {
        int32_t filled = 0;
        ok = ok && from.ForEachRun(fromFirst + (index - toFirst), n, [&](float* src, int32_t m, int32_t) {
            std::memcpy(run + filled, src, size_t(m) * sizeof(float));
            filled += m;
        });
    });
    return walked && ok;
}

float* ChannelSamples::Run(int32_t index, int32_t& available) noexcept
{
    const int32_t at = offset_ + index;
    const int32_t b = SampleStore::BlockSize();
    int32_t length = 0;
    float* block = store_->Block(at / b, length);
    if (!block) return nullptr;
    const int32_t within = at % b;
    available = length - within;
    return available > 0 ? block + within : nullptr;
}

}  // namespace vorlune
