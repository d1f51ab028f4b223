#include "gfx/Surface.h"

#include <climits>
#include <cstring>
#include <utility>

#include "win/Error.h"

namespace vorlune {

namespace {

bool IsIndexedDepth(int depth) noexcept { return depth == 1 || depth == 4 || depth == 8; }

int NearestIn(const Palette& palette, const RGBQUAD& c) noexcept
{
    int best = -1;
    long bestDistance = LONG_MAX;
    for (uint32_t i = 0; i < palette.Count(); ++i) {
        const RGBQUAD& p = palette[i];
        const long db = long(p.rgbBlue) - c.rgbBlue;
        const long dg = long(p.rgbGreen) - c.rgbGreen;
        const long dr = long(p.rgbRed) - c.rgbRed;
        const long distance = db * db + dg * dg + dr * dr;
        if (distance == 0) return static_cast<int>(i);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(i);
        }
    }
    return best;
}

uint32_t ReadMasked(const DibData& d, uint32_t pixel, DibData::Channel c, uint32_t mask) noexcept
{
    return WidenChannel(pixel, mask, d.Shift(c), d.Loss(c));
}

// Alpha bits scaled to 0..255 by the largest value the mask holds; 255 when
// the pixel has no alpha.
uint8_t ReadAlpha(const DibData& d, uint32_t pixel) noexcept
{
    const uint32_t mask = d.Masks().alpha;
    if (mask == 0) return 255;
    const uint32_t shift = d.Shift(DibData::kAlpha);
    return static_cast<uint8_t>(((pixel & mask) >> shift) * 255 / (mask >> shift));
}

uint32_t WriteAlpha(const DibData& d, uint8_t alpha) noexcept
{
    const uint32_t mask = d.Masks().alpha;
    if (mask == 0) return 0;
    const uint32_t shift = d.Shift(DibData::kAlpha);
    const uint32_t largest = mask >> shift;
    return (((alpha * largest + 127) / 255) << shift) & mask;
}

void ReadMaskedColor(const DibData& d, uint32_t pixel, RGBQUAD& out) noexcept
{
    const ColorMasks& m = d.Masks();
    out.rgbRed = static_cast<uint8_t>(ReadMasked(d, pixel, DibData::kRed, m.red));
    out.rgbGreen = static_cast<uint8_t>(ReadMasked(d, pixel, DibData::kGreen, m.green));
    out.rgbBlue = static_cast<uint8_t>(ReadMasked(d, pixel, DibData::kBlue, m.blue));
    out.rgbReserved = ReadAlpha(d, pixel);
}

uint32_t MaskedPixel(const DibData& d, const RGBQUAD& c) noexcept
{
    const ColorMasks& m = d.Masks();
    return NarrowChannel(c.rgbRed, m.red, d.Shift(DibData::kRed), d.Loss(DibData::kRed)) |
           NarrowChannel(c.rgbGreen, m.green, d.Shift(DibData::kGreen), d.Loss(DibData::kGreen)) |
           NarrowChannel(c.rgbBlue, m.blue, d.Shift(DibData::kBlue), d.Loss(DibData::kBlue)) |
           WriteAlpha(d, c.rgbReserved);
}

}  // namespace

// ---- pixels ----------------------------------------------------------------

template <int Depth>
int Surface::ReadIndex(const DibData& d, int x, int y) noexcept
{
    const uint8_t* row = d.Row(y);
    if constexpr (Depth == 1) {
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    } else if constexpr (Depth == 4) {
        return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    } else if constexpr (Depth == 8) {
        return row[x];
    } else {
        return 0;
    }
}

template <int Depth>
void Surface::WriteIndex(const DibData& d, int x, int y, int index) noexcept
{
    uint8_t* row = d.Row(y);
    if constexpr (Depth == 1) {
        const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
        row[x >> 3] = static_cast<uint8_t>((index & 1) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit));
    } else if constexpr (Depth == 4) {
        uint8_t& b = row[x >> 1];
        b = static_cast<uint8_t>((x & 1) ? ((b & 0xF0) | (index & 0x0F)) : ((b & 0x0F) | ((index & 0x0F) << 4)));
    } else if constexpr (Depth == 8) {
        row[x] = static_cast<uint8_t>(index);
    } else {
        (void)row;
        (void)x;
        (void)index;
    }
}

