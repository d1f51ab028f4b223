#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gfx/GfxTesting.h"
#include "gfx/Surface.h"

namespace vorlune {
namespace {

using test::At;
using test::Canvas;
using test::Put;

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

void Paint(Surface& s, COLORREF (*colour)(int x, int y))
{
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) Put(s, x, y, colour(x, y));
}

COLORREF Gradient(int x, int y) { return RGB(x * 10, y * 10, 7); }

// The stretch modes a sequence of drawing calls set on a DC, in order, read
// from an enhanced metafile recorded on it.
class RecordedModes {
public:
    RecordedModes() : dc_(::CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr)) {}
    ~RecordedModes()
    {
        if (dc_) ::DeleteEnhMetaFile(::CloseEnhMetaFile(dc_));
    }
    HDC Dc() const { return dc_; }

    // Closes the recording; the stretch modes set, and how many blits ran.
    void Finish()
    {
        HENHMETAFILE file = ::CloseEnhMetaFile(dc_);
        dc_ = nullptr;
        ::EnumEnhMetaFile(nullptr, file, &RecordedModes::Record, this, nullptr);
        ::DeleteEnhMetaFile(file);
    }

    std::vector<DWORD> modes;
    int bitBlts = 0;
    int stretchBlts = 0;

private:
    static int CALLBACK Record(HDC, HANDLETABLE*, const ENHMETARECORD* r, int, LPARAM self)
    {
        auto* me = reinterpret_cast<RecordedModes*>(self);
        if (r->iType == EMR_SETSTRETCHBLTMODE) me->modes.push_back(r->dParm[0]);
        if (r->iType == EMR_BITBLT) ++me->bitBlts;
        if (r->iType == EMR_STRETCHBLT) ++me->stretchBlts;
        return 1;
    }

    HDC dc_;
};

TEST(SurfaceDraw, DrawAtCopiesTheWholeSurface)
{
    Surface24 s;
    ASSERT_TRUE(s.Create(3, 2, 24));
    Paint(s, Gradient);
    Canvas canvas(6, 5, kWhite);
    ASSERT_TRUE(s.DrawAt(canvas.Dc(), POINT{2, 3}));
    EXPECT_EQ(canvas.At(2, 3), Gradient(0, 0));
    EXPECT_EQ(canvas.At(4, 4), Gradient(2, 1));
    EXPECT_EQ(canvas.At(1, 3), kWhite);
    EXPECT_EQ(canvas.At(5, 4), kWhite);
    EXPECT_EQ(canvas.At(2, 2), kWhite);

    Surface empty;
    EXPECT_FALSE(empty.DrawAt(canvas.Dc(), 0, 0));
    EXPECT_FALSE(s.DrawAt(nullptr, 0, 0));
    EXPECT_EQ(canvas.At(0, 0), kWhite);
}

TEST(SurfaceDraw, DrawStretchedCopiesEqualSizesWithoutTouchingTheMode)
{
    Surface24 s;
    ASSERT_TRUE(s.Create(4, 4, 24));
    Paint(s, Gradient);
    s.SetSmoothStretch(true);
    Canvas canvas(4, 4, kWhite);
    ::SetStretchBltMode(canvas.Dc(), BLACKONWHITE);
    ASSERT_TRUE(s.DrawStretched(canvas.Dc(), RECT{0, 0, 2, 2}, RECT{1, 2, 3, 4}));
    EXPECT_EQ(canvas.At(0, 0), Gradient(1, 2));
    EXPECT_EQ(canvas.At(1, 1), Gradient(2, 3));
    EXPECT_EQ(canvas.At(2, 2), kWhite);
    EXPECT_EQ(::GetStretchBltMode(canvas.Dc()), BLACKONWHITE);

    RecordedModes rec;
    ASSERT_NE(rec.Dc(), nullptr);
    ASSERT_TRUE(s.DrawStretched(rec.Dc(), RECT{0, 0, 2, 2}, RECT{0, 0, 2, 2}));
    rec.Finish();
    EXPECT_TRUE(rec.modes.empty());
    EXPECT_EQ(rec.bitBlts, 1);
    EXPECT_EQ(rec.stretchBlts, 0);
}

