#include "gfx/Surface.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gfx/GfxTesting.h"

namespace vorlune {
namespace {

using test::Argb;
using test::Quad;

// A BITMAPINFO block built by hand: header, optional masks, colour table.
struct HeaderBlock {
    std::vector<uint32_t> words;

    HeaderBlock(DWORD size, int width, int height, int bits, DWORD compression, DWORD used,
                std::vector<uint32_t> extra = {})
    {
        words.assign(size / 4, 0);
        auto& h = Header();
        h.biSize = size;
        h.biWidth = width;
        h.biHeight = height;
        h.biPlanes = 1;
        h.biBitCount = static_cast<WORD>(bits);
        h.biCompression = compression;
        h.biClrUsed = used;
        words.insert(words.end(), extra.begin(), extra.end());
    }
    BITMAPINFOHEADER& Header() { return *reinterpret_cast<BITMAPINFOHEADER*>(words.data()); }
    BITMAPINFO* Info() { return reinterpret_cast<BITMAPINFO*>(words.data()); }
};

uint32_t Entry(uint8_t red, uint8_t green, uint8_t blue)
{
    return blue | (uint32_t(green) << 8) | (uint32_t(red) << 16);
}

// A 3 x 2 image with one known pixel.
void MakeMarked(Surface& s)
{
    ASSERT_TRUE(s.Create(3, 2, 24));
    s.SetColor(1, 1, Quad(1, 2, 3));
}

TEST(Surface, CreateChecksItsArgumentsAndBuildsTheHeader)
{
    Surface s;
    EXPECT_FALSE(s.Create(0, 5, 24));
    EXPECT_FALSE(s.Create(5, -1, 24));
    EXPECT_FALSE(s.Create(5, 5, 7));
    EXPECT_TRUE(s.IsEmpty());

    ASSERT_TRUE(s.Create(10, 10, 15));
    EXPECT_EQ(s.BitsPerPixel(), 16);
    EXPECT_FALSE(s.HasBitFields());
    EXPECT_FALSE(s.IsRle());

    ASSERT_TRUE(s.Create(10, 10, 16, 0, true));
    EXPECT_TRUE(s.HasBitFields());
    ColorMasks m;
    ASSERT_TRUE(s.GetMasks(m));
    EXPECT_EQ(m, (ColorMasks{0xF800, 0x07E0, 0x001F, 0}));

    ASSERT_TRUE(s.Create(10, 10, 32, 0, true));
    ASSERT_TRUE(s.GetMasks(m));
    EXPECT_EQ(m, (ColorMasks{0xFF0000, 0x00FF00, 0x0000FF, 0}));

    ASSERT_TRUE(s.Create(3, 4, 24));
    EXPECT_EQ(s.Width(), 3);
    EXPECT_EQ(s.Height(), 4);
    EXPECT_EQ(s.Stride(), 12);  // 9 bytes padded to 4
    ASSERT_TRUE(s.GetMasks(m));
    EXPECT_EQ(m, ColorMasks{});
}

TEST(Surface, IndexedSurfacesGetTheDefaultTablesOrBlankOnes)
{
    Surface s;
    ASSERT_TRUE(s.Create(4, 4, 4));
    const Palette& p4 = s.Data()->Colours();
    EXPECT_EQ(p4, Palette::Default(4));
    ASSERT_EQ(p4.Count(), 16u);
    EXPECT_EQ(Argb(p4[7]) & 0xFFFFFF, 0xC0C0C0u);
    EXPECT_EQ(Argb(p4[9]) & 0xFFFFFF, 0x0000FFu);   // blue
    EXPECT_EQ(Argb(p4[12]) & 0xFFFFFF, 0xFF0000u);  // red
    EXPECT_EQ(Argb(p4[1]) & 0xFFFFFF, 0x000080u);

    ASSERT_TRUE(s.Create(4, 4, 1));
    ASSERT_EQ(s.Data()->Colours().Count(), 2u);
    EXPECT_EQ(Argb(s.Data()->Colours()[1]) & 0xFFFFFF, 0xFFFFFFu);

    ASSERT_TRUE(s.Create(4, 4, 8));
    ASSERT_EQ(s.Data()->Colours().Count(), 256u);
    EXPECT_EQ(Argb(s.Data()->Colours()[77]) & 0xFFFFFF, 0x4D4D4Du);

    ASSERT_TRUE(s.Create(4, 4, 8, 3));
    ASSERT_EQ(s.Data()->Colours().Count(), 3u);
    EXPECT_EQ(Argb(s.Data()->Colours()[2]), 0u);
}

TEST(Surface, UnknownHeaderSizesAreRefusedAndTheOldImageKept)
{
    for (DWORD size : {12u, 64u, 0u}) {
        Surface24 s;
        MakeMarked(s);
        HeaderBlock h(size < 40 ? 40 : size, 2, 2, 24, BI_RGB, 0);
        h.Header().biSize = size;
        EXPECT_FALSE(s.CreateFromInfo(h.Info())) << size;
        ASSERT_FALSE(s.IsEmpty()) << size;
        EXPECT_EQ(s.Width(), 3);
        EXPECT_EQ(Argb(s, 1, 1), 0xFF030201u);
    }
    Surface24 s;
    MakeMarked(s);
    EXPECT_FALSE(s.CreateFromInfo(nullptr));
    EXPECT_EQ(s.Width(), 3);
}

TEST(Surface, LongerHeadersAreAccepted)
{
    for (DWORD size : {40u, 56u, 108u, 124u}) {
        Surface s;
        HeaderBlock h(size, 5, 3, 24, BI_RGB, 0);
        EXPECT_TRUE(s.CreateFromInfo(h.Info())) << size;
        EXPECT_EQ(s.Width(), 5);
    }
}

TEST(Surface, RleHeaderGivesAnUncompressedSurfaceAndIsOnlyRead)
{
    // The header sits in a read-only page, as a bitmap resource does.
    HeaderBlock h(40, 4, 4, 8, BI_RLE8, 2, {Entry(10, 20, 30), Entry(40, 50, 60)});
    h.Header().biSizeImage = 6;  // a compressed size, far too small for the pixels
    SYSTEM_INFO si;
    ::GetSystemInfo(&si);
    void* page = ::VirtualAlloc(nullptr, si.dwPageSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(page, nullptr);
    std::memcpy(page, h.words.data(), h.words.size() * 4);
    DWORD old;
    ASSERT_TRUE(::VirtualProtect(page, si.dwPageSize, PAGE_READONLY, &old));

    Surface8 s;
    ASSERT_TRUE(s.CreateFromInfo(static_cast<const BITMAPINFO*>(page)));
    EXPECT_EQ(s.BitsPerPixel(), 8);
    EXPECT_EQ(s.Data()->Compression(), DWORD(BI_RGB));
    EXPECT_FALSE(s.IsRle());
    EXPECT_EQ(static_cast<const BITMAPINFOHEADER*>(page)->biCompression, DWORD(BI_RLE8));
    ASSERT_EQ(s.Data()->Colours().Count(), 2u);
    s.SetIndex(3, 3, 1);
    EXPECT_EQ(Argb(s, 3, 3), 0xFF28323Cu);
    ::VirtualFree(page, 0, MEM_RELEASE);
}

TEST(Surface, SixteenBitHeaderWithoutMasksGetsFiveFiveFive)
{
    HeaderBlock h(40, 2, 2, 16, BI_RGB, 0);
    Surface16 s;
    ASSERT_TRUE(s.CreateFromInfo(h.Info()));
    EXPECT_FALSE(s.HasBitFields());
    ColorMasks m;
    ASSERT_TRUE(s.GetMasks(m));
    EXPECT_EQ(m, (ColorMasks{0x7C00, 0x03E0, 0x001F, 0}));
    const DibData& d = *s.Data();
    EXPECT_EQ(d.Shift(DibData::kRed), 10u);
    EXPECT_EQ(d.Shift(DibData::kGreen), 5u);
    EXPECT_EQ(d.Shift(DibData::kBlue), 0u);
    EXPECT_EQ(d.Loss(DibData::kRed), 3u);
    EXPECT_EQ(d.Loss(DibData::kGreen), 3u);
    EXPECT_EQ(d.Loss(DibData::kBlue), 3u);
    EXPECT_EQ(d.Shift(DibData::kAlpha), 0u);
    EXPECT_EQ(d.Loss(DibData::kAlpha), 0u);
}

TEST(Surface, BitFieldHeadersTakeTheirMasksFromTheRightPlace)
{
    // 40 bytes: three masks follow, no alpha.
    HeaderBlock h40(40, 2, 1, 16, BI_BITFIELDS, 0, {0xF800, 0x07E0, 0x001F});
    Surface s;
    ASSERT_TRUE(s.CreateFromInfo(h40.Info()));
    ColorMasks m;
    s.GetMasks(m);
    EXPECT_EQ(m, (ColorMasks{0xF800, 0x07E0, 0x001F, 0}));
    EXPECT_EQ(s.Data()->Loss(DibData::kGreen), 2u);

    // 56 bytes: the alpha mask is the fourth; a colour table follows the header.
    HeaderBlock h56(40, 2, 1, 16, BI_BITFIELDS, 1, {0x7C00, 0x03E0, 0x001F, 0x8000, Entry(1, 2, 3)});
    h56.Header().biSize = 56;
    ASSERT_TRUE(s.CreateFromInfo(h56.Info()));
    s.GetMasks(m);
    EXPECT_EQ(m, (ColorMasks{0x7C00, 0x03E0, 0x001F, 0x8000}));
    ASSERT_EQ(s.Data()->Colours().Count(), 1u);
    EXPECT_EQ(Argb(s.Data()->Colours()[0]), 0x010203u);
    // 1-5-5-5 with alpha: the top bit decides.
    uint8_t* row = s.Row(0);
    row[0] = 0x1F;
    row[1] = 0x80;  // opaque blue
    row[2] = 0x1F;
    row[3] = 0x00;  // transparent blue
    EXPECT_EQ(Argb(s, 0, 0), 0xFF0000F8u);
    EXPECT_EQ(Argb(s, 1, 0), 0x000000F8u);
}

TEST(Surface, ColourTableOfTrueColourHeaderIsKept)
{
    HeaderBlock h(40, 2, 2, 24, BI_RGB, 3, {Entry(1, 2, 3), Entry(4, 5, 6), Entry(7, 8, 9)});
    Surface24 s;
    ASSERT_TRUE(s.CreateFromInfo(h.Info()));
    const Palette& p = s.Data()->Colours();
    ASSERT_EQ(p.Count(), 3u);
    EXPECT_EQ(Argb(p[0]), 0x010203u);
    EXPECT_EQ(Argb(p[2]), 0x070809u);
    EXPECT_EQ(s.NearestIndex(Quad(3, 2, 1)), -1);  // not indexed

    DibHeader out;
    ASSERT_TRUE(s.ExportInfo(out));
    EXPECT_EQ(out.Header().biSize, 40u);
    EXPECT_EQ(out.Header().biClrUsed, 3u);
    EXPECT_EQ(out.Size(), 40u + 12u);
    EXPECT_EQ(Argb(out.Colours()[1]), 0x040506u);
}

TEST(Surface, BrokenColourCountsAreRefused)
{
    HeaderBlock h(40, 2, 2, 8, BI_RGB, 100000);
    Surface s;
    EXPECT_FALSE(s.CreateFromInfo(h.Info()));
    EXPECT_TRUE(s.IsEmpty());
}

TEST(Surface, RowTableStartsAtTheTopOfThePicture)
{
    Surface bottomUp;
    ASSERT_TRUE(bottomUp.Create(3, 5, 24));
    const DibData& d = *bottomUp.Data();
    EXPECT_EQ(bottomUp.Row(0), d.Bits() + 4 * d.Stride());
    EXPECT_EQ(bottomUp.Row(4), d.Bits());
    EXPECT_EQ(bottomUp.Row(5), nullptr);
    EXPECT_EQ(bottomUp.Row(-1), nullptr);
    // What GDI draws at the top is what row 0 holds.
    ASSERT_TRUE(bottomUp.FillAll(RGB(0, 0, 0)));
    ASSERT_TRUE(bottomUp.FillArea(RECT{0, 0, 3, 1}, RGB(10, 20, 30), nullptr));
    EXPECT_EQ(test::At(bottomUp, 2, 0), RGB(10, 20, 30));
    EXPECT_EQ(test::At(bottomUp, 2, 1), RGB(0, 0, 0));

    HeaderBlock h(40, 3, -5, 24, BI_RGB, 0);
    Surface topDown;
    ASSERT_TRUE(topDown.CreateFromInfo(h.Info()));
    EXPECT_EQ(topDown.Height(), 5);
    EXPECT_EQ(topDown.Row(0), topDown.Data()->Bits());
    ASSERT_TRUE(topDown.FillArea(RECT{0, 0, 3, 1}, RGB(10, 20, 30), nullptr));
    EXPECT_EQ(test::At(topDown, 1, 0), RGB(10, 20, 30));
}

TEST(Surface, IndexedPixelsArePackedFromTheHighBit)
{
    Surface1 s1;
    ASSERT_TRUE(s1.Create(12, 1, 1));
    std::memset(s1.Row(0), 0, 2);
    s1.SetIndex(0, 0, 1);
    s1.SetIndex(9, 0, 1);
    EXPECT_EQ(s1.Row(0)[0], 0x80);
    EXPECT_EQ(s1.Row(0)[1], 0x40);
    EXPECT_EQ(s1.GetIndex(9, 0), 1);
    EXPECT_EQ(s1.GetIndex(8, 0), 0);
    EXPECT_EQ(Argb(s1, 9, 0), 0xFFFFFFFFu);
    s1.SetColor(9, 0, Quad(10, 10, 10));  // nearest is black
    EXPECT_EQ(s1.GetIndex(9, 0), 0);

    Surface4 s4;
    ASSERT_TRUE(s4.Create(3, 1, 4));
    s4.SetIndex(0, 0, 0xC);
    s4.SetIndex(1, 0, 0x3);
    s4.SetIndex(2, 0, 0x9);
    EXPECT_EQ(s4.Row(0)[0], 0xC3);
    EXPECT_EQ(s4.Row(0)[1] & 0xF0, 0x90);
    EXPECT_EQ(Argb(s4, 0, 0), 0xFFFF0000u);
    s4.SetColor(2, 0, Quad(250, 250, 5));  // nearest: cyan (index 11)
    EXPECT_EQ(s4.GetIndex(2, 0), 11);

    // The base class addresses the same pixels by asking the depth.
    Surface base;
    ASSERT_TRUE(base.Take(s4));
    EXPECT_EQ(base.GetIndex(1, 0), 3);
    EXPECT_EQ(Argb(base, 0, 0), 0xFFFF0000u);
}

TEST(Surface, TrueColourPixelsKeepTheirBytes)
{
    Surface16 s16;
    ASSERT_TRUE(s16.Create(2, 1, 15));
    s16.SetColor(0, 0, Quad(0xFF, 0x80, 0x08));
    const uint16_t v = static_cast<uint16_t>(s16.Row(0)[0] | (s16.Row(0)[1] << 8));
    EXPECT_EQ(v, (1 << 10) | (16 << 5) | 31);
    EXPECT_EQ(Argb(s16, 0, 0), 0xFF0880F8u);

    Surface16 s565;
    ASSERT_TRUE(s565.Create(1, 1, 16, 0, true));
    s565.SetColor(0, 0, Quad(0, 0xFF, 0));
    EXPECT_EQ(s565.Row(0)[0] | (s565.Row(0)[1] << 8), 0x07E0);
    EXPECT_EQ(Argb(s565, 0, 0), 0xFF00FC00u);

    Surface24 s24;
    ASSERT_TRUE(s24.Create(2, 2, 24));
    s24.SetColor(1, 1, Quad(1, 2, 3, 9));
    EXPECT_EQ(s24.Row(1)[3], 1);
    EXPECT_EQ(s24.Row(1)[5], 3);
    EXPECT_EQ(Argb(s24, 1, 1), 0xFF030201u);  // no alpha: 255

    Surface32 s32;
    ASSERT_TRUE(s32.Create(2, 2, 32));
    s32.SetColor(1, 0, Quad(1, 2, 3, 9));
    EXPECT_EQ(s32.Row(0)[7], 9);
    EXPECT_EQ(Argb(s32, 1, 0), 0x09030201u);
}

TEST(Surface, PixelAccessOutsideTheSurfaceIsIgnored)
{
    Surface8 s;
    ASSERT_TRUE(s.Create(4, 2, 8));
    std::memset(s.Data()->Bits(), 7, static_cast<size_t>(s.Stride()) * 2);
    for (auto [x, y] : {std::pair{-1, 0}, {4, 0}, {0, -1}, {0, 2}}) {
        s.SetIndex(x, y, 1);
        s.SetColor(x, y, Quad(0, 0, 0));
        EXPECT_EQ(s.GetIndex(x, y), 0);
        RGBQUAD q = Quad(1, 1, 1, 1);
        EXPECT_FALSE(s.GetColor(x, y, q));
        EXPECT_EQ(Argb(q), 0u);
    }
    for (int i = 0; i < s.Stride() * 2; ++i) EXPECT_EQ(s.Data()->Bits()[i], 7) << i;

    Surface empty;
    EXPECT_EQ(empty.Width(), 0);
    EXPECT_EQ(empty.BitsPerPixel(), 0);
    EXPECT_EQ(empty.GetIndex(0, 0), 0);
    EXPECT_FALSE(empty.IsValid());
    EXPECT_EQ(empty.Row(0), nullptr);
}

TEST(Surface, NearestIndexPrefersExactThenLowestOfEquals)
{
    HeaderBlock h(40, 1, 1, 8, BI_RGB, 4,
                  {Entry(100, 0, 0), Entry(0, 0, 0), Entry(0, 0, 10), Entry(0, 0, 0)});
    Surface8 s;
    ASSERT_TRUE(s.CreateFromInfo(h.Info()));
    EXPECT_EQ(s.NearestIndex(Quad(0, 0, 0)), 1);   // exact, first of two
    EXPECT_EQ(s.NearestIndex(Quad(5, 0, 0)), 1);   // 25 to both 1 and 2: lower wins
    EXPECT_EQ(s.NearestIndex(Quad(6, 0, 0)), 2);
    EXPECT_EQ(s.NearestIndex(Quad(0, 0, 90)), 0);

    Surface24 t;
    t.Create(1, 1, 24);
    EXPECT_EQ(t.NearestIndex(Quad(0, 0, 0)), -1);
}

TEST(Surface, RecordsAreCheckedWithoutReadingUnknownMemory)
{
    Surface base;
    EXPECT_FALSE(base.Accepts(nullptr));
    EXPECT_FALSE(base.Accepts(reinterpret_cast<const DibData*>(static_cast<uintptr_t>(0x10))));

    // Reserved but never committed: any read would fault.
    void* hole = ::VirtualAlloc(nullptr, 1 << 16, MEM_RESERVE, PAGE_NOACCESS);
    ASSERT_NE(hole, nullptr);
    EXPECT_FALSE(base.Accepts(static_cast<const DibData*>(hole)));
    ::VirtualFree(hole, 0, MEM_RELEASE);

    // Memory that carries the tag is still no record.
    alignas(8) uint32_t forged[64];
    for (auto& w : forged) w = DibData::kTag;
    EXPECT_FALSE(base.Accepts(reinterpret_cast<const DibData*>(forged)));

    Surface8 s;
    ASSERT_TRUE(s.Create(2, 2, 8));
    const DibData* live = s.Data();
    EXPECT_TRUE(base.Accepts(live));
    Surface24 other;
    EXPECT_FALSE(other.Accepts(live));  // wrong depth for the variant
    s.Destroy();
    EXPECT_FALSE(base.Accepts(live));  // gone
}

TEST(Surface, AttachAndTakeOnlyMoveRecordsTheClassAccepts)
{
    Surface8 eight;
    ASSERT_TRUE(eight.Create(2, 2, 8));
    DibPtr record = eight.Detach();
    EXPECT_TRUE(eight.IsEmpty());
    ASSERT_TRUE(record);

    Surface24 wrong;
    MakeMarked(wrong);
    EXPECT_FALSE(wrong.Attach(std::move(record)));
    EXPECT_TRUE(record);  // still the caller's
    EXPECT_EQ(wrong.Width(), 3);
    EXPECT_TRUE(eight.Attach(std::move(record)));
    EXPECT_FALSE(record);
    EXPECT_TRUE(eight.IsValid());

    // Refused: the record stays with the giver, the taker keeps its own.
    EXPECT_FALSE(wrong.Take(eight));
    EXPECT_EQ(eight.BitsPerPixel(), 8);
    EXPECT_EQ(wrong.Width(), 3);

    Surface base;
    EXPECT_TRUE(base.Take(eight));
    EXPECT_TRUE(eight.IsEmpty());
    EXPECT_EQ(base.BitsPerPixel(), 8);

    // Attaching nothing empties the surface.
    EXPECT_TRUE(wrong.Attach(nullptr));
    EXPECT_TRUE(wrong.IsEmpty());
}

TEST(Surface, SwapNeedsBothSidesToAccept)
{
    Surface24 a;
    MakeMarked(a);
    Surface8 b;
    ASSERT_TRUE(b.Create(5, 5, 8));
    EXPECT_FALSE(a.Swap(b));
    EXPECT_EQ(a.Width(), 3);
    EXPECT_EQ(b.Width(), 5);

    Surface base;
    ASSERT_TRUE(base.Create(7, 1, 24));
    EXPECT_FALSE(b.Swap(base));  // b cannot take a 24-bit record
    EXPECT_TRUE(a.Swap(base));
    EXPECT_EQ(a.Width(), 7);
    EXPECT_EQ(base.Width(), 3);
    EXPECT_EQ(Argb(base, 1, 1), 0xFF030201u);
}

TEST(Surface, CopyFromMakesAnIndependentEqualImage)
{
    HeaderBlock h(40, 3, 2, 16, BI_BITFIELDS, 0, {0x7C00, 0x03E0, 0x001F, 0x8000});
    h.Header().biSize = 56;
    Surface16 source;
    ASSERT_TRUE(source.CreateFromInfo(h.Info()));
    source.SetColor(2, 1, Quad(0xF8, 0, 0xF8, 255));
    source.SetSmoothStretch(true);

    Surface16 copy;
    ASSERT_TRUE(copy.CopyFrom(source));
    EXPECT_NE(copy.Data(), source.Data());
    EXPECT_EQ(copy.Width(), 3);
    ColorMasks a, b;
    source.GetMasks(a);
    copy.GetMasks(b);
    EXPECT_EQ(a, b);  // alpha mask included
    EXPECT_EQ(Argb(copy, 2, 1), 0xFFF800F8u);
    source.SetColor(2, 1, Quad(0, 0, 0, 0));
    EXPECT_EQ(Argb(copy, 2, 1), 0xFFF800F8u);

    // Indexed: the colour table comes along.
    Surface8 p;
    HeaderBlock h8(40, 2, 1, 8, BI_RGB, 2, {Entry(9, 9, 9), Entry(200, 100, 50)});
    ASSERT_TRUE(p.CreateFromInfo(h8.Info()));
    p.SetIndex(1, 0, 1);
    auto clone = p.Clone();
    ASSERT_NE(clone, nullptr);
    EXPECT_NE(dynamic_cast<Surface8*>(clone.get()), nullptr);
    EXPECT_EQ(clone->Data()->Colours(), p.Data()->Colours());
    EXPECT_EQ(Argb(*clone, 1, 0), 0xFFC86432u);

    // Copying nothing succeeds and changes nothing.
    Surface empty;
    Surface24 kept;
    MakeMarked(kept);
    EXPECT_TRUE(kept.CopyFrom(empty));
    EXPECT_EQ(kept.Width(), 3);
    EXPECT_TRUE(kept.CopyFrom(kept));
    EXPECT_EQ(Argb(kept, 1, 1), 0xFF030201u);
}

TEST(Surface, SmoothStretchFlagBelongsToTheRecord)
{
    Surface s;
    s.SetSmoothStretch(true);  // no record: nothing to set
    EXPECT_FALSE(s.GetSmoothStretch());
    ASSERT_TRUE(s.Create(2, 2, 24));
    EXPECT_FALSE(s.GetSmoothStretch());
    s.SetSmoothStretch(true);
    EXPECT_TRUE(s.GetSmoothStretch());
    EXPECT_EQ(s.Data()->Flags(), DibData::kSmoothStretch);
    s.SetSmoothStretch(false);
    EXPECT_EQ(s.Data()->Flags(), 0u);
}

TEST(Surface, ResizeKeepsDepthAndColourTable)
{
    HeaderBlock h(40, 2, 2, 8, BI_RGB, 2, {Entry(255, 0, 0), Entry(0, 0, 255)});
    Surface8 s;
    ASSERT_TRUE(s.CreateFromInfo(h.Info()));
    s.SetIndex(0, 0, 0);
    s.SetIndex(1, 0, 1);
    s.SetIndex(0, 1, 1);
    s.SetIndex(1, 1, 0);
    s.SetSmoothStretch(true);
    const DibData* before = s.Data();
    EXPECT_TRUE(s.Resize(2, 2, false));  // same size: nothing to do
    EXPECT_EQ(s.Data(), before);

    ASSERT_TRUE(s.Resize(SIZE{4, 4}, false));
    EXPECT_EQ(s.Width(), 4);
    EXPECT_EQ(s.BitsPerPixel(), 8);
    EXPECT_TRUE(s.GetSmoothStretch());
    EXPECT_EQ(s.Data()->Colours().Count(), 2u);
    EXPECT_EQ(Argb(s, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(Argb(s, 3, 0), 0xFF0000FFu);
    EXPECT_EQ(Argb(s, 0, 3), 0xFF0000FFu);
    EXPECT_EQ(Argb(s, 3, 3), 0xFFFF0000u);

    Surface24 into;
    EXPECT_FALSE(s.ResizeInto(into, SIZE{0, 3}, false));
    Surface8 target;
    ASSERT_TRUE(s.ResizeIntoSharp(target, SIZE{2, 1}));
    EXPECT_EQ(target.Width(), 2);
    EXPECT_EQ(target.Height(), 1);
    EXPECT_FALSE(s.ResizeInto(into, SIZE{2, 2}, false));  // 24-bit class refuses an 8-bit image
    EXPECT_TRUE(into.IsEmpty());
}

}  // namespace
}  // namespace vorlune