template <int Depth>
void Surface::ReadColor(const DibData& d, int x, int y, RGBQUAD& out) noexcept
{
    const uint8_t* row = d.Row(y);
    if constexpr (Depth <= 8) {
        (void)row;
        out = d.Colours()[static_cast<uint32_t>(ReadIndex<Depth>(d, x, y))];
        out.rgbReserved = 255;
    } else if constexpr (Depth == 16) {
        const uint32_t pixel = row[2 * x] | (row[2 * x + 1] << 8);
        ReadMaskedColor(d, pixel, out);
    } else if constexpr (Depth == 24) {
        const uint8_t* p = row + 3 * x;
        out.rgbBlue = p[0];
        out.rgbGreen = p[1];
        out.rgbRed = p[2];
        out.rgbReserved = 255;
    } else {
        const uint8_t* p = row + 4 * x;
        if (d.Compression() == BI_BITFIELDS) {
            uint32_t pixel;
            std::memcpy(&pixel, p, 4);
            ReadMaskedColor(d, pixel, out);
        } else {
            out.rgbBlue = p[0];
            out.rgbGreen = p[1];
            out.rgbRed = p[2];
            out.rgbReserved = p[3];
        }
    }
}

template <int Depth>
void Surface::WriteColor(const DibData& d, int x, int y, const RGBQUAD& colour) noexcept
{
    uint8_t* row = d.Row(y);
    if constexpr (Depth <= 8) {
        (void)row;
        const int index = NearestIn(d.Colours(), colour);
        if (index >= 0) WriteIndex<Depth>(d, x, y, index);
    } else if constexpr (Depth == 16) {
        const uint32_t pixel = MaskedPixel(d, colour);
        row[2 * x] = static_cast<uint8_t>(pixel);
        row[2 * x + 1] = static_cast<uint8_t>(pixel >> 8);
    } else if constexpr (Depth == 24) {
        uint8_t* p = row + 3 * x;
        p[0] = colour.rgbBlue;
        p[1] = colour.rgbGreen;
        p[2] = colour.rgbRed;
    } else {
        uint8_t* p = row + 4 * x;
        if (d.Compression() == BI_BITFIELDS) {
            const uint32_t pixel = MaskedPixel(d, colour);
            std::memcpy(p, &pixel, 4);
        } else {
            p[0] = colour.rgbBlue;
            p[1] = colour.rgbGreen;
            p[2] = colour.rgbRed;
            p[3] = colour.rgbReserved;
        }
    }
}

#define VORLUNE_PIXEL_DEPTH(D)                                                              \
    template int Surface::ReadIndex<D>(const DibData&, int, int) noexcept;                  \
    template void Surface::WriteIndex<D>(const DibData&, int, int, int) noexcept;           \
    template void Surface::ReadColor<D>(const DibData&, int, int, RGBQUAD&) noexcept;       \
    template void Surface::WriteColor<D>(const DibData&, int, int, const RGBQUAD&) noexcept;
VORLUNE_PIXEL_DEPTH(1)
VORLUNE_PIXEL_DEPTH(4)
VORLUNE_PIXEL_DEPTH(8)
VORLUNE_PIXEL_DEPTH(16)
VORLUNE_PIXEL_DEPTH(24)
VORLUNE_PIXEL_DEPTH(32)
#undef VORLUNE_PIXEL_DEPTH

int Surface::GetIndex(int x, int y) const noexcept
{
    if (!dib_ || !InBounds(x, y)) return 0;
    switch (dib_->BitsPerPixel()) {
    case 1: return ReadIndex<1>(*dib_, x, y);
    case 4: return ReadIndex<4>(*dib_, x, y);
    case 8: return ReadIndex<8>(*dib_, x, y);
    default: return 0;
    }
}

void Surface::SetIndex(int x, int y, int index) noexcept
{
    if (!dib_ || !InBounds(x, y)) return;
    switch (dib_->BitsPerPixel()) {
    case 1: WriteIndex<1>(*dib_, x, y, index); break;
    case 4: WriteIndex<4>(*dib_, x, y, index); break;
    case 8: WriteIndex<8>(*dib_, x, y, index); break;
    default: break;
    }
}

bool Surface::GetColor(int x, int y, RGBQUAD& out) const noexcept
{
    out = RGBQUAD{};
    if (!dib_ || !InBounds(x, y)) return false;
    switch (dib_->BitsPerPixel()) {
    case 1: ReadColor<1>(*dib_, x, y, out); return true;
    case 4: ReadColor<4>(*dib_, x, y, out); return true;
    case 8: ReadColor<8>(*dib_, x, y, out); return true;
    case 16: ReadColor<16>(*dib_, x, y, out); return true;
    case 24: ReadColor<24>(*dib_, x, y, out); return true;
    case 32: ReadColor<32>(*dib_, x, y, out); return true;
    default: return false;
    }
}

