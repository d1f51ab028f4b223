#include "gfx/ImageInfo.h"

namespace vorlune {

LPCWSTR ResourceTypeOf(ImageType type) noexcept
{
    switch (type) {
    case ImageType::Ved: return L"VED";
    case ImageType::Bmp: return RT_BITMAP;
    case ImageType::Gif: return L"GIF";
    case ImageType::Ico: return RT_ICON;
    case ImageType::Jpeg: return L"JPG";
    case ImageType::Png: return L"PNG";
    case ImageType::Tiff: return L"TIF";
    default: return nullptr;
    }
}

void ImageInfo::Reset() noexcept
{
    bitsPerPixel = 0;
    width = 0;
    height = 0;
    path.clear();
    components = 3;
    markers.clear();
    quality = 95;
    fullChromaQuality = 95;
    smoothing = 0;
    flags &= ~(kProgressive | kOptimizeCoding);
    bitDepth = 0;
    channels = 0;
    colorType = 0;
    interlace = 0;
    bmpHeader = BITMAPINFOHEADER{};
}

}  // namespace vorlune
