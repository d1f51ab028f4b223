#include "gfx/PictureSource.h"

#include "gfx/Surface.h"
#include "win/Error.h"

namespace vorlune {

bool DrawPicture(HDC dc, PictureSource& picture, const RECT& dest, const RECT* source) noexcept
{
    if (dc == nullptr || !::RectVisible(dc, &dest)) return false;
    return Guarded([&] {
        Surface24 behind;
        Check(behind.CaptureRect(dc, dest));
        Check(picture.DrawOnto(behind, behind.Bounds(), source));
        return behind.DrawAt(dc, dest.left, dest.top, SRCCOPY);
    });
}

bool DrawPictureAt(HDC dc, PictureSource& picture, POINT at, const RECT* source) noexcept
{
    RECT dest{};
    if (!Guarded([&] {
            dest = source ? *source : picture.Bounds();
            return true;
        }))
        return false;
    ::OffsetRect(&dest, at.x - dest.left, at.y - dest.top);
    return DrawPicture(dc, picture, dest, source);
}

}  // namespace vorlune