TEST(SurfaceDraw, StretchingSetsTheModeByTheFlagAndRestoresIt)
{
    Surface24 s;
    ASSERT_TRUE(s.Create(4, 4, 24));
    for (bool smooth : {true, false}) {
        s.SetSmoothStretch(smooth);
        RecordedModes rec;
        ASSERT_NE(rec.Dc(), nullptr);
        ::SetStretchBltMode(rec.Dc(), BLACKONWHITE);
        ASSERT_TRUE(s.DrawStretched(rec.Dc(), RECT{0, 0, 8, 8}, s.Bounds()));
        EXPECT_EQ(::GetStretchBltMode(rec.Dc()), BLACKONWHITE);
        rec.Finish();
        const DWORD mode = smooth ? HALFTONE : COLORONCOLOR;
        EXPECT_EQ(rec.modes, (std::vector<DWORD>{BLACKONWHITE, mode, BLACKONWHITE})) << smooth;
        EXPECT_EQ(rec.stretchBlts, 1);
    }

    // The explicit choice wins over the flag.
    s.SetSmoothStretch(false);
    RecordedModes rec;
    ASSERT_TRUE(s.DrawStretched(rec.Dc(), RECT{0, 0, 2, 2}, s.Bounds(), true));
    rec.Finish();
    ASSERT_GE(rec.modes.size(), 1u);
    EXPECT_EQ(rec.modes.front(), DWORD(HALFTONE));
}

TEST(SurfaceDraw, IndexedSurfacesStretchInTheTargetsMode)
{
    Surface8 s;
    ASSERT_TRUE(s.Create(4, 4, 8));
    s.SetSmoothStretch(true);
    RecordedModes rec;
    ASSERT_TRUE(s.DrawStretched(rec.Dc(), RECT{0, 0, 8, 8}, s.Bounds()));
    rec.Finish();
    EXPECT_TRUE(rec.modes.empty());
    EXPECT_EQ(rec.stretchBlts, 1);
}

TEST(SurfaceDraw, EnlargingWithoutSmoothingRepeatsPixels)
{
    Surface24 s;
    ASSERT_TRUE(s.Create(2, 2, 24));
    Paint(s, Gradient);
    Canvas canvas(4, 4, kWhite);
    ASSERT_TRUE(s.DrawStretched(canvas.Dc(), RECT{0, 0, 4, 4}, s.Bounds()));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(canvas.At(x, y), Gradient(x / 2, y / 2)) << x << "," << y;
}

TEST(SurfaceDraw, EmptyRectanglesDrawNothing)
{
    Surface24 s;
    ASSERT_TRUE(s.Create(2, 2, 24));
    Canvas canvas(4, 4, kWhite);
    EXPECT_FALSE(s.DrawStretched(canvas.Dc(), RECT{0, 0, 0, 4}, s.Bounds()));
    EXPECT_FALSE(s.DrawStretched(canvas.Dc(), RECT{0, 0, 4, 4}, RECT{1, 1, 1, 2}));
    EXPECT_FALSE(s.DrawStretched(nullptr, RECT{0, 0, 4, 4}, s.Bounds()));
    EXPECT_EQ(canvas.At(0, 0), kWhite);
}

TEST(SurfaceDraw, CaptureReadsTheDeviceContext)
{
    Canvas canvas(5, 5, kBlack);
    canvas.Put(3, 4, RGB(1, 2, 3));
    canvas.Put(1, 1, RGB(4, 5, 6));

    Surface24 s;
    EXPECT_FALSE(s.CaptureAt(canvas.Dc(), 0, 0));  // no surface yet
    ASSERT_TRUE(s.Create(2, 2, 24));
    ASSERT_TRUE(s.CaptureAt(canvas.Dc(), POINT{2, 3}));
    EXPECT_EQ(At(s, 1, 1), RGB(1, 2, 3));
    EXPECT_EQ(At(s, 0, 0), kBlack);

    EXPECT_FALSE(s.CaptureRect(canvas.Dc(), RECT{0, 0, 2, 2}));  // only on an empty surface
    Surface any;
    EXPECT_FALSE(any.CaptureRect(canvas.Dc(), RECT{1, 1, 1, 3}));
    ASSERT_TRUE(any.CaptureRect(canvas.Dc(), RECT{1, 1, 4, 5}));
    EXPECT_EQ(any.BitsPerPixel(), 24);
    EXPECT_EQ(any.Width(), 3);
    EXPECT_EQ(any.Height(), 4);
    EXPECT_EQ(At(any, 0, 0), RGB(4, 5, 6));
    EXPECT_EQ(At(any, 2, 3), RGB(1, 2, 3));

    Surface8 eight;  // cannot hold the 24-bit capture
    EXPECT_FALSE(eight.CaptureRect(canvas.Dc(), RECT{0, 0, 2, 2}));
    EXPECT_TRUE(eight.IsEmpty());
}

