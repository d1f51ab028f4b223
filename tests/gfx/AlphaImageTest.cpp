#include "gfx/AlphaImage.h"

#include <gtest/gtest.h>

#include <cstring>

#include "gfx/BlendPixel.h"
#include "gfx/GfxTesting.h"

namespace vorlune {
namespace {

using test::At;
using test::Canvas;
using test::Put;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBack = RGB(0, 0, 0);

// A distinct colour for every source pixel, so clipping errors show.
COLORREF Source(int x, int y) { return RGB(10 + x * 20, 10 + y * 20, 99); }

// width x height image, colour Source(x, y), one alpha for all (or none).
void MakeImage(AlphaImage& image, int width, int height, int alpha)
{
    ASSERT_TRUE(image.Colour().Create(width, height, 24));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) Put(image.Colour(), x, y, Source(x, y));
    if (alpha < 0) return;
    ASSERT_TRUE(image.Alpha().Create(width, height, 8));
    for (int y = 0; y < height; ++y) std::memset(image.Alpha().Row(y), alpha, width);
}

void MakeTarget(Surface24& target, int width, int height, COLORREF fill)
{
    ASSERT_TRUE(target.Create(width, height, 24));
    ASSERT_TRUE(target.FillAll(fill));
}

uint8_t Blend(uint8_t d, uint8_t c, uint8_t w)
{
    uint8_t px[3] = {d, d, d};
    const uint8_t colour[3] = {c, c, c};
    BlendPixel(px, colour, w);
    return px[0];
}

TEST(BlendPixel, ShiftsByEightNotDividesBy255)
{
    EXPECT_EQ(Blend(0, 255, 128), 127);
    EXPECT_EQ(Blend(0, 255, 254), 253);
    EXPECT_EQ(Blend(0, 255, 255), 255);
    EXPECT_EQ(Blend(0, 255, 0), 0);
    EXPECT_EQ(Blend(255, 0, 128), 127);  // the shift rounds down negative steps too
    EXPECT_EQ(Blend(255, 0, 1), 254);
    EXPECT_EQ(Blend(100, 100, 77), 100);

    uint8_t px[3] = {10, 20, 30};
    const uint8_t c[3] = {110, 20, 0};
    BlendPixel(px, c, 64);
    EXPECT_EQ(px[0], 35);  // 10 + (6400 >> 8)
    EXPECT_EQ(px[1], 20);
    EXPECT_EQ(px[2], 22);  // 30 + (-1920 >> 8) = 30 - 8

    const BgrBytes split = SplitColorRef(RGB(1, 2, 3));
    EXPECT_EQ(split.bytes[0], 3);
    EXPECT_EQ(split.bytes[1], 2);
    EXPECT_EQ(split.bytes[2], 1);
}

TEST(AlphaImage, ValidityNeedsMatchingPlanes)
{
    AlphaImage image;
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_FALSE(image.IsValid());
    MakeImage(image, 3, 2, -1);
    EXPECT_TRUE(image.IsValid());
    EXPECT_FALSE(image.HasAlpha());
    ASSERT_TRUE(image.Alpha().Create(3, 3, 8));
    EXPECT_FALSE(image.IsValid());
    image.Clear();
    EXPECT_TRUE(image.IsEmpty());

    MakeImage(image, 3, 2, 40);
    auto copy = image.Clone();
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->IsValid());
    EXPECT_NE(copy->Colour().Data(), image.Colour().Data());
    EXPECT_EQ(At(copy->Colour(), 2, 1), Source(2, 1));
    EXPECT_EQ(copy->Alpha().GetIndex(2, 1), 40);
}

TEST(AlphaImage, CompositeBlendsEveryPixelByItsAlpha)
{
    AlphaImage image;
    MakeImage(image, 3, 2, 128);
    image.Alpha().SetIndex(0, 0, 255);
    image.Alpha().SetIndex(1, 0, 0);
    Surface24 target;
    MakeTarget(target, 5, 5, kBack);
    ASSERT_TRUE(image.Composite(target, POINT{1, 2}, nullptr));
    EXPECT_EQ(At(target, 1, 2), Source(0, 0));
    EXPECT_EQ(At(target, 2, 2), kBack);
    const COLORREF s = Source(2, 1);
    EXPECT_EQ(At(target, 3, 3), RGB(Blend(0, GetRValue(s), 128), Blend(0, GetGValue(s), 128), 49));
    EXPECT_EQ(At(target, 0, 2), kBack);
    EXPECT_EQ(At(target, 4, 4), kBack);
}

