#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "gfx/Palette.h"
#include "win/Handle.h"

namespace vorlune {

struct ColorMasks {
    uint32_t red = 0;
    uint32_t green = 0;
    uint32_t blue = 0;
    uint32_t alpha = 0;

    friend bool operator==(const ColorMasks& a, const ColorMasks& b) noexcept
    {
        return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
    }
};

class DibData;
using DibPtr = std::unique_ptr<DibData>;

// The record behind a Surface: one DIB section, the table of row pointers
// (row 0 is the top of the picture), the colour masks and a copy of the
// colour table. Only Surface makes records, and each has one owner.
class DibData {
public:
    static constexpr uint32_t kTag = 0x2B424944;  // "DIB+"
    static constexpr uint32_t kSmoothStretch = 4;

    enum Channel { kRed = 0, kGreen = 1, kBlue = 2, kAlpha = 3 };

    ~DibData();
    DibData(const DibData&) = delete;
    DibData& operator=(const DibData&) = delete;

    // True for a live record that carries its tag. The address is looked up
    // among the records made and not yet destroyed before anything is read
    // through it, so a stray or dangling pointer is refused without a fault.
    static bool IsRecord(const DibData* record) noexcept;

    int Width() const noexcept { return section_.dsBm.bmWidth; }
    int Height() const noexcept { return section_.dsBm.bmHeight < 0 ? -section_.dsBm.bmHeight : section_.dsBm.bmHeight; }
    int BitsPerPixel() const noexcept { return section_.dsBm.bmBitsPixel; }
    DWORD Compression() const noexcept { return section_.dsBmih.biCompression; }
    int Stride() const noexcept { return ((BitsPerPixel() * Width() + 31) >> 3) & ~3; }
    bool IsIndexed() const noexcept { return BitsPerPixel() <= 8; }

    uint8_t* Row(int y) const noexcept { return rows_[y]; }
    uint8_t* Bits() const noexcept { return bits_; }
    HBITMAP Bitmap() const noexcept { return bitmap_.Get(); }
    const DIBSECTION& Section() const noexcept { return section_; }

    const ColorMasks& Masks() const noexcept { return masks_; }
    uint32_t Shift(Channel c) const noexcept { return shifts_[c]; }
    uint32_t Loss(Channel c) const noexcept { return losses_[c]; }
    const Palette& Colours() const noexcept { return palette_; }
    uint32_t Flags() const noexcept { return flags_; }

private:
    friend class Surface;
    friend void StoreMasks(const ColorMasks& masks, DibData& record) noexcept;

    DibData() noexcept = default;
    // A new, empty record with its tag set, registered as live.
    static DibPtr Make();

    std::unique_ptr<uint8_t*[]> rows_;
    uint8_t* bits_ = nullptr;
    UniqueBitmap bitmap_;
    DIBSECTION section_{};
    uint32_t shifts_[4] = {};
    uint32_t losses_[4] = {};
    ColorMasks masks_;
    Palette palette_;
    uint32_t flags_ = 0;
    uint32_t tag_ = 0;
};

// Stores the masks with, per mask, its shift (trailing zero bits) and loss
// (8 minus its run of one bits from the lowest set bit); an empty mask gives
// 0 and 0. A run longer than 8 bits keeps its top 8: the extra bits are added
// to the shift and the loss is 0, so ((pixel & mask) >> shift) << loss is
// always a byte.
void StoreMasks(const ColorMasks& masks, DibData& record) noexcept;

// Channel value of a masked pixel as a byte.
inline uint32_t WidenChannel(uint32_t pixel, uint32_t mask, uint32_t shift, uint32_t loss) noexcept
{
    return (((pixel & mask) >> shift) << loss) & 0xFF;
}

// A byte put back into a masked pixel's bits.
inline uint32_t NarrowChannel(uint32_t value, uint32_t mask, uint32_t shift, uint32_t loss) noexcept
{
    return ((value >> loss) << shift) & mask;
}

}  // namespace vorlune