void Surface::SetColor(int x, int y, const RGBQUAD& colour) noexcept
{
    if (!dib_ || !InBounds(x, y)) return;
    switch (dib_->BitsPerPixel()) {
    case 1: WriteColor<1>(*dib_, x, y, colour); break;
    case 4: WriteColor<4>(*dib_, x, y, colour); break;
    case 8: WriteColor<8>(*dib_, x, y, colour); break;
    case 16: WriteColor<16>(*dib_, x, y, colour); break;
    case 24: WriteColor<24>(*dib_, x, y, colour); break;
    case 32: WriteColor<32>(*dib_, x, y, colour); break;
    default: break;
    }
}

int Surface::NearestIndex(const RGBQUAD& colour) const noexcept
{
    if (!dib_ || !dib_->IsIndexed()) return -1;
    return NearestIn(dib_->Colours(), colour);
}

// ---- identity and queries --------------------------------------------------

Surface::~Surface() = default;

std::unique_ptr<Surface> Surface::Clone() const { return CloneInto(std::make_unique<Surface>()); }

std::unique_ptr<Surface> Surface::CloneInto(std::unique_ptr<Surface> fresh) const
{
    if (!fresh || !fresh->CopyFrom(*this)) return nullptr;
    return fresh;
}

bool Surface::IsValid() const noexcept { return Accepts(dib_.get()); }

bool Surface::Accepts(const DibData* record) const noexcept { return DibData::IsRecord(record); }

int Surface::Width() const noexcept { return dib_ ? dib_->Width() : 0; }

int Surface::Height() const noexcept { return dib_ ? dib_->Height() : 0; }

int Surface::BitsPerPixel() const noexcept { return dib_ ? dib_->BitsPerPixel() : 0; }

bool Surface::IsRle() const noexcept
{
    return dib_ && (dib_->Compression() == BI_RLE8 || dib_->Compression() == BI_RLE4);
}

bool Surface::HasBitFields() const noexcept { return dib_ && dib_->Compression() == BI_BITFIELDS; }

bool Surface::GetMasks(ColorMasks& out) const noexcept
{
    out = ColorMasks{};
    if (!dib_) return false;
    out = dib_->Masks();
    return true;
}

bool Surface::GetSmoothStretch() const noexcept { return dib_ && (dib_->flags_ & DibData::kSmoothStretch) != 0; }

void Surface::SetSmoothStretch(bool smooth) noexcept
{
    if (!dib_) return;
    if (smooth) {
        dib_->flags_ |= DibData::kSmoothStretch;
    } else {
        dib_->flags_ &= ~DibData::kSmoothStretch;
    }
}

uint8_t* Surface::Row(int y) const noexcept
{
    return dib_ && y >= 0 && y < dib_->Height() ? dib_->Row(y) : nullptr;
}

// ---- building --------------------------------------------------------------

bool Surface::Create(int width, int height, int depth, int colours, bool bitfields) noexcept
{
    if (width <= 0 || height <= 0) return false;
    if (depth != 1 && depth != 4 && depth != 8 && depth != 15 && depth != 16 && depth != 24 && depth != 32)
        return false;
    return Guarded([&] {
        BITMAPINFOHEADER h{};
        h.biSize = sizeof(h);
        h.biWidth = width;
        h.biHeight = height;
        h.biPlanes = 1;
        h.biBitCount = static_cast<WORD>(depth == 15 ? 16 : depth);
        h.biCompression = BI_RGB;
        uint32_t masks[3] = {};
        if (bitfields && depth == 16) {
            h.biCompression = BI_BITFIELDS;
            masks[0] = 0xF800;
            masks[1] = 0x07E0;
            masks[2] = 0x001F;
        } else if (bitfields && depth == 32) {
            h.biCompression = BI_BITFIELDS;
            masks[0] = 0xFF0000;
            masks[1] = 0x00FF00;
            masks[2] = 0x0000FF;
        }
        Palette table;
        if (IsIndexedDepth(depth)) {
            const uint32_t full = 1u << depth;
            if (colours <= 0 || static_cast<uint32_t>(colours) >= full) {
                table = Palette::Default(depth);
            } else {
                table.Resize(static_cast<uint32_t>(colours));
            }
            h.biClrUsed = table.Count();
        }
        DibHeader header(h, masks, table.Data(), table.Count());
        return CreateFromInfo(header.Get());
    });
}