TEST(SurfaceDraw, DrawFromCopiesOrStretchesBetweenSurfaces)
{
    Surface24 source;
    ASSERT_TRUE(source.Create(4, 4, 24));
    Paint(source, Gradient);
    Surface24 target;
    ASSERT_TRUE(target.Create(6, 6, 24));
    ASSERT_TRUE(target.FillAll(kWhite));

    ASSERT_TRUE(target.DrawFrom(source, RECT{2, 2, 4, 4}, RECT{0, 0, 2, 2}));
    EXPECT_EQ(At(target, 0, 0), Gradient(2, 2));
    EXPECT_EQ(At(target, 1, 1), Gradient(3, 3));
    EXPECT_EQ(At(target, 2, 2), kWhite);

    ASSERT_TRUE(target.DrawFrom(source, RECT{0, 0, 1, 2}, RECT{2, 2, 6, 6}));
    EXPECT_EQ(At(target, 5, 3), Gradient(0, 0));
    EXPECT_EQ(At(target, 2, 4), Gradient(0, 1));

    EXPECT_FALSE(target.DrawFrom(target, RECT{0, 0, 1, 1}, RECT{2, 2, 3, 3}));
    Surface empty;
    EXPECT_FALSE(target.DrawFrom(empty, RECT{0, 0, 1, 1}, RECT{0, 0, 1, 1}));
    EXPECT_FALSE(empty.DrawFrom(source, RECT{0, 0, 1, 1}, RECT{0, 0, 1, 1}));
    EXPECT_FALSE(target.DrawFrom(source, RECT{0, 0, 0, 1}, RECT{0, 0, 1, 1}));
}

TEST(SurfaceDraw, FillAreaClipsAndLeavesTheExcludedPart)
{
    Surface24 s;
    ASSERT_TRUE(s.Create(6, 4, 24));
    ASSERT_TRUE(s.FillAll(kWhite));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) ASSERT_EQ(At(s, x, y), kWhite);

    const RECT hole{2, 1, 4, 3};
    ASSERT_TRUE(s.FillArea(RECT{-5, -5, 5, 10}, RGB(9, 8, 7), &hole));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            const bool inHole = x >= 2 && x < 4 && y >= 1 && y < 3;
            const COLORREF expected = x == 5 ? kWhite : inHole ? kWhite : RGB(9, 8, 7);
            EXPECT_EQ(At(s, x, y), expected) << x << "," << y;
        }
    }
    EXPECT_FALSE(s.FillArea(RECT{6, 0, 9, 4}, kBlack, nullptr));  // wholly outside
    EXPECT_EQ(At(s, 5, 0), kWhite);

    Surface empty;
    EXPECT_FALSE(empty.FillAll(kBlack));
}

