#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "gfx/DibData.h"
#include "gfx/DibHeader.h"

namespace vorlune {

// A device-independent bitmap that pixel code and GDI share: it owns one
// DibData (or nothing), so pixels are addressed as row pointer plus byte
// offset while the same bitmap can be selected into a memory DC.
//
// Operations return true on success; none throws. Operations on an empty
// surface fail without side effects; pixel accessors ignore coordinates
// outside the surface.
class Surface {
public:
    static constexpr int kOutlineOnly = -1;  // DrawFrame without a fill

    Surface() noexcept = default;
    virtual ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    // A new surface of the same class holding a copy of this one; null when
    // the copy cannot be made.
    virtual std::unique_ptr<Surface> Clone() const;
    virtual bool IsValid() const noexcept;
    // Whether this class takes the record: a live DibData, of the variant's
    // depth for the depth classes.
    virtual bool Accepts(const DibData* record) const noexcept;
    // Rewrites a BI_BITFIELDS surface as plain pixels: 16 bits as 5-5-5, 32
    // bits as blue, green, red, alpha (alpha 255 when there is no alpha mask).
    virtual bool NormalizeBitFields() noexcept;

    virtual int GetIndex(int x, int y) const noexcept;
    virtual void SetIndex(int x, int y, int index) noexcept;
    // Blue, green, red, alpha; alpha is 255 for depths without one.
    virtual bool GetColor(int x, int y, RGBQUAD& out) const noexcept;
    // Indexed depths store the nearest palette entry.
    virtual void SetColor(int x, int y, const RGBQUAD& colour) noexcept;

    // Conversions write a new image into target (target may be this surface).
    // On failure target is left empty; a source that is itself empty fails
    // without touching target. Rules for the reduced depths are in
    // SurfaceConvert.cpp.
    virtual bool ToDepth1(Surface& target) const noexcept;
    virtual bool ToMonochrome(Surface& target, int threshold) const noexcept;
    virtual bool ToGray8(Surface& target) const noexcept;
    virtual bool ToDepth4(Surface& target, int colours = 16) const noexcept;
    virtual bool ToDepth8(Surface& target, int colours = 256) const noexcept;
    virtual bool ToDepth16(Surface& target, bool fiveFiveFive) const noexcept;
    virtual bool ToDepth24(Surface& target) const noexcept;
    virtual bool ToDepth32(Surface& target) const noexcept;
    // depth: 1, 4, 8, 15, 16, 24 or 32.
    virtual bool ConvertTo(Surface& target, int depth) const noexcept;

    // Drawing into the surface through GDI; colours are COLORREF values.
    virtual bool Scroll(const RECT& rect, int dx, int dy) noexcept;
    virtual bool InvertArea(const RECT& rect, const RECT* excluded) noexcept;
    virtual bool InvertAll() noexcept;
    virtual bool FillAll(COLORREF colour) noexcept;
    virtual bool FillEllipse(const RECT& rect, COLORREF colour) noexcept;
    virtual bool Tile(const Surface& pattern) noexcept;
    virtual bool FillArea(const RECT& rect, COLORREF colour, const RECT* excluded) noexcept;
    virtual bool Line(POINT from, POINT to, COLORREF colour) noexcept;
    // fill kOutlineOnly draws the outline only; any other value fills with
    // the outline colour.
    virtual bool DrawFrame(const RECT& rect, COLORREF colour, int fill, const RECT* excluded) noexcept;

    virtual bool Resize(SIZE size, bool smooth) noexcept;
    // target gets this surface's depth, masks and colour table at the new size.
    virtual bool ResizeInto(Surface& target, SIZE size, bool smooth) const noexcept;
    bool Resize(int width, int height, bool smooth) noexcept { return Resize(SIZE{width, height}, smooth); }
    bool ResizeSharp(SIZE size) noexcept { return Resize(size, false); }
    bool ResizeSmooth(SIZE size) noexcept { return Resize(size, true); }
    bool ResizeIntoSharp(Surface& target, SIZE size) const noexcept { return ResizeInto(target, size, false); }
    bool ResizeIntoSmooth(Surface& target, SIZE size) const noexcept { return ResizeInto(target, size, true); }

    int Width() const noexcept;
    int Height() const noexcept;
    RECT Bounds() const noexcept { return RECT{0, 0, Width(), Height()}; }
    int BitsPerPixel() const noexcept;
    bool IsEmpty() const noexcept { return !dib_; }
    bool IsRle() const noexcept;
    bool HasBitFields() const noexcept;
    bool GetMasks(ColorMasks& out) const noexcept;
    bool GetSmoothStretch() const noexcept;
    void SetSmoothStretch(bool smooth) noexcept;
    bool InBounds(int x, int y) const noexcept { return x >= 0 && y >= 0 && x < Width() && y < Height(); }

    // Pixel memory: row y counted from the top; null outside the surface.
    uint8_t* Row(int y) const noexcept;
    int Stride() const noexcept { return dib_ ? dib_->Stride() : 0; }
    const DibData* Data() const noexcept { return dib_.get(); }

