#include "gfx/AlphaPicture.h"

namespace vorlune {

AlphaPicture::~AlphaPicture() = default;

bool AlphaPicture::DrawOnto(Surface& target, const RECT& dest, const RECT* source) noexcept
{
    return image_.CompositeScaled(target, dest, source);
}

bool AlphaPicture::DestroyPixels() noexcept
{
    if (image_.IsEmpty()) return false;
    image_.Clear();
    return true;
}

}  // namespace vorlune
