#pragma once

#include "gfx/AlphaImage.h"
#include "gfx/Picture.h"

namespace vorlune {

// A picture kept as an AlphaImage: a 24-bit colour plane and, for images
// with transparency, an 8-bit alpha plane. Base of PngPicture and BmpPicture.
class AlphaPicture : public Picture {
public:
    ~AlphaPicture() override;

    bool IsEmpty() const noexcept override { return image_.IsEmpty(); }
    bool IsValid() const noexcept override { return image_.IsValid(); }
    int Width() const noexcept override { return image_.Width(); }
    int Height() const noexcept override { return image_.Height(); }
    bool HasAlphaStorage() const noexcept override { return true; }
    bool DrawOnto(Surface& target, const RECT& dest, const RECT* source) noexcept override;
    Surface24& ColorSurface() noexcept override { return image_.Colour(); }
    const Surface24& ColorSurface() const noexcept override { return image_.Colour(); }
    AlphaImage* AlphaStorage() noexcept override { return &image_; }
    const AlphaImage* AlphaStorage() const noexcept override { return &image_; }

    AlphaImage& Image() noexcept { return image_; }
    const AlphaImage& Image() const noexcept { return image_; }

protected:
    explicit AlphaPicture(ImageType type) noexcept : Picture(type) {}
    bool DestroyPixels() noexcept override;

private:
    AlphaImage image_;
};

}  // namespace vorlune
