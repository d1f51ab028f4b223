#pragma once

#include "gfx/ImageCodec.h"

namespace vorlune {

// Windows bitmaps: files through Decode, packed DIBs (RT_BITMAP) through
// LoadFromResource. 24 bits become the colour plane, 32 bits colour and
// alpha planes (alpha bytes that are all 0 mean an opaque image), every other
// depth is converted to 24 bits.
class BmpCodec : public ImageCodec {
public:
    ~BmpCodec() override;

    // 24 bits, or 32 with the alpha plane when there is one.
    bool Encode(Stream& stream, Picture& picture) noexcept override;
    bool Decode(Picture& picture, Stream& stream, bool headerOnly) noexcept override;
    bool LoadFromResource(Picture& picture, int id, HMODULE module, bool headerOnly) noexcept override;
    ImageType Type() const noexcept override { return ImageType::Bmp; }
};

}  // namespace vorlune
