// Moving pixels between surfaces and device contexts, and drawing into a
// surface through GDI. Every call makes and deletes its own memory DCs and
// GDI objects, and deselects everything before it returns.

#include <utility>

#include "gfx/Surface.h"
#include "win/Error.h"
#include "win/Handle.h"

namespace vorlune {

namespace {

bool IsEmptyRect(const RECT& r) noexcept { return r.right <= r.left || r.bottom <= r.top; }

RECT Intersect(const RECT& a, const RECT& b) noexcept
{
    RECT r{};
    ::IntersectRect(&r, &a, &b);
    return r;
}

bool Contains(const RECT& outer, const RECT& inner) noexcept
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// Sets a stretch mode on a DC for one scope and puts the old one back.
class StretchModeGuard {
public:
    StretchModeGuard(HDC dc, int mode) noexcept : dc_(dc), old_(::SetStretchBltMode(dc, mode))
    {
        if (mode == HALFTONE) moved_ = ::SetBrushOrgEx(dc, 0, 0, &oldOrigin_) != FALSE;
    }
    ~StretchModeGuard()
    {
        if (moved_) ::SetBrushOrgEx(dc_, oldOrigin_.x, oldOrigin_.y, nullptr);
        if (old_ != 0) ::SetStretchBltMode(dc_, old_);
    }
    StretchModeGuard(const StretchModeGuard&) = delete;
    StretchModeGuard& operator=(const StretchModeGuard&) = delete;

private:
    HDC dc_;
    int old_;
    bool moved_ = false;
    POINT oldOrigin_{};
};

}  // namespace

template <class Draw>
bool Surface::DrawInto(Draw&& draw) noexcept
{
    if (!IsValid()) return false;
    return Guarded([&] {
        MemoryDc dc(::CreateCompatibleDC(nullptr));
        Check(dc.Valid());
        bool ok = false;
        {
            SelectGuard selected(dc.Get(), dib_->Bitmap());
            Check(selected.Ok());
            ok = draw(dc.Get());
        }
        ::GdiFlush();
        return ok;
    });
}

// ---- surface and device context --------------------------------------------

bool Surface::DrawAt(HDC dc, int x, int y, DWORD rop) const noexcept
{
    if (dc == nullptr || !IsValid()) return false;
    return Guarded([&] {
        MemoryDc memory(::CreateCompatibleDC(dc));
        Check(memory.Valid());
        SelectGuard selected(memory.Get(), dib_->Bitmap());
        Check(selected.Ok());
        return ::BitBlt(dc, x, y, Width(), Height(), memory.Get(), 0, 0, rop) != FALSE;
    });
}

bool Surface::DrawStretched(HDC dc, const RECT& dest, const RECT& source) const noexcept
{
    return DrawStretched(dc, dest, source, GetSmoothStretch());
}

bool Surface::DrawStretched(HDC dc, const RECT& dest, const RECT& source, bool smooth) const noexcept
{
    if (dc == nullptr || !IsValid() || IsEmptyRect(dest) || IsEmptyRect(source)) return false;
    return Guarded([&] {
        MemoryDc memory(::CreateCompatibleDC(dc));
        Check(memory.Valid());
        SelectGuard selected(memory.Get(), dib_->Bitmap());
        Check(selected.Ok());
        const int dw = dest.right - dest.left;
        const int dh = dest.bottom - dest.top;
        const int sw = source.right - source.left;
        const int sh = source.bottom - source.top;
        if (dw == sw && dh == sh)
            return ::BitBlt(dc, dest.left, dest.top, dw, dh, memory.Get(), source.left, source.top, SRCCOPY) != FALSE;
        // Indexed surfaces stretch in whatever mode the target is in.
        if (BitsPerPixel() <= 8)
            return ::StretchBlt(dc, dest.left, dest.top, dw, dh, memory.Get(), source.left, source.top, sw, sh,
                                SRCCOPY) != FALSE;
        StretchModeGuard mode(dc, smooth ? HALFTONE : COLORONCOLOR);
        return ::StretchBlt(dc, dest.left, dest.top, dw, dh, memory.Get(), source.left, source.top, sw, sh,
                            SRCCOPY) != FALSE;
    });
}

bool Surface::CaptureAt(HDC dc, int x, int y) noexcept
{
    if (dc == nullptr) return false;
    const int width = Width();
    const int height = Height();
    return DrawInto([&](HDC memory) { return ::BitBlt(memory, 0, 0, width, height, dc, x, y, SRCCOPY) != FALSE; });
}

bool Surface::CaptureRect(HDC dc, const RECT& rect) noexcept
{
    if (dc == nullptr || !IsEmpty() || IsEmptyRect(rect)) return false;
    if (!Create(rect.right - rect.left, rect.bottom - rect.top, 24)) return false;
    if (CaptureAt(dc, rect.left, rect.top)) return true;
    Destroy();
    return false;
}

bool Surface::DrawFrom(const Surface& source, const RECT& sourceRect, const RECT& destRect) noexcept
{
    return DrawFrom(source, sourceRect, destRect, source.GetSmoothStretch());
}

bool Surface::DrawFrom(const Surface& source, const RECT& sourceRect, const RECT& destRect, bool smooth) noexcept
{
    // A bitmap can be selected into one DC at a time, so not onto itself.
    if (&source == this || !source.IsValid() || IsEmptyRect(sourceRect) || IsEmptyRect(destRect)) return false;
    return DrawInto([&](HDC memory) { return source.DrawStretched(memory, destRect, sourceRect, smooth); });
}

// ---- drawing into the surface ----------------------------------------------

bool Surface::Scroll(const RECT& rect, int dx, int dy) noexcept
{
    return DrawInto([&](HDC dc) { return ::ScrollDC(dc, dx, dy, &rect, &rect, nullptr, nullptr) != FALSE; });
}

bool Surface::InvertArea(const RECT& rect, const RECT* excluded) noexcept
{
    const RECT area = Intersect(rect, Bounds());
    if (IsEmptyRect(area)) return false;
    if (excluded && Contains(*excluded, area)) return true;
    return DrawInto([&](HDC dc) {
        ::IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
        if (excluded) ::ExcludeClipRect(dc, excluded->left, excluded->top, excluded->right, excluded->bottom);
        return ::PatBlt(dc, 0, 0, Width(), Height(), DSTINVERT) != FALSE;
    });
}

bool Surface::InvertAll() noexcept
{
    return DrawInto([&](HDC dc) { return ::PatBlt(dc, 0, 0, Width(), Height(), DSTINVERT) != FALSE; });
}

bool Surface::FillAll(COLORREF colour) noexcept { return FillArea(Bounds(), colour, nullptr); }

bool Surface::FillEllipse(const RECT& rect, COLORREF colour) noexcept
{
    RECT r = rect;
    if (r.left > r.right) std::swap(r.left, r.right);
    if (r.top > r.bottom) std::swap(r.top, r.bottom);
    if (IsEmptyRect(r)) return false;
    return DrawInto([&](HDC dc) {
        UniquePen pen(::CreatePen(PS_SOLID, 0, colour));
        UniqueBrush brush(::CreateSolidBrush(colour));
        Check(pen.Valid() && brush.Valid());
        SelectGuard withPen(dc, pen.Get());
        SelectGuard withBrush(dc, brush.Get());
        return ::Ellipse(dc, r.left, r.top, r.right, r.bottom) != FALSE;
    });
}

bool Surface::Tile(const Surface& pattern) noexcept
{
    if (&pattern == this || !pattern.IsValid()) return false;
    const int pw = pattern.Width();
    const int ph = pattern.Height();
    const int width = Width();
    const int height = Height();
    return DrawInto([&](HDC dc) {
        MemoryDc source(::CreateCompatibleDC(dc));
        Check(source.Valid());
        {
            SelectGuard selected(source.Get(), pattern.dib_->Bitmap());
            Check(selected.Ok());
            for (int x = 0; x < width; x += pw) Check(::BitBlt(dc, x, 0, pw, ph, source.Get(), 0, 0, SRCCOPY));
        }
        for (int y = ph; y < height; y += ph) Check(::BitBlt(dc, 0, y, width, ph, dc, 0, 0, SRCCOPY));
        return true;
    });
}

bool Surface::FillArea(const RECT& rect, COLORREF colour, const RECT* excluded) noexcept
{
    const RECT bounds = Bounds();
    const RECT area = Intersect(rect, bounds);
    if (IsEmptyRect(area)) return false;
    return DrawInto([&](HDC dc) {
        if (excluded) {
            const RECT cut = Intersect(*excluded, bounds);
            if (!IsEmptyRect(cut)) ::ExcludeClipRect(dc, cut.left, cut.top, cut.right, cut.bottom);
        }
        const COLORREF old = ::SetBkColor(dc, colour);
        const bool ok = ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr) != FALSE;
        if (old != CLR_INVALID) ::SetBkColor(dc, old);
        return ok;
    });
}

