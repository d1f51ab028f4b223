#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "gfx/Surface.h"
#include "io/Stream.h"

namespace vorlune {

// A BITMAPINFO block (header, masks, colour table) read from a stream and
// checked, ready for Surface::CreateFromInfo; a 12-byte core header comes back
// as a 40-byte one with a four-byte colour table.
class PackedDib {
public:
    // Reads the block at the stream's position. Refuses header sizes other
    // than 12, 40, 56, 108 and 124, unknown depths and compressions, and
    // tables of more than 256 entries.
    bool ReadInfo(Stream& stream) noexcept;
    // Reads the pixels at the stream's position into target, which gets an
    // uncompressed image of the block's depth; RLE data is expanded.
    bool ReadPixels(Stream& stream, Surface& target) const noexcept;

    const BITMAPINFO* Info() const noexcept;
    // The first 40 bytes of the header (a converted core header has biSize 40).
    const BITMAPINFOHEADER& Header() const noexcept { return header_; }
    // Bytes the block took in the stream.
    uint32_t StoredSize() const noexcept { return storedSize_; }

private:
    std::vector<uint32_t> words_;
    BITMAPINFOHEADER header_{};
    uint32_t storedSize_ = 0;
};

// A packed DIB (as RT_BITMAP resources hold it): the info block directly
// followed by the pixels. header, when given, receives the block's header.
bool ReadPackedDib(Stream& stream, Surface& target, BITMAPINFOHEADER* header, bool headerOnly) noexcept;

// A bitmap file: a 14-byte file header starting "BM", the info block, and
// the pixels at the header's offset.
bool ReadBitmapFile(Stream& stream, Surface& target, BITMAPINFOHEADER* header, bool headerOnly) noexcept;

// Writes the surface as a bottom-up bitmap file of its own depth.
bool WriteBitmapFile(Stream& stream, const Surface& source) noexcept;

}  // namespace vorlune
