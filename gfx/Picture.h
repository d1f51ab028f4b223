#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "gfx/ImageInfo.h"
#include "gfx/PictureSource.h"
#include "gfx/Surface.h"

namespace vorlune {

class AlphaImage;
class ImageCodec;

// An image that loads and saves itself through the codec of its format and
// keeps the header facts of the last load in its ImageInfo. Every load first
// clears the picture, so a failed load leaves it empty. Nothing here throws.
class Picture : public PictureSource {
public:
    ~Picture() override;
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    virtual bool IsEmpty() const noexcept = 0;
    virtual bool IsValid() const noexcept = 0;
    virtual int Width() const noexcept = 0;
    virtual int Height() const noexcept = 0;
    RECT Bounds() const noexcept override { return RECT{0, 0, Width(), Height()}; }
    // Destroys the pixels; with resetInfo the info goes back to its defaults
    // when there was something to destroy.
    void Clear(bool resetInfo = true) noexcept;

    virtual bool LoadFromFile(const std::wstring& path) noexcept;
    // module null: the program's own executable.
    virtual bool LoadFromResource(int id, HMODULE module = nullptr) noexcept;
    virtual bool SaveToFile(const std::wstring& path) noexcept;
    // Copies the info and the pixels; a picture without alpha storage gets
    // the other's alpha flattened onto white. The info keeps this picture's type.
    virtual bool Assign(const Picture& other) noexcept;
    virtual bool HasAlphaStorage() const noexcept = 0;
    // target becomes a 24-bit copy no larger than maxSize in either
    // direction, smoothly shrunk with the aspect ratio kept when needed;
    // alpha is flattened onto white.
    virtual bool MakeThumbnail(Surface& target, int maxSize) const noexcept;
    // Draws source (null: the whole picture) into dest of a 24-bit target:
    // copied or stretched, composited when there is an alpha plane.
    bool DrawOnto(Surface& target, const RECT& dest, const RECT* source) noexcept override = 0;

    ImageInfo& Info() noexcept { return info_; }
    const ImageInfo& Info() const noexcept { return info_; }
    ImageType Type() const noexcept { return info_.type; }

    // A new codec of this picture's format; null when out of memory.
    virtual std::unique_ptr<ImageCodec> CreateCodec() const noexcept = 0;
    // A new empty info of this picture's format; null when out of memory.
    std::unique_ptr<ImageInfo> CreateInfo() const noexcept;

    // The colour pixels: the surface itself, or the colour plane.
    virtual Surface24& ColorSurface() noexcept = 0;
    virtual const Surface24& ColorSurface() const noexcept = 0;
    // Colour and alpha planes; null for a picture that has none.
    virtual AlphaImage* AlphaStorage() noexcept { return nullptr; }
    virtual const AlphaImage* AlphaStorage() const noexcept { return nullptr; }
    // The colour pixels with any alpha flattened onto white: the colour
    // surface itself, or scratch holding the flattened copy. Null on failure.
    const Surface24* OpaqueColour(Surface24& scratch) const noexcept;

protected:
    explicit Picture(ImageType type) noexcept : info_(type) {}
    // True when there was something to destroy.
    virtual bool DestroyPixels() noexcept = 0;

private:
    ImageInfo info_;
};

}  // namespace vorlune
