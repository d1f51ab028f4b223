#include <gtest/gtest.h>

#include <cstring>

#include "gfx/GfxTesting.h"
#include "gfx/Surface.h"

namespace vorlune {
namespace {

using test::Argb;
using test::Quad;

void Fill(Surface& s, const RGBQUAD& q)
{
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) s.SetColor(x, y, q);
}

void Put32(Surface32& s, int x, int y, uint8_t b, uint8_t g, uint8_t r, uint8_t a)
{
    uint8_t* p = s.Row(y) + 4 * x;
    p[0] = b;
    p[1] = g;
    p[2] = r;
    p[3] = a;
}

TEST(SurfaceConvert, IndexedToDepth24TakesThePaletteColours)
{
    Surface4 s;
    ASSERT_TRUE(s.Create(3, 2, 4));
    s.SetIndex(0, 0, 12);  // red
    s.SetIndex(1, 0, 3);   // 0, 128, 128
    s.SetIndex(2, 1, 7);   // silver
    Surface24 out;
    ASSERT_TRUE(s.ToDepth24(out));
    EXPECT_EQ(test::At(out, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(test::At(out, 1, 0), RGB(0, 128, 128));
    EXPECT_EQ(test::At(out, 2, 1), RGB(192, 192, 192));
    EXPECT_EQ(test::At(out, 0, 1), RGB(0, 0, 0));

    Surface1 mono;
    ASSERT_TRUE(mono.Create(9, 1, 1));
    std::memset(mono.Row(0), 0, 2);
    mono.SetIndex(8, 0, 1);
    ASSERT_TRUE(mono.ToDepth24(out));
    EXPECT_EQ(test::At(out, 8, 0), RGB(255, 255, 255));
    EXPECT_EQ(test::At(out, 7, 0), RGB(0, 0, 0));

    Surface8 grey;
    ASSERT_TRUE(grey.Create(1, 1, 8));
    grey.SetIndex(0, 0, 77);
    ASSERT_TRUE(grey.ToDepth24(out));
    EXPECT_EQ(test::At(out, 0, 0), RGB(77, 77, 77));
}

TEST(SurfaceConvert, ThirtyTwoBitsToDepth24BlendsOverWhite)
{
    Surface32 s;
    ASSERT_TRUE(s.Create(5, 1, 32));
    Put32(s, 0, 0, 10, 20, 30, 0);    // transparent: white
    Put32(s, 1, 0, 10, 20, 30, 255);  // opaque: its colour
    Put32(s, 2, 0, 0, 0, 0, 128);     // 255 + ((128 * -255) >> 8) = 127
    Put32(s, 3, 0, 0, 0, 0, 254);     // 255 + ((254 * -255) >> 8) = 255 - 254
    Put32(s, 4, 0, 0, 100, 255, 1);   // 255 + ((1 * -155) >> 8) = 254
    Surface24 out;
    ASSERT_TRUE(s.ToDepth24(out));
    EXPECT_EQ(test::At(out, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(test::At(out, 1, 0), RGB(30, 20, 10));
    EXPECT_EQ(test::At(out, 2, 0), RGB(127, 127, 127));
    EXPECT_EQ(test::At(out, 3, 0), RGB(1, 1, 1));
    EXPECT_EQ(test::At(out, 4, 0), RGB(255, 254, 254));
}

TEST(SurfaceConvert, SixteenBitsToDepth24WidensThroughTheMasks)
{
    Surface16 s;
    ASSERT_TRUE(s.Create(3, 1, 15));
    auto put = [&](int x, uint16_t v) {
        s.Row(0)[2 * x] = static_cast<uint8_t>(v);
        s.Row(0)[2 * x + 1] = static_cast<uint8_t>(v >> 8);
    };
    put(0, 0x7FFF);
    put(1, 0x7C00);
    put(2, (3 << 5) | 1);
    Surface24 out;
    ASSERT_TRUE(s.ToDepth24(out));
    EXPECT_EQ(test::At(out, 0, 0), RGB(248, 248, 248));  // no alpha: colours kept
    EXPECT_EQ(test::At(out, 1, 0), RGB(248, 0, 0));
    EXPECT_EQ(test::At(out, 2, 0), RGB(0, 24, 8));

    Surface16 s565;
    ASSERT_TRUE(s565.Create(1, 1, 16, 0, true));
    s565.Row(0)[0] = 0xE0;
    s565.Row(0)[1] = 0x07;
    ASSERT_TRUE(s565.ToDepth24(out));
    EXPECT_EQ(test::At(out, 0, 0), RGB(0, 252, 0));
}

TEST(SurfaceConvert, SixteenBitsWithAlphaBlendOverWhite)
{
    struct {
        BITMAPINFOHEADER h;
        uint32_t masks[4];
    } info{};
    info.h.biSize = 56;
    info.h.biWidth = 2;
    info.h.biHeight = 1;
    info.h.biPlanes = 1;
    info.h.biBitCount = 16;
    info.h.biCompression = BI_BITFIELDS;
    info.masks[0] = 0x7C00;
    info.masks[1] = 0x03E0;
    info.masks[2] = 0x001F;
    info.masks[3] = 0x8000;
    Surface16 s;
    ASSERT_TRUE(s.CreateFromInfo(reinterpret_cast<BITMAPINFO*>(&info)));
    s.Row(0)[0] = 0x00;
    s.Row(0)[1] = 0x00;  // black, transparent
    s.Row(0)[2] = 0x00;
    s.Row(0)[3] = 0x80;  // black, opaque
    Surface24 out;
    ASSERT_TRUE(s.ToDepth24(out));
    EXPECT_EQ(test::At(out, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(test::At(out, 1, 0), RGB(0, 0, 0));
}

TEST(SurfaceConvert, Depth24CopiesAndConvertsInPlace)
{
    Surface24 s;
    ASSERT_TRUE(s.Create(2, 2, 24));
    s.SetColor(1, 0, Quad(1, 2, 3));
    Surface24 copy;
    ASSERT_TRUE(s.ToDepth24(copy));
    EXPECT_NE(copy.Data(), s.Data());
    EXPECT_EQ(test::At(copy, 1, 0), RGB(3, 2, 1));

    // A base surface can convert itself.
    Surface any;
    ASSERT_TRUE(any.Create(2, 1, 8));
    any.SetIndex(1, 0, 200);
    ASSERT_TRUE(any.ToDepth24(any));
    EXPECT_EQ(any.BitsPerPixel(), 24);
    EXPECT_EQ(test::At(any, 1, 0), RGB(200, 200, 200));

    // A variant cannot hold the result: it keeps its image, the call fails.
    Surface8 eight;
    ASSERT_TRUE(eight.Create(2, 1, 8));
    EXPECT_FALSE(eight.ToDepth24(eight));
    EXPECT_EQ(eight.BitsPerPixel(), 8);

    // Any other target that cannot hold it ends up empty.
    Surface8 wrong;
    ASSERT_TRUE(wrong.Create(1, 1, 8));
    EXPECT_FALSE(eight.ToDepth24(wrong));
    EXPECT_TRUE(wrong.IsEmpty());

    // An empty source changes nothing.
    Surface empty;
    EXPECT_FALSE(empty.ToDepth24(copy));
    EXPECT_EQ(copy.Width(), 2);
}

TEST(SurfaceConvert, GreyAndMonochromeUseTheWeightedSum)
{
    Surface24 s;
    ASSERT_TRUE(s.Create(4, 1, 24));
    s.SetColor(0, 0, Quad(50, 100, 200));  // (5900 + 6000 + 550 + 50) / 100 = 125
    s.SetColor(1, 0, Quad(127, 127, 127));
    s.SetColor(2, 0, Quad(128, 128, 128));
    s.SetColor(3, 0, Quad(255, 0, 0));  // blue: (2805 + 50) / 100 = 28
    Surface8 grey;
    ASSERT_TRUE(s.ToGray8(grey));
    EXPECT_EQ(grey.GetIndex(0, 0), 125);
    EXPECT_EQ(grey.GetIndex(1, 0), 127);
    EXPECT_EQ(grey.GetIndex(2, 0), 128);
    EXPECT_EQ(grey.GetIndex(3, 0), 28);
    EXPECT_EQ(grey.Data()->Colours(), Palette::Default(8));

    Surface1 mono;
    ASSERT_TRUE(s.ToMonochrome(mono, 128));
    EXPECT_EQ(mono.GetIndex(0, 0), 0);
    EXPECT_EQ(mono.GetIndex(1, 0), 0);
    EXPECT_EQ(mono.GetIndex(2, 0), 1);
    ASSERT_TRUE(s.ToMonochrome(mono, 0));
    for (int x = 0; x < 4; ++x) EXPECT_EQ(mono.GetIndex(x, 0), 1);
    ASSERT_TRUE(s.ToMonochrome(mono, 255));
    for (int x = 0; x < 4; ++x) EXPECT_EQ(mono.GetIndex(x, 0), 0);

    // Other depths go through ToDepth24 first: transparent becomes white.
    Surface32 clear;
    ASSERT_TRUE(clear.Create(1, 1, 32));
    std::memset(clear.Row(0), 0, 4);
    ASSERT_TRUE(clear.ToGray8(grey));
    EXPECT_EQ(grey.GetIndex(0, 0), 255);
}

TEST(SurfaceConvert, WiderDepthsKeepColourAndAlpha)
{
    Surface8 s;
    ASSERT_TRUE(s.Create(2, 1, 8));
    s.SetIndex(1, 0, 90);
    Surface32 wide;
    ASSERT_TRUE(s.ToDepth32(wide));
    EXPECT_FALSE(wide.HasBitFields());
    EXPECT_EQ(Argb(wide, 1, 0), 0xFF5A5A5Au);

    Surface32 withAlpha;
    ASSERT_TRUE(withAlpha.Create(1, 1, 32));
    withAlpha.SetColor(0, 0, Quad(1, 2, 3, 4));
    Surface32 copy;
    ASSERT_TRUE(withAlpha.ToDepth32(copy));
    EXPECT_EQ(Argb(copy, 0, 0), 0x04030201u);

    Surface16 s16;
    ASSERT_TRUE(withAlpha.ToDepth16(s16, true));
    EXPECT_FALSE(s16.HasBitFields());
    Surface24 t;
    ASSERT_TRUE(t.Create(1, 1, 24));
    t.SetColor(0, 0, Quad(0xFF, 0x84, 0x08));
    ASSERT_TRUE(t.ToDepth16(s16, true));
    EXPECT_EQ(s16.Row(0)[0] | (s16.Row(0)[1] << 8), (1 << 10) | (16 << 5) | 31);
    ASSERT_TRUE(t.ToDepth16(s16, false));
    EXPECT_TRUE(s16.HasBitFields());
    EXPECT_EQ(s16.Row(0)[0] | (s16.Row(0)[1] << 8), (1 << 11) | (33 << 5) | 31);
}

TEST(SurfaceConvert, ReducedDepthsUseExactColoursWhenTheyFit)
{
    Surface24 s;
    ASSERT_TRUE(s.Create(3, 2, 24));
    Fill(s, Quad(0, 0, 200));
    s.SetColor(0, 0, Quad(10, 20, 30));
    s.SetColor(2, 1, Quad(90, 80, 70));
    Surface4 four;
    ASSERT_TRUE(s.ToDepth4(four));
    ASSERT_EQ(four.Data()->Colours().Count(), 3u);
    // First met from the top-left.
    EXPECT_EQ(four.GetIndex(0, 0), 0);
    EXPECT_EQ(four.GetIndex(1, 0), 1);
    EXPECT_EQ(four.GetIndex(2, 1), 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(Argb(four, x, y), Argb(s, x, y)) << x << "," << y;

    // An indexed source whose table fits keeps table and indexes.
    Surface8 eight;
    ASSERT_TRUE(four.ToDepth8(eight));
    EXPECT_EQ(eight.Data()->Colours(), four.Data()->Colours());
    EXPECT_EQ(eight.GetIndex(2, 1), 2);

    // Too many colours for 2 entries: black and white by nearness.
    Surface1 one;
    ASSERT_TRUE(s.ToDepth1(one));
    ASSERT_EQ(one.Data()->Colours().Count(), 2u);
    EXPECT_EQ(Argb(one.Data()->Colours()[1]) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(one.GetIndex(0, 0), 0);  // dark
    EXPECT_EQ(one.GetIndex(2, 1), 0);  // (70, 80, 90) is nearer black
}

TEST(SurfaceConvert, ManyColoursMapToAFixedTable)
{
    Surface24 s;
    ASSERT_TRUE(s.Create(32, 16, 24));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x)
            s.SetColor(x, y, Quad(static_cast<uint8_t>(x * 8), static_cast<uint8_t>(y * 16), 60));
    s.SetColor(0, 0, Quad(50, 50, 50));
    s.SetColor(1, 0, Quad(250, 0, 130));

    Surface8 eight;
    ASSERT_TRUE(s.ToDepth8(eight));
    EXPECT_EQ(eight.Data()->Colours().Count(), 216u);
    EXPECT_EQ(Argb(eight, 0, 0), 0xFF333333u);  // 51 is the nearest level
    EXPECT_EQ(Argb(eight, 1, 0), 0xFF9900FFu);

    Surface4 four;
    ASSERT_TRUE(s.ToDepth4(four));
    EXPECT_EQ(four.Data()->Colours(), Palette::Default(4));
    EXPECT_EQ(Argb(four, 0, 0), 0xFF000000u);
    EXPECT_EQ(Argb(four, 1, 0), 0xFF800080u);  // purple is nearest to (130, 0, 250)

    Surface4 fewer;
    ASSERT_TRUE(s.ToDepth4(fewer, 4));
    ASSERT_EQ(fewer.Data()->Colours().Count(), 4u);
    EXPECT_EQ(Argb(fewer.Data()->Colours()[1]) & 0xFFFFFF, 0x555555u);  // grey ramp
}

TEST(SurfaceConvert, ConvertToDispatchesByDepth)
{
    Surface24 s;
    ASSERT_TRUE(s.Create(2, 2, 24));
    Fill(s, Quad(255, 255, 255));
    struct Case {
        int depth;
        int bits;
        bool bitfields;
        uint32_t white;  // 16 bits keep the top bits of each channel only
    };
    for (Case c : {Case{1, 1, false, 0xFFFFFF}, Case{4, 4, false, 0xFFFFFF}, Case{8, 8, false, 0xFFFFFF},
                   Case{15, 16, false, 0xF8F8F8}, Case{16, 16, true, 0xF8FCF8}, Case{24, 24, false, 0xFFFFFF},
                   Case{32, 32, false, 0xFFFFFF}}) {
        Surface out;
        ASSERT_TRUE(s.ConvertTo(out, c.depth)) << c.depth;
        EXPECT_EQ(out.BitsPerPixel(), c.bits) << c.depth;
        EXPECT_EQ(out.HasBitFields(), c.bitfields) << c.depth;
        EXPECT_EQ(Argb(out, 1, 1) & 0xFFFFFF, c.white) << c.depth;
    }
    Surface8 kept;
    ASSERT_TRUE(kept.Create(1, 1, 8));
    EXPECT_FALSE(s.ConvertTo(kept, 7));
    EXPECT_EQ(kept.Width(), 1);
    EXPECT_FALSE(s.ConvertTo(kept, 24));  // the class refuses the result
    EXPECT_TRUE(kept.IsEmpty());
}

TEST(SurfaceConvert, NormalizeBitFieldsRewritesAsPlainPixels)
{
    Surface16 s;
    ASSERT_TRUE(s.Create(1, 1, 16, 0, true));
    s.SetColor(0, 0, Quad(0xF8, 0xFC, 0x08));
    s.SetSmoothStretch(true);
    ASSERT_TRUE(s.NormalizeBitFields());
    EXPECT_FALSE(s.HasBitFields());
    EXPECT_TRUE(s.GetSmoothStretch());
    EXPECT_EQ(s.Row(0)[0] | (s.Row(0)[1] << 8), (1 << 10) | (31 << 5) | 31);
    EXPECT_FALSE(s.NormalizeBitFields());  // already plain

    Surface32 w;
    ASSERT_TRUE(w.Create(1, 1, 32, 0, true));
    std::memcpy(w.Row(0), "\x01\x02\x03\x00", 4);
    ASSERT_TRUE(w.NormalizeBitFields());
    EXPECT_FALSE(w.HasBitFields());
    EXPECT_EQ(Argb(w, 0, 0), 0xFF030201u);  // no alpha mask: opaque

    Surface24 t;
    ASSERT_TRUE(t.Create(1, 1, 24));
    EXPECT_FALSE(t.NormalizeBitFields());
}

}  // namespace
}  // namespace vorlune