bool Surface::CreateFromInfo(const BITMAPINFO* info) noexcept
{
    if (info == nullptr) return false;
    const DWORD headerSize = info->bmiHeader.biSize;
    if (headerSize != 40 && headerSize != 56 && headerSize != 108 && headerSize != 124) return false;
    Destroy();
    return Guarded([&] {
        // Works on a copy: the caller's header may live in read-only resource
        // memory, and an RLE header is only ever read.
        BITMAPINFOHEADER h = info->bmiHeader;
        const int depth = h.biBitCount;
        DWORD compression = h.biCompression;
        if (compression == BI_RLE8 || compression == BI_RLE4) compression = BI_RGB;
        Check(compression == BI_RGB || compression == BI_BITFIELDS);
        Check(h.biWidth > 0 && h.biHeight != 0 && h.biHeight != LONG_MIN);
        h.biCompression = compression;
        if (compression == BI_RGB) h.biSizeImage = 0;

        const auto* raw = reinterpret_cast<const uint8_t*>(info);
        ColorMasks masks;
        if (compression == BI_BITFIELDS) {
            Check(depth == 16 || depth == 32);
            uint32_t m[4] = {};
            std::memcpy(m, raw + 40, headerSize == 40 ? 12 : 16);
            masks = ColorMasks{m[0], m[1], m[2], headerSize == 40 ? 0 : m[3]};
        } else if (depth == 16) {
            masks = ColorMasks{0x7C00, 0x03E0, 0x001F, 0};
        }

        uint32_t count = h.biClrUsed;
        if (count == 0 && IsIndexedDepth(depth)) count = 1u << depth;
        // A colour table has at most 256 entries; a larger count is a broken
        // header, and reading that far past it could fault.
        Check(count <= 256);
        h.biClrUsed = count;
        // With a 56-byte or longer header the masks are inside it, so the
        // table follows the header directly.
        const size_t tableOffset = headerSize + (compression == BI_BITFIELDS && headerSize == 40 ? 12 : 0);
        const RGBQUAD* table = count ? reinterpret_cast<const RGBQUAD*>(raw + tableOffset) : nullptr;

        const uint32_t header3[3] = {masks.red, masks.green, masks.blue};
        DibHeader local(h, header3, table, count);
        void* bits = nullptr;
        UniqueBitmap bitmap(::CreateDIBSection(nullptr, local.Get(), DIB_RGB_COLORS, &bits, nullptr, 0));
        Check(bitmap.Valid() && bits != nullptr);

        DibPtr record = DibData::Make();
        Check(::GetObjectW(bitmap.Get(), sizeof(DIBSECTION), &record->section_) == sizeof(DIBSECTION));
        // GDIs differ in what they report here (BI_BITFIELDS for every 16-bit
        // section, a positive height for a top-down one); the record keeps
        // the compression and orientation it was made with.
        record->section_.dsBmih.biCompression = compression;
        record->section_.dsBmih.biHeight = h.biHeight;
        record->bits_ = static_cast<uint8_t*>(bits);

        const int height = record->Height();
        const int stride = record->Stride();
        const bool topDown = record->section_.dsBmih.biHeight < 0;
        record->rows_.reset(new uint8_t*[height]);
        for (int i = 0; i < height; ++i) {
            const int memoryRow = topDown ? i : height - 1 - i;
            record->rows_[i] = record->bits_ + static_cast<size_t>(memoryRow) * stride;
        }

        if (!(masks == ColorMasks{})) StoreMasks(masks, *record);

        if (count != 0) {
            if (IsIndexedDepth(depth)) {
                MemoryDc dc(::CreateCompatibleDC(nullptr));
                Check(dc.Valid());
                UINT set = 0;
                {
                    SelectGuard selected(dc.Get(), bitmap.Get());
                    Check(selected.Ok());
                    set = ::SetDIBColorTable(dc.Get(), 0, count, table);
                }
                record->palette_.Assign(table, set);
            } else {
                // No table to set in a DIB of more than 8 bits; the entries
                // are kept so the header can be exported again.
                record->palette_.Assign(table, count);
            }
        }
        record->bitmap_ = std::move(bitmap);
        return Attach(std::move(record));
    });
}

