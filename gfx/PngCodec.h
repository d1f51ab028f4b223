#pragma once

#include <string>

#include "gfx/ImageCodec.h"

namespace vorlune {

// PNG through libpng 1.6. Every image decodes to a 24-bit colour plane, plus
// an alpha plane when the image has an alpha channel or a tRNS chunk.
// Encoding writes 8-bit RGB or RGBA with "Software" and "Modification Time"
// text chunks.
class PngCodec : public ImageCodec {
public:
    ~PngCodec() override;

    bool Encode(Stream& stream, Picture& picture) noexcept override;
    bool Decode(Picture& picture, Stream& stream, bool headerOnly) noexcept override;
    ImageType Type() const noexcept override { return ImageType::Png; }

    // The "Modification Time" text for a UTC time: "Mon, 5 Jun 2023 08:04:09 GMT".
    static std::string FormatModificationTime(const SYSTEMTIME& utc);
};

}  // namespace vorlune
