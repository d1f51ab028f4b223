#include "gfx/ImageResource.h"

#include <new>

#include "gfx/BmpPicture.h"
#include "gfx/ImageCodec.h"
#include "gfx/JpegPicture.h"
#include "gfx/PackedDib.h"
#include "gfx/PngPicture.h"
#include "io/MemoryStream.h"
#include "win/Error.h"

namespace vorlune {

const uint8_t* FindResource(int id, LPCWSTR type, HMODULE module, uint32_t& size) noexcept
{
    if (type == nullptr) return nullptr;
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (found == nullptr) return nullptr;
    HGLOBAL loaded = ::LoadResource(module, found);
    if (loaded == nullptr) return nullptr;
    const void* data = ::LockResource(loaded);
    if (data == nullptr) return nullptr;
    size = ::SizeofResource(module, found);
    return static_cast<const uint8_t*>(data);
}

ImageType ProbeResource(int id, HMODULE module) noexcept
{
    for (int t = static_cast<int>(ImageType::Ved); t <= static_cast<int>(ImageType::Tiff); ++t) {
        const auto type = static_cast<ImageType>(t);
        if (::FindResourceW(module, MAKEINTRESOURCEW(id), ResourceTypeOf(type)) != nullptr) return type;
    }
    return ImageType::None;
}

std::unique_ptr<Picture> CreatePicture(ImageType type) noexcept
{
    switch (type) {
    case ImageType::Bmp: return std::unique_ptr<Picture>(new (std::nothrow) BmpPicture);
    case ImageType::Jpeg: return std::unique_ptr<Picture>(new (std::nothrow) JpegPicture);
    case ImageType::Png: return std::unique_ptr<Picture>(new (std::nothrow) PngPicture);
    default: return nullptr;
    }
}

std::unique_ptr<Picture> OpenResourcePicture(int id, HMODULE module, bool load) noexcept
{
    auto picture = CreatePicture(ProbeResource(id, module));
    if (picture && load && !picture->LoadFromResource(id, module)) picture.reset();
    return picture;
}

bool ResourceImageSize(int id, SIZE& size, HMODULE module) noexcept
{
    const auto picture = OpenResourcePicture(id, module, false);
    if (!picture) return false;
    const auto codec = picture->CreateCodec();
    const auto info = picture->CreateInfo();
    if (!codec || !info || !codec->ReadInfoFromResource(*info, id, module)) return false;
    size = SIZE{info->width, info->height};
    return true;
}

bool LoadBitmapResource(Surface& surface, int id, int depth, HMODULE module) noexcept
{
    if (depth != 0 && depth != 1 && depth != 4 && depth != 8 && depth != 15 && depth != 16 && depth != 24 &&
        depth != 32)
        return false;
    surface.Destroy();
    uint32_t size = 0;
    const uint8_t* data = FindResource(id, RT_BITMAP, module, size);
    if (data == nullptr || size == 0) return false;
    const bool ok = Guarded([&] {
        MemoryStream stream;
        Check(stream.Attach(data, size, 0));
        Surface loaded;
        Check(ReadPackedDib(stream, loaded, nullptr, false));
        if (depth == 0 || depth == loaded.BitsPerPixel()) return surface.Take(loaded);
        return loaded.ConvertTo(surface, depth);
    });
    if (!ok) surface.Destroy();
    return ok;
}

}  // namespace vorlune