TEST(AlphaImage, CompositeClipsAtEveryEdgeWithMatchingSourcePixels)
{
    AlphaImage image;
    MakeImage(image, 4, 3, 255);
    struct Case {
        POINT at;
        const char* edge;
    };
    for (Case c : {Case{{-2, 1}, "left"}, Case{{1, -1}, "top"}, Case{{4, 1}, "right"}, Case{{2, 4}, "bottom"},
                   Case{{-1, -2}, "top-left"}, Case{{5, 5}, "bottom-right"}}) {
        Surface24 target;
        MakeTarget(target, 6, 6, kBack);
        ASSERT_TRUE(image.Composite(target, c.at, nullptr)) << c.edge;
        for (int y = 0; y < 6; ++y) {
            for (int x = 0; x < 6; ++x) {
                const int sx = x - c.at.x;
                const int sy = y - c.at.y;
                const bool inside = sx >= 0 && sx < 4 && sy >= 0 && sy < 3;
                EXPECT_EQ(At(target, x, y), inside ? Source(sx, sy) : kBack) << c.edge << " " << x << "," << y;
            }
        }
    }
    Surface24 target;
    MakeTarget(target, 6, 6, kBack);
    EXPECT_FALSE(image.Composite(target, POINT{6, 0}, nullptr));  // nothing overlaps
    EXPECT_FALSE(image.Composite(target, POINT{-4, 0}, nullptr));
}

TEST(AlphaImage, CompositeOfAPartStartsAtThePoint)
{
    for (int alpha : {255, -1}) {  // blended and opaque paths
        AlphaImage image;
        MakeImage(image, 4, 4, alpha);
        Surface24 target;
        MakeTarget(target, 4, 4, kBack);
        const RECT part{2, 1, 9, 3};  // cut to the image: 2 x 2
        ASSERT_TRUE(image.Composite(target, POINT{-1, 3}, &part)) << alpha;
        EXPECT_EQ(At(target, 0, 3), Source(3, 1)) << alpha;
        EXPECT_EQ(At(target, 1, 3), kBack) << alpha;
        EXPECT_EQ(At(target, 0, 2), kBack) << alpha;

        const RECT outside{5, 5, 8, 8};
        EXPECT_FALSE(image.Composite(target, POINT{0, 0}, &outside));
    }
}

TEST(AlphaImage, CompositeNeedsATrueColourTarget)
{
    AlphaImage image;
    MakeImage(image, 2, 2, 255);
    Surface32 wide;
    ASSERT_TRUE(wide.Create(4, 4, 32));
    EXPECT_FALSE(image.Composite(wide, POINT{0, 0}, nullptr));
    Surface24 empty;
    EXPECT_FALSE(image.Composite(empty, POINT{0, 0}, nullptr));
    AlphaImage none;
    Surface24 target;
    MakeTarget(target, 2, 2, kBack);
    EXPECT_FALSE(none.Composite(target, POINT{0, 0}, nullptr));
}

TEST(AlphaImage, CompositeScaledRefusesRectanglesOutsideTheTarget)
{
    AlphaImage image;
    MakeImage(image, 4, 4, 255);
    Surface24 target;
    MakeTarget(target, 8, 8, kBack);
    for (RECT dest : {RECT{-1, 0, 4, 4}, RECT{0, -1, 4, 4}, RECT{5, 0, 9, 4}, RECT{0, 5, 4, 9}, RECT{2, 2, 2, 6}}) {
        EXPECT_FALSE(image.CompositeScaled(target, dest, nullptr)) << dest.left << "," << dest.top;
    }
    const RECT bigSource{0, 0, 5, 4};
    EXPECT_FALSE(image.CompositeScaled(target, RECT{0, 0, 4, 4}, &bigSource));
    const RECT emptySource{1, 1, 1, 3};
    EXPECT_FALSE(image.CompositeScaled(target, RECT{0, 0, 4, 4}, &emptySource));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(At(target, x, y), kBack);
}

