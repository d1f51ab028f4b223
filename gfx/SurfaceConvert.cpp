// Conversions between depths.
//
// ToDepth24 is the one the skin relies on: palette lookup for indexed
// sources, and 16- and 32-bit pixels blended over white by their alpha.
//
// The other rules are this program's own:
// - ToDepth32: every pixel's colour with its alpha (255 where the source has
//   none); a plain 32-bit source is copied as it is.
// - ToDepth16: 5-5-5 without masks, or 5-6-5 with BI_BITFIELDS; each channel
//   keeps its top bits, no dithering; alpha is dropped.
// - ToDepth1, ToDepth4, ToDepth8 (with at most n colours): the source is seen
//   as ToDepth24 shows it (alpha flattened onto white). Then
//     1. an indexed source whose table has at most n entries keeps its table
//        and its indexes;
//     2. an image with at most n distinct colours gets exactly those colours,
//        in the order first met from the top-left;
//     3. otherwise a fixed table: a 6 x 6 x 6 colour cube when n >= 216, the
//        16 standard colours when n >= 16, else a grey ramp of n levels; each
//        pixel takes the nearest entry. No dithering.
//   ToDepth1 allows 2 colours, so a many-coloured image becomes black and
//   white by nearness.

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <unordered_map>

#include "gfx/BlendPixel.h"
#include "gfx/Surface.h"
#include "win/Error.h"

namespace vorlune {

namespace {

uint32_t Key(const RGBQUAD& c) noexcept
{
    return c.rgbBlue | (uint32_t(c.rgbGreen) << 8) | (uint32_t(c.rgbRed) << 16);
}

RGBQUAD Bgr(uint8_t blue, uint8_t green, uint8_t red) noexcept
{
    RGBQUAD q{};
    q.rgbBlue = blue;
    q.rgbGreen = green;
    q.rgbRed = red;
    return q;
}

// Moves a finished image into target. On failure target is emptied, unless
// it is the source itself, which is then left as it was.
bool Deliver(const Surface& source, Surface& target, Surface& built, bool ok) noexcept
{
    if (ok && target.Take(built)) return true;
    if (&target != &source) target.Destroy();
    return false;
}

bool CreateIndexed(Surface& s, int width, int height, int depth, const Palette& table)
{
    BITMAPINFOHEADER h{};
    h.biSize = sizeof(h);
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(depth);
    h.biCompression = BI_RGB;
    h.biClrUsed = table.Count();
    DibHeader header(h, nullptr, table.Data(), table.Count());
    return s.CreateFromInfo(header.Get());
}

Palette FixedTable(uint32_t n)
{
    Palette table;
    if (n >= 216) {
        table.Resize(216);
        uint32_t i = 0;
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    table[i++] = Bgr(static_cast<uint8_t>(b * 51), static_cast<uint8_t>(g * 51),
                                     static_cast<uint8_t>(r * 51));
    } else if (n >= 16) {
        table = Palette::Default(4);
    } else {
        table.Resize(n);
        for (uint32_t i = 0; i < n; ++i) {
            const auto v = static_cast<uint8_t>(i * 255 / (n - 1));
            table[i] = Bgr(v, v, v);
        }
    }
    return table;
}

int Nearest(const Palette& palette, const RGBQUAD& c) noexcept
{
    int best = 0;
    long bestDistance = -1;
    for (uint32_t i = 0; i < palette.Count(); ++i) {
        const long db = long(palette[i].rgbBlue) - c.rgbBlue;
        const long dg = long(palette[i].rgbGreen) - c.rgbGreen;
        const long dr = long(palette[i].rgbRed) - c.rgbRed;
        const long d = db * db + dg * dg + dr * dr;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(i);
            if (d == 0) break;
        }
    }
    return best;
}

template <int D>
using DepthTag = std::integral_constant<int, D>;

}  // namespace

template <class Fn>
void Surface::ForEachColor(Fn&& fn) const
{
    const DibData& d = *dib_;
    RGBQUAD c{};
    auto walk = [&](auto tag) {
        constexpr int kDepth = decltype(tag)::value;
        for (int y = 0; y < d.Height(); ++y) {
            for (int x = 0; x < d.Width(); ++x) {
                ReadColor<kDepth>(d, x, y, c);
                fn(x, y, c);
            }
        }
    };
    switch (d.BitsPerPixel()) {
    case 1: walk(DepthTag<1>{}); break;
    case 4: walk(DepthTag<4>{}); break;
    case 8: walk(DepthTag<8>{}); break;
    case 16: walk(DepthTag<16>{}); break;
    case 24: walk(DepthTag<24>{}); break;
    case 32: walk(DepthTag<32>{}); break;
    default: Raise();
    }
}

