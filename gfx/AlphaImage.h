#pragma once

#include <windows.h>

#include <memory>

#include "gfx/Surface.h"

namespace vorlune {

// An image with separate colour (24 bits) and transparency (8 bits, 0 clear
// to 255 opaque) planes; the alpha plane is empty for an opaque image. Blended
// by the program's own per-pixel loop onto 24-bit surfaces.
class AlphaImage {
public:
    AlphaImage() noexcept = default;
    virtual ~AlphaImage();
    AlphaImage(const AlphaImage&) = delete;
    AlphaImage& operator=(const AlphaImage&) = delete;

    virtual bool IsEmpty() const noexcept;
    // The colour plane is valid and an alpha plane, if any, has its size.
    virtual bool IsValid() const noexcept;
    virtual std::unique_ptr<AlphaImage> Clone() const;
    virtual void Clear() noexcept;
    // Fails unless source (null: the whole image) lies inside the image and
    // dest inside the 24-bit target; a different size is stretched first
    // (halftone when shrinking).
    virtual bool CompositeScaled(Surface& target, const RECT& dest, const RECT* source) noexcept;
    // Blends source (null: the whole image) onto the 24-bit target with its
    // top-left corner at `at`, clipped at the target's edges.
    virtual bool Composite(Surface& target, POINT at, const RECT* source) noexcept;
    // Blends over what the device context shows at `at` and puts the result
    // back there.
    virtual bool DrawToDC(HDC dc, POINT at, const RECT* source) noexcept;

    // target becomes the colour plane with every pixel blended over the
    // background colour by its alpha.
    bool FlattenOnto(Surface& target, COLORREF background) const noexcept;
    // A 32-bit source gives a colour and an alpha plane (its fourth bytes);
    // any other gives a 24-bit colour plane only. The source is not changed.
    bool SplitPlanes(const Surface& source) noexcept;

    bool HasAlpha() const noexcept { return !alpha_.IsEmpty(); }
    int Width() const noexcept { return colour_.Width(); }
    int Height() const noexcept { return colour_.Height(); }
    RECT Bounds() const noexcept { return colour_.Bounds(); }
    Surface24& Colour() noexcept { return colour_; }
    const Surface24& Colour() const noexcept { return colour_; }
    Surface8& Alpha() noexcept { return alpha_; }
    const Surface8& Alpha() const noexcept { return alpha_; }

private:
    bool BlendInto(Surface& target, const RECT& dest, const RECT& source) const noexcept;

    Surface24 colour_;
    Surface8 alpha_;
};

}  // namespace vorlune
