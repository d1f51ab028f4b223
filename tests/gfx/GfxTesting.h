#pragma once

#include <windows.h>

#include <cstdint>

#include "gfx/Surface.h"

namespace vorlune::test {

inline RGBQUAD Quad(uint8_t blue, uint8_t green, uint8_t red, uint8_t alpha = 255)
{
    RGBQUAD q{};
    q.rgbBlue = blue;
    q.rgbGreen = green;
    q.rgbRed = red;
    q.rgbReserved = alpha;
    return q;
}

// A quad as 0xAARRGGBB, for comparisons that print readably.
inline uint32_t Argb(const RGBQUAD& q)
{
    return (uint32_t(q.rgbReserved) << 24) | (uint32_t(q.rgbRed) << 16) | (uint32_t(q.rgbGreen) << 8) | q.rgbBlue;
}

// GetColor of a pixel as 0xAARRGGBB.
inline uint32_t Argb(const Surface& s, int x, int y)
{
    RGBQUAD q{};
    s.GetColor(x, y, q);
    return Argb(q);
}

// The pixel of a 24-bit surface as a COLORREF, read straight from its memory.
inline COLORREF At(const Surface& s, int x, int y)
{
    ::GdiFlush();
    const uint8_t* p = s.Row(y) + 3 * x;
    return RGB(p[2], p[1], p[0]);
}

inline void Put(Surface& s, int x, int y, COLORREF c)
{
    uint8_t* p = s.Row(y) + 3 * x;
    p[0] = GetBValue(c);
    p[1] = GetGValue(c);
    p[2] = GetRValue(c);
}

// A 24-bit surface, filled with a colour and then selected into a memory DC:
// it stands in for a window's DC, and its pixels can be read back directly.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill)
    {
        surface_.Create(width, height, 24);
        surface_.FillAll(fill);
        dc_ = ::CreateCompatibleDC(nullptr);
        old_ = ::SelectObject(dc_, surface_.Data()->Bitmap());
    }
    ~Canvas()
    {
        ::SelectObject(dc_, old_);
        ::DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return dc_; }
    COLORREF At(int x, int y) const { return test::At(surface_, x, y); }
    void Put(int x, int y, COLORREF c) { test::Put(surface_, x, y, c); }
    const Surface24& Pixels() const { return surface_; }

private:
    Surface24 surface_;
    HDC dc_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

}  // namespace vorlune::test
