#include "controls/SkinArt.h"

#include "gfx/ImageResource.h"
#include "gfx/JpegPicture.h"
#include "win/AppModule.h"

namespace vorlune {

bool LoadSkinJpeg(int id, Surface24& out) noexcept
{
    out.Destroy();
    JpegPicture picture;
    return picture.LoadFromResource(id, AppModule::ResourceInstance()) && out.Take(picture.ColorSurface());
}

UniqueImageList LoadSkinStrip(int id, int cells) noexcept
{
    SIZE size{};
    if (cells <= 0 || !ResourceImageSize(id, size, AppModule::ResourceInstance())) return UniqueImageList();
    return LoadSkinStripCells(id, size.cx / cells);
}

UniqueImageList LoadSkinStripCells(int id, int cellWidth) noexcept
{
    if (cellWidth <= 0) return UniqueImageList();
    return UniqueImageList(::ImageList_LoadImageW(AppModule::ResourceInstance(), MAKEINTRESOURCEW(id), cellWidth, 1,
                                                  CLR_NONE, IMAGE_BITMAP, LR_CREATEDIBSECTION));
}

}  // namespace vorlune
