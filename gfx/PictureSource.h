#pragma once

#include <windows.h>

namespace vorlune {

class Surface;

// What the drawing code needs from a picture: its bounds, and drawing a part
// of itself into a rectangle of a 24-bit surface (copied, stretched or
// composited, as the picture's storage requires).
class PictureSource {
public:
    virtual ~PictureSource() = default;

    virtual RECT Bounds() const = 0;
    // source null means the whole picture.
    virtual bool DrawOnto(Surface& target, const RECT& dest, const RECT* source) = 0;
};

// Draws the picture over what the device context shows in dest: the pixels
// there are captured, the picture draws itself onto them, and the result is
// copied back. Nothing happens when dest is not visible.
bool DrawPicture(HDC dc, PictureSource& picture, const RECT& dest, const RECT* source) noexcept;
// The same with dest the size of source (null: the picture's bounds) and its
// top-left corner at `at`.
bool DrawPictureAt(HDC dc, PictureSource& picture, POINT at, const RECT* source) noexcept;

}  // namespace vorlune
