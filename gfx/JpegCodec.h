#pragma once

#include "gfx/ImageCodec.h"

namespace vorlune {

// JPEG through libjpeg (the version-62 interface). Every image decodes to 24
// bits: greyscale is widened, CMYK (Adobe's inverted form) is multiplied out.
// Encoding writes the picture's colour surface with the info's quality,
// smoothing and option flags, and its application markers.
class JpegCodec : public ImageCodec {
public:
    ~JpegCodec() override;

    bool Encode(Stream& stream, Picture& picture) noexcept override;
    // Reads the application markers into the info first (unless header only);
    // a stream whose markers cannot be listed still decodes.
    bool Decode(Picture& picture, Stream& stream, bool headerOnly) noexcept override;
    ImageType Type() const noexcept override { return ImageType::Jpeg; }
};

}  // namespace vorlune
