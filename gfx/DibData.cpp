#include "gfx/DibData.h"

#include <new>
#include <set>

namespace vorlune {

namespace {

// The addresses of the live records. Built in static storage and never torn
// down, so a surface destroyed during process exit still finds it.
class Registry {
public:
    void Add(const DibData* r)
    {
        ::AcquireSRWLockExclusive(&lock_);
        try {
            live_.insert(r);
        } catch (...) {
            ::ReleaseSRWLockExclusive(&lock_);
            throw;
        }
        ::ReleaseSRWLockExclusive(&lock_);
    }
    void Remove(const DibData* r) noexcept
    {
        ::AcquireSRWLockExclusive(&lock_);
        live_.erase(r);
        ::ReleaseSRWLockExclusive(&lock_);
    }
    bool Contains(const DibData* r) noexcept
    {
        ::AcquireSRWLockShared(&lock_);
        const bool found = live_.count(r) != 0;
        ::ReleaseSRWLockShared(&lock_);
        return found;
    }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
    std::set<const DibData*> live_;
};

Registry& Live()
{
    alignas(Registry) static unsigned char storage[sizeof(Registry)];
    static Registry* registry = new (storage) Registry;
    return *registry;
}

void MaskParts(uint32_t mask, uint32_t& shift, uint32_t& loss) noexcept
{
    shift = 0;
    loss = 0;
    if (mask == 0) return;
    while (((mask >> shift) & 1) == 0) ++shift;
    uint32_t ones = 0;
    while (shift + ones < 32 && ((mask >> (shift + ones)) & 1) != 0) ++ones;
    if (ones > 8) {
        shift += ones - 8;
    } else {
        loss = 8 - ones;
    }
}

}  // namespace

DibPtr DibData::Make()
{
    DibPtr record(new DibData);
    Live().Add(record.get());
    record->tag_ = kTag;
    return record;
}

DibData::~DibData()
{
    tag_ = 0;
    Live().Remove(this);
}

bool DibData::IsRecord(const DibData* record) noexcept
{
    return record != nullptr && Live().Contains(record) && record->tag_ == kTag;
}

void StoreMasks(const ColorMasks& masks, DibData& record) noexcept
{
    record.masks_ = masks;
    const uint32_t values[4] = {masks.red, masks.green, masks.blue, masks.alpha};
    for (int i = 0; i < 4; ++i) MaskParts(values[i], record.shifts_[i], record.losses_[i]);
}

}  // namespace vorlune
