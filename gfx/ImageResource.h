#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "gfx/ImageInfo.h"
#include "gfx/Picture.h"
#include "gfx/Surface.h"

// windows.h maps FindResource to FindResourceA/W; in this program the name is
// vorlune::FindResource below, so the macro goes. Code that includes this
// header calls the system function as FindResourceW.
#ifdef FindResource
#undef FindResource
#endif

namespace vorlune {

// The data and size of resource id of the given type; null when it is missing
// or cannot be loaded (size is then left alone). A null module means the
// program's own executable. Resource memory belongs to the module.
const uint8_t* FindResource(int id, LPCWSTR type, HMODULE module, uint32_t& size) noexcept;

// The first format, in ImageType order (VED, BMP, GIF, ICO, JPEG, PNG, TIFF),
// under which the id exists; None when it exists under none of them.
ImageType ProbeResource(int id, HMODULE module = nullptr) noexcept;

// A new BmpPicture, JpegPicture or PngPicture; null for any other type.
std::unique_ptr<Picture> CreatePicture(ImageType type) noexcept;

// A picture of the probed format, loaded when load is set; null when the id
// has no decodable format or the load fails.
std::unique_ptr<Picture> OpenResourcePicture(int id, HMODULE module = nullptr, bool load = true) noexcept;

// Width and height of the resource image in its probed format, from its
// header only.
bool ResourceImageSize(int id, SIZE& size, HMODULE module = nullptr) noexcept;

// Loads the RT_BITMAP resource into surface, at its stored depth (depth 0) or
// converted to depth 1, 4, 8, 15, 16, 24 or 32. The surface is emptied first
// and stays empty on failure (an unknown depth fails before that).
bool LoadBitmapResource(Surface& surface, int id, int depth = 0, HMODULE module = nullptr) noexcept;

}  // namespace vorlune