bool Surface::ExportInfo(DibHeader& out) const noexcept
{
    if (!IsValid()) return false;
    return Guarded([&] {
        BITMAPINFOHEADER h = dib_->section_.dsBmih;
        h.biSize = sizeof(h);
        h.biClrUsed = dib_->palette_.Count();
        h.biClrImportant = 0;
        const uint32_t masks[3] = {dib_->masks_.red, dib_->masks_.green, dib_->masks_.blue};
        out = DibHeader(h, masks, dib_->palette_.Data(), dib_->palette_.Count());
        return true;
    });
}

// ---- ownership -------------------------------------------------------------

bool Surface::Attach(DibPtr&& record) noexcept
{
    if (record && !Accepts(record.get())) return false;
    dib_ = std::move(record);
    return true;
}

DibPtr Surface::Detach() noexcept { return std::move(dib_); }

bool Surface::Take(Surface& other) noexcept
{
    if (&other == this) return true;
    if (other.dib_ && !Accepts(other.dib_.get())) return false;
    dib_ = std::move(other.dib_);
    return true;
}

bool Surface::Swap(Surface& other) noexcept
{
    if (&other == this) return true;
    if (other.dib_ && !Accepts(other.dib_.get())) return false;
    if (dib_ && !other.Accepts(dib_.get())) return false;
    std::swap(dib_, other.dib_);
    return true;
}

void Surface::Destroy() noexcept { dib_.reset(); }

bool Surface::CopyFrom(const Surface& source) noexcept
{
    if (&source == this || source.IsEmpty()) return true;
    Destroy();
    return Guarded([&] {
        DibHeader header;
        Check(source.ExportInfo(header));
        Check(CreateFromInfo(header.Get()));
        // The exported header has room for three masks only.
        StoreMasks(source.dib_->masks_, *dib_);
        ::GdiFlush();
        const size_t bytes = static_cast<size_t>(dib_->Stride());
        for (int y = 0; y < dib_->Height(); ++y) std::memcpy(dib_->Row(y), source.dib_->Row(y), bytes);
        return true;
    });
}

// ---- in-place rewrites -----------------------------------------------------

bool Surface::NormalizeBitFields() noexcept
{
    if (!IsValid() || !HasBitFields()) return false;
    const int depth = BitsPerPixel();
    if (depth != 16 && depth != 32) return false;
    return Guarded([&] {
        Surface plain;
        Check(plain.Create(Width(), Height(), depth == 16 ? 15 : 32));
        ::GdiFlush();
        RGBQUAD c;
        for (int y = 0; y < Height(); ++y) {
            for (int x = 0; x < Width(); ++x) {
                if (depth == 16) {
                    ReadColor<16>(*dib_, x, y, c);
                    WriteColor<16>(*plain.dib_, x, y, c);
                } else {
                    ReadColor<32>(*dib_, x, y, c);
                    WriteColor<32>(*plain.dib_, x, y, c);
                }
            }
        }
        plain.dib_->flags_ = dib_->flags_;
        return Take(plain);
    });
}

bool Surface::Resize(SIZE size, bool smooth) noexcept
{
    if (!IsValid() || size.cx < 1 || size.cy < 1) return false;
    if (size.cx == Width() && size.cy == Height()) return true;
    return Guarded([&] {
        Surface resized;
        Check(ResizeInto(resized, size, smooth));
        resized.dib_->flags_ = dib_->flags_;
        return Take(resized);
    });
}

bool Surface::ResizeInto(Surface& target, SIZE size, bool smooth) const noexcept
{
    if (!IsValid() || size.cx < 1 || size.cy < 1) return false;
    if (&target == this) return const_cast<Surface*>(this)->Resize(size, smooth);
    const bool ok = Guarded([&] {
        // Same depth, masks and colour table as this surface, so an indexed
        // image keeps its colours.
        DibHeader header;
        Check(ExportInfo(header));
        header.Header().biWidth = size.cx;
        header.Header().biHeight = header.Header().biHeight < 0 ? -size.cy : size.cy;
        header.Header().biSizeImage = 0;
        Surface resized;
        Check(resized.CreateFromInfo(header.Get()));
        StoreMasks(dib_->masks_, *resized.dib_);
        Check(resized.DrawFrom(*this, Bounds(), resized.Bounds(), smooth));
        return target.Take(resized);
    });
    if (!ok) target.Destroy();
    return ok;
}

}  // namespace vorlune
