#pragma once

#include "gfx/Picture.h"

namespace vorlune {

// A picture kept as one 24-bit surface.
class JpegPicture : public Picture {
public:
    JpegPicture() noexcept : Picture(ImageType::Jpeg) {}
    ~JpegPicture() override;

    bool IsEmpty() const noexcept override { return surface_.IsEmpty(); }
    bool IsValid() const noexcept override { return surface_.IsValid(); }
    int Width() const noexcept override { return surface_.Width(); }
    int Height() const noexcept override { return surface_.Height(); }
    bool HasAlphaStorage() const noexcept override { return false; }
    bool DrawOnto(Surface& target, const RECT& dest, const RECT* source) noexcept override;
    std::unique_ptr<ImageCodec> CreateCodec() const noexcept override;
    Surface24& ColorSurface() noexcept override { return surface_; }
    const Surface24& ColorSurface() const noexcept override { return surface_; }

protected:
    bool DestroyPixels() noexcept override;

private:
    Surface24 surface_;
};

}  // namespace vorlune
