#pragma once

#include <windows.h>

#include <cstdint>

namespace vorlune {

static_assert((-256 >> 8) == -1, "blending needs an arithmetic right shift");

// Blends a blue, green, red colour over a destination pixel of the same byte
// order: d + ((w * (c - d)) >> 8) per channel. The shift by 8 (not a division
// by 255) is deliberate: weight 254 of 255 over 0 gives 253.
inline void BlendPixel(uint8_t* dest, const uint8_t* colour, uint8_t weight) noexcept
{
    if (weight == 255) {
        dest[0] = colour[0];
        dest[1] = colour[1];
        dest[2] = colour[2];
    } else if (weight != 0) {
        const int w = weight;
        for (int i = 0; i < 3; ++i) {
            const int d = dest[i];
            dest[i] = static_cast<uint8_t>(d + ((w * (colour[i] - d)) >> 8));
        }
    }
}

// The blue, green, red bytes of a COLORREF (0x00BBGGRR).
struct BgrBytes {
    uint8_t bytes[3];
};

inline BgrBytes SplitColorRef(COLORREF colour) noexcept
{
    return BgrBytes{{static_cast<uint8_t>((colour >> 16) & 0xFF), static_cast<uint8_t>((colour >> 8) & 0xFF),
                     static_cast<uint8_t>(colour & 0xFF)}};
}

}  // namespace vorlune
