#include "gfx/JpegPicture.h"

#include <new>

#include "gfx/JpegCodec.h"

namespace vorlune {

JpegPicture::~JpegPicture() = default;

bool JpegPicture::DrawOnto(Surface& target, const RECT& dest, const RECT* source) noexcept
{
    if (!IsValid() || !target.IsValid() || target.BitsPerPixel() != 24) return false;
    return target.DrawFrom(surface_, source ? *source : Bounds(), dest);
}

std::unique_ptr<ImageCodec> JpegPicture::CreateCodec() const noexcept
{
    return std::unique_ptr<ImageCodec>(new (std::nothrow) JpegCodec);
}

bool JpegPicture::DestroyPixels() noexcept
{
    if (surface_.IsEmpty()) return false;
    surface_.Destroy();
    return true;
}

}  // namespace vorlune
