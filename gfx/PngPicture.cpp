#include "gfx/PngPicture.h"

#include <new>

#include "gfx/PngCodec.h"

namespace vorlune {

PngPicture::~PngPicture() = default;

std::unique_ptr<ImageCodec> PngPicture::CreateCodec() const noexcept
{
    return std::unique_ptr<ImageCodec>(new (std::nothrow) PngCodec);
}

}  // namespace vorlune