bool Surface::Line(POINT from, POINT to, COLORREF colour) noexcept
{
    return DrawInto([&](HDC dc) {
        UniquePen pen(::CreatePen(PS_SOLID, 1, colour));
        Check(pen.Valid());
        SelectGuard withPen(dc, pen.Get());
        ::MoveToEx(dc, from.x, from.y, nullptr);
        const bool ok = ::LineTo(dc, to.x, to.y) != FALSE;
        // LineTo leaves out the end point.
        ::SetPixel(dc, to.x, to.y, colour);
        return ok;
    });
}

bool Surface::DrawFrame(const RECT& rect, COLORREF colour, int fill, const RECT* excluded) noexcept
{
    const RECT area = Intersect(rect, Bounds());
    if (IsEmptyRect(area)) return false;
    if (excluded && Contains(*excluded, area)) return true;
    return DrawInto([&](HDC dc) {
        UniquePen pen(::CreatePen(PS_SOLID, 1, colour));
        UniqueBrush brush(fill == kOutlineOnly ? nullptr : ::CreateSolidBrush(colour));
        Check(pen.Valid() && (fill == kOutlineOnly || brush.Valid()));
        SelectGuard withPen(dc, pen.Get());
        SelectGuard withBrush(dc, fill == kOutlineOnly ? ::GetStockObject(NULL_BRUSH) : brush.Get());
        if (excluded) {
            const RECT cut = Intersect(*excluded, rect);
            if (!IsEmptyRect(cut)) ::ExcludeClipRect(dc, cut.left, cut.top, cut.right, cut.bottom);
        }
        return ::Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom) != FALSE;
    });
}

}  // namespace vorlune
