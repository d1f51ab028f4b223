#pragma once

#include <cstdint>
#include <memory>

#include "audio/SampleStore.h"

namespace vorlune {

// One channel of a clip: count samples starting at offset in a store.
// Arrays the engine makes start at 0 and own their store alone; an array may
// also be a view into part of another's store.
class ChannelSamples {
public:
    bool Allocate(int32_t count) noexcept;
    void Release() noexcept;

    bool IsAllocated() const noexcept { return store_ != nullptr; }
    int32_t Count() const noexcept { return count_; }
    int32_t Offset() const noexcept { return offset_; }
    const std::shared_ptr<SampleStore>& Store() const noexcept { return store_; }

    // count samples of another array's store from its sample `first` on.
    static ChannelSamples ViewOf(const ChannelSamples& of, int32_t first, int32_t count) noexcept;

    // Copies count samples from one array to another (their stores must differ).
    static bool Copy(ChannelSamples& from, int32_t fromFirst, ChannelSamples& to, int32_t toFirst,
                     int32_t count) noexcept;

    // Calls fn(float* run, int32_t n, int32_t index) for samples [first,
    // first + count) in runs that never leave a mapped block; index is the
    // array index of run[0]. False when the range is outside the array or a
    // block cannot be mapped.
    template <class Fn>
    bool ForEachRun(int32_t first, int32_t count, Fn&& fn) noexcept;

private:
    float* Run(int32_t index, int32_t& available) noexcept;

    int32_t count_ = 0;
    int32_t offset_ = 0;
    std::shared_ptr<SampleStore> store_;
};

template <class Fn>
bool ChannelSamples::ForEachRun(int32_t first, int32_t count, Fn&& fn) noexcept
{
    if (!store_ || first < 0 || count < 0 || int64_t(first) + count > count_) return false;
    int32_t done = 0;
    while (done < count) {
        int32_t available = 0;
        float* run = Run(first + done, available);
        if (!run) return false;
        const int32_t n = available < count - done ? available : count - done;
        fn(run, n, first + done);
        done += n;
    }
    return true;
}

}  // namespace vorlune