bool Surface::ToDepth24(Surface& target) const noexcept
{
    if (!IsValid()) return false;
    const int depth = BitsPerPixel();
    if (depth == 24) return target.CopyFrom(*this);
    Surface24 built;
    const bool ok = Guarded([&] {
        const int width = Width();
        const int height = Height();
        Check(built.Create(width, height, 24));
        ::GdiFlush();
        const DibData& d = *dib_;
        const DibData& out = *built.Data();
        if (d.IsIndexed()) {
            const Palette& table = d.Colours();
            for (int y = 0; y < height; ++y) {
                uint8_t* o = out.Row(y);
                for (int x = 0; x < width; ++x, o += 3) {
                    int index = 0;
                    if (depth == 1) index = ReadIndex<1>(d, x, y);
                    else if (depth == 4) index = ReadIndex<4>(d, x, y);
                    else index = ReadIndex<8>(d, x, y);
                    const RGBQUAD& c = table[static_cast<uint32_t>(index)];
                    o[0] = c.rgbBlue;
                    o[1] = c.rgbGreen;
                    o[2] = c.rgbRed;
                }
            }
        } else if (depth == 32) {
            for (int y = 0; y < height; ++y) {
                const uint8_t* p = d.Row(y);
                uint8_t* o = out.Row(y);
                for (int x = 0; x < width; ++x, p += 4, o += 3) {
                    o[0] = o[1] = o[2] = 0xFF;
                    BlendPixel(o, p, p[3]);
                }
            }
        } else {
            Check(depth == 16);
            for (int y = 0; y < height; ++y) {
                uint8_t* o = out.Row(y);
                for (int x = 0; x < width; ++x, o += 3) {
                    RGBQUAD c;
                    ReadColor<16>(d, x, y, c);
                    const uint8_t bgr[3] = {c.rgbBlue, c.rgbGreen, c.rgbRed};
                    o[0] = o[1] = o[2] = 0xFF;
                    BlendPixel(o, bgr, c.rgbReserved);
                }
            }
        }
        return true;
    });
    return Deliver(*this, target, built, ok);
}

bool Surface::ToDepth32(Surface& target) const noexcept
{
    if (!IsValid()) return false;
    if (BitsPerPixel() == 32 && !HasBitFields()) return target.CopyFrom(*this);
    Surface32 built;
    const bool ok = Guarded([&] {
        Check(built.Create(Width(), Height(), 32));
        ::GdiFlush();
        const DibData& out = *built.Data();
        ForEachColor([&](int x, int y, const RGBQUAD& c) { WriteColor<32>(out, x, y, c); });
        return true;
    });
    return Deliver(*this, target, built, ok);
}

bool Surface::ToDepth16(Surface& target, bool fiveFiveFive) const noexcept
{
    if (!IsValid()) return false;
    Surface16 built;
    const bool ok = Guarded([&] {
        Check(built.Create(Width(), Height(), fiveFiveFive ? 15 : 16, 0, !fiveFiveFive));
        ::GdiFlush();
        const DibData& out = *built.Data();
        ForEachColor([&](int x, int y, const RGBQUAD& c) { WriteColor<16>(out, x, y, c); });
        return true;
    });
    return Deliver(*this, target, built, ok);
}