    // depth 1, 4, 8, 15 (16 bits, 5-5-5), 16, 24 or 32. Indexed depths get
    // the default colour table when colours is 0 or covers the whole depth,
    // else that many black entries. bitfields asks 16 and 32 bits for
    // BI_BITFIELDS with the default masks (5-6-5 for 16).
    bool Create(int width, int height, int depth, int colours = 0, bool bitfields = false) noexcept;
    // Takes a header with biSize 40, 56, 108 or 124; anything else is refused
    // and the surface keeps its image. RLE headers give an uncompressed
    // surface of the same depth; the caller's header is only read.
    bool CreateFromInfo(const BITMAPINFO* info) noexcept;
    // A 40-byte header of this surface, its masks and its colour table.
    bool ExportInfo(DibHeader& out) const noexcept;

    // Takes the record unless this class refuses it; then the caller keeps it.
    bool Attach(DibPtr&& record) noexcept;
    DibPtr Detach() noexcept;
    // Moves other's record here. When this class refuses it nothing changes.
    bool Take(Surface& other) noexcept;
    // Exchanges records when each side accepts what it would receive.
    bool Swap(Surface& other) noexcept;
    void Destroy() noexcept;
    bool CopyFrom(const Surface& source) noexcept;

    // Palette entry nearest to the colour (least squared distance, lowest
    // index on a tie); -1 unless indexed with a colour table.
    int NearestIndex(const RGBQUAD& colour) const noexcept;

    // Surface and device context.
    bool DrawAt(HDC dc, int x, int y, DWORD rop = SRCCOPY) const noexcept;
    bool DrawAt(HDC dc, POINT at, DWORD rop = SRCCOPY) const noexcept { return DrawAt(dc, at.x, at.y, rop); }
    // Uses the smooth-stretch flag; the overload with smooth ignores it.
    bool DrawStretched(HDC dc, const RECT& dest, const RECT& source) const noexcept;
    bool DrawStretched(HDC dc, const RECT& dest, const RECT& source, bool smooth) const noexcept;
    bool CaptureAt(HDC dc, int x, int y) noexcept;
    bool CaptureAt(HDC dc, POINT at) noexcept { return CaptureAt(dc, at.x, at.y); }
    // Only on an empty surface: becomes a 24-bit copy of the rectangle.
    bool CaptureRect(HDC dc, const RECT& rect) noexcept;
    bool DrawFrom(const Surface& source, const RECT& sourceRect, const RECT& destRect) noexcept;
    bool DrawFrom(const Surface& source, const RECT& sourceRect, const RECT& destRect, bool smooth) noexcept;

protected:
    template <int Depth>
    static int ReadIndex(const DibData& d, int x, int y) noexcept;
    template <int Depth>
    static void WriteIndex(const DibData& d, int x, int y, int index) noexcept;
    template <int Depth>
    static void ReadColor(const DibData& d, int x, int y, RGBQUAD& out) noexcept;
    template <int Depth>
    static void WriteColor(const DibData& d, int x, int y, const RGBQUAD& colour) noexcept;

    std::unique_ptr<Surface> CloneInto(std::unique_ptr<Surface> fresh) const;

private:
    // Calls fn(x, y, colour) for every pixel, top row first.
    template <class Fn>
    void ForEachColor(Fn&& fn) const;
    bool ReduceTo(Surface& target, int depth, int colours) const noexcept;

    // Runs draw with this surface selected into a memory DC of its own, then
    // flushes GDI so pixel code sees the result.
    template <class Draw>
    bool DrawInto(Draw&& draw) noexcept;

    DibPtr dib_;
};

// One class per depth: each takes only records of its depth and addresses
// pixels without asking the depth.
template <class Self, int Depth>
class SurfaceOfDepth : public Surface {
public:
    static constexpr int kDepth = Depth;

    std::unique_ptr<Surface> Clone() const override { return CloneInto(std::make_unique<Self>()); }

    bool Accepts(const DibData* record) const noexcept override
    {
        return Surface::Accepts(record) && record->BitsPerPixel() == Depth;
    }

    int GetIndex(int x, int y) const noexcept override
    {
        return Data() && InBounds(x, y) ? ReadIndex<Depth>(*Data(), x, y) : 0;
    }

    void SetIndex(int x, int y, int index) noexcept override
    {
        if (Data() && InBounds(x, y)) WriteIndex<Depth>(*Data(), x, y, index);
    }

    bool GetColor(int x, int y, RGBQUAD& out) const noexcept override
    {
        out = RGBQUAD{};
        if (!Data() || !InBounds(x, y)) return false;
        ReadColor<Depth>(*Data(), x, y, out);
        return true;
    }

    void SetColor(int x, int y, const RGBQUAD& colour) noexcept override
    {
        if (Data() && InBounds(x, y)) WriteColor<Depth>(*Data(), x, y, colour);
    }
};

class Surface1 final : public SurfaceOfDepth<Surface1, 1> {};
class Surface4 final : public SurfaceOfDepth<Surface4, 4> {};
class Surface8 final : public SurfaceOfDepth<Surface8, 8> {};
class Surface16 final : public SurfaceOfDepth<Surface16, 16> {};
class Surface24 final : public SurfaceOfDepth<Surface24, 24> {};
class Surface32 final : public SurfaceOfDepth<Surface32, 32> {};

}  // namespace vorlune
