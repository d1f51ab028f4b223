#pragma once

#include "gfx/Surface.h"
#include "win/GuiHandles.h"

// Loading skin pictures the way the controls keep them, from the module that
// holds the skin (AppModule::ResourceInstance).
namespace vorlune {

// A "JPG" resource decoded into out; out stays empty when it fails.
bool LoadSkinJpeg(int id, Surface24& out) noexcept;

// An image list cut from a strip bitmap into cells side by side: cell width
// = strip width / cells, no mask, a DIB section. Null when it fails.
UniqueImageList LoadSkinStrip(int id, int cells) noexcept;

// The same cut with a given cell width (a second look of the same size).
UniqueImageList LoadSkinStripCells(int id, int cellWidth) noexcept;

}  // namespace vorlune