bool Surface::ReduceTo(Surface& target, int depth, int colours) const noexcept
{
    if (!IsValid()) return false;
    Surface built;
    const bool ok = Guarded([&] {
        const uint32_t full = 1u << depth;
        const uint32_t n = std::max<uint32_t>(2, colours <= 0 ? full : std::min<uint32_t>(colours, full));
        const int width = Width();
        const int height = Height();
        ::GdiFlush();

        // 1. an indexed source whose table fits keeps table and indexes
        if (dib_->IsIndexed() && dib_->Colours().Count() > 0 && dib_->Colours().Count() <= n) {
            Check(CreateIndexed(built, width, height, depth, dib_->Colours()));
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) built.SetIndex(x, y, GetIndex(x, y));
            return true;
        }

        const Surface* view = this;
        Surface24 flat;
        if (!dib_->IsIndexed() && BitsPerPixel() != 24) {
            Check(ToDepth24(flat));
            view = &flat;
        }

        // 2. few enough colours: exactly those
        Palette table;
        std::unordered_map<uint32_t, int> index;
        bool fits = true;
        view->ForEachColor([&](int, int, const RGBQUAD& c) {
            if (!fits || index.count(Key(c))) return;
            if (index.size() == n) {
                fits = false;
                return;
            }
            index.emplace(Key(c), static_cast<int>(index.size()));
            table.Resize(table.Count() + 1);
            table[table.Count() - 1] = Bgr(c.rgbBlue, c.rgbGreen, c.rgbRed);
        });
        // 3. otherwise a fixed table and the nearest entry
        if (!fits) {
            table = FixedTable(n);
            index.clear();
        }
        Check(CreateIndexed(built, width, height, depth, table));
        view->ForEachColor([&](int x, int y, const RGBQUAD& c) {
            auto found = index.find(Key(c));
            if (found == index.end()) found = index.emplace(Key(c), Nearest(table, c)).first;
            built.SetIndex(x, y, found->second);
        });
        return true;
    });
    return Deliver(*this, target, built, ok);
}

bool Surface::ToDepth1(Surface& target) const noexcept { return ReduceTo(target, 1, 2); }

bool Surface::ToDepth4(Surface& target, int colours) const noexcept { return ReduceTo(target, 4, colours); }

bool Surface::ToDepth8(Surface& target, int colours) const noexcept { return ReduceTo(target, 8, colours); }

bool Surface::ToGray8(Surface& target) const noexcept
{
    if (!IsValid()) return false;
    Surface8 built;
    const bool ok = Guarded([&] {
        const Surface* view = this;
        Surface24 colour;
        if (BitsPerPixel() != 24) {
            Check(ToDepth24(colour));
            view = &colour;
        }
        Check(built.Create(Width(), Height(), 8));
        ::GdiFlush();
        for (int y = 0; y < Height(); ++y) {
            const uint8_t* p = view->Row(y);
            uint8_t* o = built.Row(y);
            for (int x = 0; x < Width(); ++x, p += 3)
                o[x] = static_cast<uint8_t>((59 * p[1] + 30 * p[2] + 11 * p[0] + 50) / 100);
        }
        return true;
    });
    return Deliver(*this, target, built, ok);
}

bool Surface::ToMonochrome(Surface& target, int threshold) const noexcept
{
    if (!IsValid()) return false;
    Surface1 built;
    const bool ok = Guarded([&] {
        const int width = Width();
        const int height = Height();
        Surface8 grey;
        if (threshold > 0 && threshold < 255) Check(ToGray8(grey));
        Check(built.Create(width, height, 1));
        for (int y = 0; y < height; ++y) {
            const uint8_t* g = grey.Row(y);
            for (int x = 0; x < width; ++x) {
                const int bit = threshold <= 0 ? 1 : threshold >= 255 ? 0 : (g[x] >= threshold ? 1 : 0);
                built.SetIndex(x, y, bit);
            }
        }
        return true;
    });
    return Deliver(*this, target, built, ok);
}

bool Surface::ConvertTo(Surface& target, int depth) const noexcept
{
    if (!IsValid()) return false;
    std::unique_ptr<Surface> built;
    const bool ok = Guarded([&] {
        switch (depth) {
        case 1: built = std::make_unique<Surface1>(); return ToDepth1(*built);
        case 4: built = std::make_unique<Surface4>(); return ToDepth4(*built, 16);
        case 8: built = std::make_unique<Surface8>(); return ToDepth8(*built, 256);
        case 15: built = std::make_unique<Surface16>(); return ToDepth16(*built, true);
        case 16: built = std::make_unique<Surface16>(); return ToDepth16(*built, false);
        case 24: built = std::make_unique<Surface24>(); return ToDepth24(*built);
        case 32: built = std::make_unique<Surface32>(); return ToDepth32(*built);
        default: return false;
        }
    });
    if (!built) return false;  // unknown depth: target untouched
    return Deliver(*this, target, *built, ok);
}

}  // namespace vorlune
