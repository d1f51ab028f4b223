#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

namespace vorlune {

// A colour table: a heap array of RGBQUAD entries and its count. Indexing
// outside the array hands out a scratch entry instead of faulting, so pixel
// code reading an index that the table lacks gets black, not a crash.
class Palette {
public:
    Palette() noexcept = default;
    Palette(const RGBQUAD* entries, uint32_t count);
    Palette(const Palette& other);
    Palette& operator=(const Palette& other);
    Palette(Palette&& other) noexcept;
    Palette& operator=(Palette&& other) noexcept;
    ~Palette() = default;

    // The table a new indexed surface gets when none is given: black and white
    // for 1 bit, the 16 standard colours for 4 bits, a grey ramp for 8 bits.
    // Empty for any other depth.
    static Palette Default(int depth);

    uint32_t Count() const noexcept { return count_; }
    bool IsEmpty() const noexcept { return count_ == 0; }
    const RGBQUAD* Data() const noexcept { return entries_.get(); }

    RGBQUAD& operator[](uint32_t index) noexcept;
    const RGBQUAD& operator[](uint32_t index) const noexcept;

    // Keeps the entries that still fit; new entries are zero. Throws on a
    // failed allocation.
    void Resize(uint32_t count);
    void Assign(const RGBQUAD* entries, uint32_t count);
    void Clear() noexcept;

    friend bool operator==(const Palette& a, const Palette& b) noexcept;
    friend bool operator!=(const Palette& a, const Palette& b) noexcept { return !(a == b); }

private:
    static RGBQUAD& Scratch() noexcept;

    std::unique_ptr<RGBQUAD[]> entries_;
    uint32_t count_ = 0;
};

}  // namespace vorlune
