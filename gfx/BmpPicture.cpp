#include "gfx/BmpPicture.h"

#include <new>

#include "gfx/BmpCodec.h"

namespace vorlune {

BmpPicture::~BmpPicture() = default;

std::unique_ptr<ImageCodec> BmpPicture::CreateCodec() const noexcept
{
    return std::unique_ptr<ImageCodec>(new (std::nothrow) BmpCodec);
}

}  // namespace vorlune