TEST(SurfaceDraw, InvertingFlipsEveryBitInsideTheArea)
{
    Surface24 s;
    ASSERT_TRUE(s.Create(4, 4, 24));
    ASSERT_TRUE(s.FillAll(RGB(0x10, 0x20, 0x30)));
    ASSERT_TRUE(s.InvertAll());
    EXPECT_EQ(At(s, 3, 3), RGB(0xEF, 0xDF, 0xCF));
    ASSERT_TRUE(s.InvertAll());

    const RECT excluded{1, 1, 2, 2};
    ASSERT_TRUE(s.InvertArea(RECT{0, 0, 3, 3}, &excluded));
    EXPECT_EQ(At(s, 0, 0), RGB(0xEF, 0xDF, 0xCF));
    EXPECT_EQ(At(s, 2, 2), RGB(0xEF, 0xDF, 0xCF));
    EXPECT_EQ(At(s, 1, 1), RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(At(s, 3, 3), RGB(0x10, 0x20, 0x30));

    // Wholly excluded, or outside: nothing changes.
    const RECT big{0, 0, 4, 4};
    EXPECT_TRUE(s.InvertArea(RECT{3, 3, 4, 4}, &big));
    EXPECT_FALSE(s.InvertArea(RECT{4, 0, 8, 4}, nullptr));
    EXPECT_EQ(At(s, 3, 3), RGB(0x10, 0x20, 0x30));
}

TEST(SurfaceDraw, ShapesUseTheirColourAndStayInside)
{
    Surface24 s;
    ASSERT_TRUE(s.Create(11, 11, 24));
    ASSERT_TRUE(s.FillAll(kWhite));
    ASSERT_TRUE(s.FillEllipse(RECT{10, 10, 1, 1}, RGB(200, 0, 0)));  // normalised
    EXPECT_EQ(At(s, 5, 5), RGB(200, 0, 0));
    EXPECT_EQ(At(s, 1, 1), kWhite);
    EXPECT_EQ(At(s, 0, 5), kWhite);
    EXPECT_FALSE(s.FillEllipse(RECT{3, 3, 3, 8}, kBlack));

    ASSERT_TRUE(s.FillAll(kWhite));
    ASSERT_TRUE(s.Line(POINT{0, 0}, POINT{4, 0}, RGB(0, 0, 255)));
    for (int x = 0; x <= 4; ++x) EXPECT_EQ(At(s, x, 0), RGB(0, 0, 255)) << x;  // end point included
    EXPECT_EQ(At(s, 5, 0), kWhite);

    ASSERT_TRUE(s.FillAll(kWhite));
    ASSERT_TRUE(s.DrawFrame(RECT{1, 1, 6, 6}, RGB(0, 90, 0), Surface::kOutlineOnly, nullptr));
    EXPECT_EQ(At(s, 1, 1), RGB(0, 90, 0));
    EXPECT_EQ(At(s, 5, 3), RGB(0, 90, 0));
    EXPECT_EQ(At(s, 3, 3), kWhite);  // outline only
    EXPECT_EQ(At(s, 6, 6), kWhite);

    const RECT excluded{0, 0, 11, 3};
    ASSERT_TRUE(s.DrawFrame(RECT{1, 1, 6, 6}, RGB(0, 0, 90), 0, &excluded));
    EXPECT_EQ(At(s, 3, 4), RGB(0, 0, 90));  // filled
    EXPECT_EQ(At(s, 1, 1), RGB(0, 90, 0));  // excluded part kept
    EXPECT_EQ(At(s, 3, 2), kWhite);
    const RECT all{0, 0, 11, 11};
    EXPECT_TRUE(s.DrawFrame(RECT{1, 1, 6, 6}, kBlack, 0, &all));
    EXPECT_EQ(At(s, 3, 4), RGB(0, 0, 90));
}

TEST(SurfaceDraw, ScrollMovesPixelsWithinTheRectangle)
{
    Surface24 s;
    ASSERT_TRUE(s.Create(6, 1, 24));
    for (int x = 0; x < 6; ++x) Put(s, x, 0, RGB(x, x, x));
    ASSERT_TRUE(s.Scroll(RECT{0, 0, 4, 1}, 1, 0));
    EXPECT_EQ(At(s, 1, 0), RGB(0, 0, 0));
    EXPECT_EQ(At(s, 3, 0), RGB(2, 2, 2));
    EXPECT_EQ(At(s, 4, 0), RGB(4, 4, 4));  // outside the rectangle
}

TEST(SurfaceDraw, TileCoversEveryPixel)
{
    Surface24 pattern;
    ASSERT_TRUE(pattern.Create(10, 10, 24));
    Paint(pattern, Gradient);
    Surface24 s;
    ASSERT_TRUE(s.Create(25, 25, 24));
    ASSERT_TRUE(s.FillAll(kWhite));
    ASSERT_TRUE(s.Tile(pattern));
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 25; ++x) ASSERT_EQ(At(s, x, y), Gradient(x % 10, y % 10)) << x << "," << y;

    Surface24 tall;
    ASSERT_TRUE(tall.Create(3, 7, 24));
    ASSERT_TRUE(tall.Tile(pattern));  // pattern bigger than the surface
    EXPECT_EQ(At(tall, 2, 6), Gradient(2, 6));
    EXPECT_FALSE(s.Tile(s));
}

}  // namespace
}  // namespace vorlune