TEST(AlphaImage, CompositeScaledOfEqualSizeIsAComposite)
{
    AlphaImage image;
    MakeImage(image, 4, 4, 255);
    Surface24 target;
    MakeTarget(target, 8, 8, kBack);
    const RECT part{1, 1, 3, 4};
    ASSERT_TRUE(image.CompositeScaled(target, RECT{5, 4, 7, 7}, &part));
    EXPECT_EQ(At(target, 5, 4), Source(1, 1));
    EXPECT_EQ(At(target, 6, 6), Source(2, 3));
    EXPECT_EQ(At(target, 4, 4), kBack);
}

TEST(AlphaImage, CompositeScaledEnlargesColourAndAlphaByRepetition)
{
    AlphaImage image;
    MakeImage(image, 2, 2, 255);
    image.Alpha().SetIndex(1, 1, 0);
    Surface24 target;
    MakeTarget(target, 6, 6, kBack);
    ASSERT_TRUE(image.CompositeScaled(target, RECT{1, 1, 5, 5}, nullptr));
    for (int y = 1; y < 5; ++y) {
        for (int x = 1; x < 5; ++x) {
            const int sx = (x - 1) / 2;
            const int sy = (y - 1) / 2;
            const COLORREF expected = (sx == 1 && sy == 1) ? kBack : Source(sx, sy);
            EXPECT_EQ(At(target, x, y), expected) << x << "," << y;
        }
    }
    EXPECT_EQ(At(target, 0, 0), kBack);
    EXPECT_EQ(At(target, 5, 5), kBack);
}

TEST(AlphaImage, CompositeScaledShrinksAnEvenImageToTheSameBlend)
{
    // A flat colour at a flat alpha stays flat whatever the filter averages.
    AlphaImage image;
    ASSERT_TRUE(image.Colour().Create(8, 6, 24));
    ASSERT_TRUE(image.Colour().FillAll(RGB(200, 100, 50)));
    ASSERT_TRUE(image.Alpha().Create(8, 6, 8));
    for (int y = 0; y < 6; ++y) std::memset(image.Alpha().Row(y), 128, 8);
    Surface24 target;
    MakeTarget(target, 5, 5, kWhite);
    ASSERT_TRUE(image.CompositeScaled(target, RECT{1, 1, 4, 4}, nullptr));
    const COLORREF blended = RGB(Blend(255, 200, 128), Blend(255, 100, 128), Blend(255, 50, 128));
    for (int y = 1; y < 4; ++y)
        for (int x = 1; x < 4; ++x) EXPECT_EQ(At(target, x, y), blended) << x << "," << y;
    EXPECT_EQ(At(target, 0, 0), kWhite);
    EXPECT_EQ(At(target, 4, 4), kWhite);
    // The image's own flag is untouched by the draw.
    EXPECT_FALSE(image.Colour().GetSmoothStretch());
}

