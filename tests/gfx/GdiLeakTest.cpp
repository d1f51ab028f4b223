#include <gtest/gtest.h>

#include <cstring>

#include "gfx/AlphaImage.h"
#include "gfx/GfxTesting.h"
#include "gfx/PictureSource.h"
#include "support/GdiObjectCount.h"

namespace vorlune {
namespace {

class ImagePicture : public PictureSource {
public:
    explicit ImagePicture(AlphaImage& image) : image_(image) {}
    RECT Bounds() const override { return image_.Bounds(); }
    bool DrawOnto(Surface& target, const RECT& dest, const RECT* source) override
    {
        return image_.CompositeScaled(target, dest, source);
    }

private:
    AlphaImage& image_;
};

TEST(GdiObjects, CounterSeesObjectsComeAndGo)
{
    const long before = test::GdiObjectCount();
    ASSERT_GT(before, 0);
    HBRUSH brushes[10];
    for (auto& b : brushes) b = ::CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_EQ(test::GdiObjectCount(), before + 10);
    for (auto& b : brushes) ::DeleteObject(b);
    EXPECT_EQ(test::GdiObjectCount(), before);
}

TEST(GdiObjects, AThousandDrawOperationsLeaveNoneBehind)
{
    test::Canvas canvas(64, 64, RGB(255, 255, 255));
    AlphaImage image;
    ASSERT_TRUE(image.Colour().Create(16, 8, 24));
    ASSERT_TRUE(image.Colour().FillAll(RGB(10, 200, 30)));
    ASSERT_TRUE(image.Alpha().Create(16, 8, 8));
    for (int y = 0; y < 8; ++y) std::memset(image.Alpha().Row(y), 100, 16);
    ImagePicture picture(image);
    Surface24 surface;
    ASSERT_TRUE(surface.Create(32, 32, 24));
    Surface24 pattern;
    ASSERT_TRUE(pattern.Create(5, 5, 24));
    Surface8 indexed;
    ASSERT_TRUE(indexed.Create(8, 8, 8));

    auto round = [&](int i) {
        const RECT r{i % 7, i % 5, 20 + i % 9, 18 + i % 11};
        const RECT hole{4, 4, 8, 8};
        switch (i % 20) {
        case 0: surface.DrawAt(canvas.Dc(), i % 40, 3); break;
        case 1: surface.DrawStretched(canvas.Dc(), RECT{0, 0, 50, 40}, r, (i & 1) != 0); break;
        case 2: indexed.DrawStretched(canvas.Dc(), RECT{0, 0, 20, 20}, indexed.Bounds()); break;
        case 3: surface.CaptureAt(canvas.Dc(), 2, 2); break;
        case 4: {
            Surface captured;
            captured.CaptureRect(canvas.Dc(), r);
            break;
        }
        case 5: surface.DrawFrom(pattern, pattern.Bounds(), r); break;
        case 6: surface.FillArea(r, RGB(i, 0, 0), &hole); break;
        case 7: surface.FillEllipse(r, RGB(0, i, 0)); break;
        case 8: surface.DrawFrame(r, RGB(0, 0, i), i % 3 == 0 ? Surface::kOutlineOnly : 1, &hole); break;
        case 9: surface.Line(POINT{0, 0}, POINT{i % 32, 31}, RGB(9, 9, 9)); break;
        case 10: surface.Tile(pattern); break;
        case 11: surface.InvertArea(r, &hole); break;
        case 12: surface.Scroll(r, 1, -1); break;
        case 13: image.Composite(surface, POINT{i % 40 - 8, 4}, nullptr); break;
        case 14: image.CompositeScaled(surface, r, nullptr); break;
        case 15: image.DrawToDC(canvas.Dc(), POINT{i % 60, 10}, nullptr); break;
        case 16: DrawPictureAt(canvas.Dc(), picture, POINT{i % 50, 20}, nullptr); break;
        case 17: {
            Surface resized;
            surface.ResizeInto(resized, SIZE{10 + i % 30, 12}, (i & 1) != 0);
            break;
        }
        case 18: image.CompositeScaled(surface, RECT{-1, 0, 10, 10}, nullptr); break;  // refused
        case 19: DrawPicture(canvas.Dc(), picture, RECT{0, 0, 0, 0}, nullptr); break;   // nothing to draw
        }
    };
    for (int i = 0; i < 40; ++i) round(i);  // let the system make what it keeps

    const long before = test::GdiObjectCount();
    for (int i = 0; i < 1000; ++i) round(i);
    EXPECT_EQ(test::GdiObjectCount(), before);
}

}  // namespace
}  // namespace vorlune
