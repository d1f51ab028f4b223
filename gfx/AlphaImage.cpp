#include "gfx/AlphaImage.h"

#include <cstring>

#include "gfx/BlendPixel.h"
#include "win/Error.h"

namespace vorlune {

namespace {

bool IsEmptyRect(const RECT& r) noexcept { return r.right <= r.left || r.bottom <= r.top; }

bool Contains(const RECT& outer, const RECT& inner) noexcept
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

RECT Intersect(const RECT& a, const RECT& b) noexcept
{
    RECT r{};
    ::IntersectRect(&r, &a, &b);
    return r;
}

bool IsTarget24(const Surface& target) noexcept { return target.IsValid() && target.BitsPerPixel() == 24; }

}  // namespace

AlphaImage::~AlphaImage() = default;

bool AlphaImage::IsEmpty() const noexcept { return colour_.IsEmpty() && alpha_.IsEmpty(); }

bool AlphaImage::IsValid() const noexcept
{
    if (!colour_.IsValid()) return false;
    if (alpha_.IsEmpty()) return true;
    return alpha_.IsValid() && alpha_.Width() == colour_.Width() && alpha_.Height() == colour_.Height();
}

std::unique_ptr<AlphaImage> AlphaImage::Clone() const
{
    auto copy = std::make_unique<AlphaImage>();
    if (!copy->colour_.CopyFrom(colour_) || !copy->alpha_.CopyFrom(alpha_)) return nullptr;
    return copy;
}

void AlphaImage::Clear() noexcept
{
    colour_.Destroy();
    alpha_.Destroy();
}

bool AlphaImage::BlendInto(Surface& target, const RECT& dest, const RECT& source) const noexcept
{
    // GDI may still be writing into either bitmap.
    ::GdiFlush();
    const int width = dest.right - dest.left;
    for (int row = 0; row < dest.bottom - dest.top; ++row) {
        uint8_t* d = target.Row(dest.top + row) + 3 * dest.left;
        const uint8_t* c = colour_.Row(source.top + row) + 3 * source.left;
        const uint8_t* a = alpha_.Row(source.top + row) + source.left;
        for (int x = 0; x < width; ++x, d += 3, c += 3) BlendPixel(d, c, a[x]);
    }
    return true;
}

bool AlphaImage::Composite(Surface& target, POINT at, const RECT* source) noexcept
{
    if (!IsValid() || !IsTarget24(target)) return false;
    RECT src = source ? Intersect(*source, Bounds()) : Bounds();
    if (IsEmptyRect(src)) return false;
    const RECT placed{at.x, at.y, at.x + (src.right - src.left), at.y + (src.bottom - src.top)};
    const RECT dest = Intersect(placed, target.Bounds());
    if (IsEmptyRect(dest)) return false;
    // Cut the source by what the target's edges cut off.
    src.left += dest.left - placed.left;
    src.top += dest.top - placed.top;
    src.right = src.left + (dest.right - dest.left);
    src.bottom = src.top + (dest.bottom - dest.top);
    if (!HasAlpha()) return target.DrawFrom(colour_, src, dest);
    return BlendInto(target, dest, src);
}

bool AlphaImage::CompositeScaled(Surface& target, const RECT& dest, const RECT* source) noexcept
{
    if (!IsValid() || !IsTarget24(target)) return false;
    const RECT src = source ? *source : Bounds();
    if (IsEmptyRect(src) || !Contains(Bounds(), src)) return false;
    if (IsEmptyRect(dest) || !Contains(target.Bounds(), dest)) return false;
    const int sw = src.right - src.left;
    const int sh = src.bottom - src.top;
    const int dw = dest.right - dest.left;
    const int dh = dest.bottom - dest.top;
    const POINT corner{dest.left, dest.top};
    if (sw == dw && sh == dh) return Composite(target, corner, &src);

    return Guarded([&] {
        const bool shrinking = dw < sw || dh < sh;
        const RECT whole{0, 0, dw, dh};
        AlphaImage scaled;
        Check(scaled.colour_.Create(dw, dh, 24));
        Check(scaled.colour_.DrawFrom(colour_, src, whole, shrinking));
        if (HasAlpha()) {
            if (shrinking) {
                // GDI halftones colour, not alpha: stretch the alpha as a grey
                // image and read it back from the blue bytes.
                Surface24 grey;
                Check(grey.Create(sw, sh, 24));
                for (int y = 0; y < sh; ++y) {
                    const uint8_t* a = alpha_.Row(src.top + y) + src.left;
                    uint8_t* g = grey.Row(y);
                    for (int x = 0; x < sw; ++x, g += 3) g[0] = g[1] = g[2] = a[x];
                }
                Surface24 stretched;
                Check(grey.ResizeInto(stretched, SIZE{dw, dh}, true));
                Check(scaled.alpha_.Create(dw, dh, 8));
                ::GdiFlush();
                for (int y = 0; y < dh; ++y) {
                    const uint8_t* g = stretched.Row(y);
                    uint8_t* a = scaled.alpha_.Row(y);
                    for (int x = 0; x < dw; ++x, g += 3) a[x] = g[0];
                }
            } else {
                Check(scaled.alpha_.Create(dw, dh, 8));
                Check(scaled.alpha_.DrawFrom(alpha_, src, whole));
            }
        }
        return scaled.Composite(target, corner, nullptr);
    });
}

bool AlphaImage::DrawToDC(HDC dc, POINT at, const RECT* source) noexcept
{
    if (dc == nullptr || !IsValid()) return false;
    const RECT src = source ? Intersect(*source, Bounds()) : Bounds();
    if (IsEmptyRect(src)) return false;
    return Guarded([&] {
        Surface24 behind;
        Check(behind.Create(src.right - src.left, src.bottom - src.top, 24));
        Check(behind.CaptureAt(dc, at));
        Check(Composite(behind, POINT{0, 0}, &src));
        return behind.DrawAt(dc, at, SRCCOPY);
    });
}

bool AlphaImage::FlattenOnto(Surface& target, COLORREF background) const noexcept
{
    if (!IsValid()) return false;
    if (!target.CopyFrom(colour_) || target.BitsPerPixel() != 24) return false;
    if (alpha_.IsEmpty() || alpha_.Width() != target.Width() || alpha_.Height() != target.Height()) return true;
    const BgrBytes back = SplitColorRef(background);
    ::GdiFlush();
    for (int y = 0; y < target.Height(); ++y) {
        uint8_t* p = target.Row(y);
        const uint8_t* a = alpha_.Row(y);
        for (int x = 0; x < target.Width(); ++x, p += 3) BlendPixel(p, back.bytes, static_cast<uint8_t>(255 - a[x]));
    }
    return true;
}

bool AlphaImage::SplitPlanes(const Surface& source) noexcept
{
    if (&source == &colour_ || &source == &alpha_) {
        // Splitting one of our own planes: work from a copy, as Clear comes first.
        Surface copy;
        return copy.CopyFrom(source) && SplitPlanes(copy);
    }
    Clear();
    if (!source.IsValid()) return false;
    const bool ok = Guarded([&] {
        if (source.BitsPerPixel() != 32) return source.ToDepth24(colour_);
        const int width = source.Width();
        const int height = source.Height();
        Check(colour_.Create(width, height, 24));
        Check(alpha_.Create(width, height, 8));
        ::GdiFlush();
        for (int y = 0; y < height; ++y) {
            const uint8_t* p = source.Row(y);
            uint8_t* c = colour_.Row(y);
            uint8_t* a = alpha_.Row(y);
            for (int x = 0; x < width; ++x, p += 4, c += 3) {
                std::memcpy(c, p, 3);
                a[x] = p[3];
            }
        }
        return true;
    });
    if (!ok) Clear();
    return ok;
}

}  // namespace vorlune