TEST(AlphaImage, CompositeScaledShrinkingKeepsTransparentPartsClear)
{
    // Left half opaque red, right half transparent, shrunk by two.
    AlphaImage image;
    ASSERT_TRUE(image.Colour().Create(8, 4, 24));
    ASSERT_TRUE(image.Colour().FillAll(RGB(255, 0, 0)));
    ASSERT_TRUE(image.Alpha().Create(8, 4, 8));
    for (int y = 0; y < 4; ++y) {
        std::memset(image.Alpha().Row(y), 255, 4);
        std::memset(image.Alpha().Row(y) + 4, 0, 4);
    }
    Surface24 target;
    MakeTarget(target, 4, 2, kWhite);
    ASSERT_TRUE(image.CompositeScaled(target, RECT{0, 0, 4, 2}, nullptr));
    EXPECT_EQ(At(target, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(At(target, 3, 1), kWhite);
}

TEST(AlphaImage, DrawToDCBlendsOverWhatTheDCShows)
{
    AlphaImage image;
    MakeImage(image, 3, 3, 128);
    image.Alpha().SetIndex(0, 0, 0);
    Canvas canvas(6, 6, kWhite);
    canvas.Put(2, 2, RGB(0, 0, 0));
    const RECT part{0, 0, 2, 2};
    ASSERT_TRUE(image.DrawToDC(canvas.Dc(), POINT{2, 2}, &part));
    EXPECT_EQ(canvas.At(2, 2), RGB(0, 0, 0));  // transparent: the old black stays
    const COLORREF s = Source(1, 1);
    EXPECT_EQ(canvas.At(3, 3), RGB(Blend(255, GetRValue(s), 128), Blend(255, GetGValue(s), 128),
                                   Blend(255, GetBValue(s), 128)));
    EXPECT_EQ(canvas.At(4, 4), kWhite);  // outside the part
    EXPECT_EQ(canvas.At(1, 1), kWhite);

    EXPECT_FALSE(image.DrawToDC(nullptr, POINT{0, 0}, nullptr));
    const RECT outside{4, 4, 6, 6};
    EXPECT_FALSE(image.DrawToDC(canvas.Dc(), POINT{0, 0}, &outside));
}

TEST(AlphaImage, FlattenOntoTakesTheBackgroundWhereTransparent)
{
    AlphaImage image;
    MakeImage(image, 3, 1, 255);
    image.Alpha().SetIndex(0, 0, 0);
    image.Alpha().SetIndex(2, 0, 128);
    Surface24 flat;
    ASSERT_TRUE(image.FlattenOnto(flat, 0xFFFFFF));
    EXPECT_EQ(At(flat, 0, 0), kWhite);
    EXPECT_EQ(At(flat, 1, 0), Source(1, 0));
    const COLORREF s = Source(2, 0);
    // The background is blended over the colour with weight 255 - 128.
    EXPECT_EQ(At(flat, 2, 0), RGB(Blend(GetRValue(s), 255, 127), Blend(GetGValue(s), 255, 127),
                                  Blend(GetBValue(s), 255, 127)));
    // COLORREF order: red in the low byte.
    ASSERT_TRUE(image.FlattenOnto(flat, RGB(1, 2, 3)));
    EXPECT_EQ(At(flat, 0, 0), RGB(1, 2, 3));
    // The image is left alone.
    EXPECT_EQ(At(image.Colour(), 0, 0), Source(0, 0));

    Surface8 wrong;
    EXPECT_FALSE(image.FlattenOnto(wrong, 0));
}

TEST(AlphaImage, SplitPlanesKeepsTheAlphaBytesExactly)
{
    Surface32 source;
    ASSERT_TRUE(source.Create(256, 2, 32));
    for (int x = 0; x < 256; ++x) {
        uint8_t* p = source.Row(1) + 4 * x;
        p[0] = static_cast<uint8_t>(x);
        p[1] = 7;
        p[2] = static_cast<uint8_t>(255 - x);
        p[3] = static_cast<uint8_t>(x);
    }
    AlphaImage image;
    ASSERT_TRUE(image.SplitPlanes(source));
    ASSERT_TRUE(image.IsValid());
    ASSERT_TRUE(image.HasAlpha());
    for (int x = 0; x < 256; ++x) {
        EXPECT_EQ(image.Alpha().Row(1)[x], x);
        EXPECT_EQ(At(image.Colour(), x, 1), RGB(255 - x, 7, x));
    }
    EXPECT_EQ(source.Row(1)[4 * 200 + 3], 200);  // source unchanged

    Surface8 grey;
    ASSERT_TRUE(grey.Create(2, 1, 8));
    grey.SetIndex(1, 0, 60);
    ASSERT_TRUE(image.SplitPlanes(grey));
    EXPECT_FALSE(image.HasAlpha());
    EXPECT_EQ(At(image.Colour(), 1, 0), RGB(60, 60, 60));

    // Splitting its own colour plane works from a copy.
    ASSERT_TRUE(image.SplitPlanes(image.Colour()));
    EXPECT_EQ(At(image.Colour(), 1, 0), RGB(60, 60, 60));

    Surface empty;
    EXPECT_FALSE(image.SplitPlanes(empty));
    EXPECT_TRUE(image.IsEmpty());
}

}  // namespace
}  // namespace vorlune
