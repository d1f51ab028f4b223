#include "gfx/PictureSource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gfx/AlphaImage.h"
#include "gfx/GfxTesting.h"

namespace vorlune {
namespace {

using test::Canvas;

// A picture with alpha, drawn the way pictures with an AlphaImage draw.
class FakePicture : public PictureSource {
public:
    FakePicture()
    {
        image.Colour().Create(4, 2, 24);
        image.Colour().FillAll(RGB(0, 0, 200));
        image.Alpha().Create(4, 2, 8);
        for (int y = 0; y < 2; ++y) std::memset(image.Alpha().Row(y), 255, 4);
        image.Alpha().SetIndex(3, 1, 0);
    }

    RECT Bounds() const override { return image.Bounds(); }

    bool DrawOnto(Surface& target, const RECT& dest, const RECT* source) override
    {
        calls.push_back(dest);
        return image.CompositeScaled(target, dest, source);
    }

    AlphaImage image;
    std::vector<RECT> calls;
};

TEST(DrawPicture, DrawsOverTheDeviceContextAtTheDestination)
{
    FakePicture picture;
    Canvas canvas(8, 6, RGB(255, 255, 255));
    ASSERT_TRUE(DrawPictureAt(canvas.Dc(), picture, POINT{2, 3}, nullptr));
    ASSERT_EQ(picture.calls.size(), 1u);
    EXPECT_EQ(picture.calls[0].right, 4);  // the captured surface's bounds
    EXPECT_EQ(picture.calls[0].bottom, 2);
    EXPECT_EQ(canvas.At(2, 3), RGB(0, 0, 200));
    EXPECT_EQ(canvas.At(4, 4), RGB(0, 0, 200));
    EXPECT_EQ(canvas.At(5, 4), RGB(255, 255, 255));  // transparent pixel
    EXPECT_EQ(canvas.At(1, 3), RGB(255, 255, 255));
    EXPECT_EQ(canvas.At(6, 3), RGB(255, 255, 255));

    // A source part is placed with its own corner at the point.
    const RECT part{3, 0, 4, 2};
    ASSERT_TRUE(DrawPictureAt(canvas.Dc(), picture, POINT{0, 0}, &part));
    EXPECT_EQ(picture.calls.back().right, 1);
    EXPECT_EQ(canvas.At(0, 0), RGB(0, 0, 200));
    EXPECT_EQ(canvas.At(0, 1), RGB(255, 255, 255));
    EXPECT_EQ(canvas.At(1, 0), RGB(255, 255, 255));

    // Stretched into a larger destination.
    ASSERT_TRUE(DrawPicture(canvas.Dc(), picture, RECT{0, 2, 8, 6}, nullptr));
    EXPECT_EQ(canvas.At(0, 2), RGB(0, 0, 200));
    EXPECT_EQ(canvas.At(7, 5), RGB(255, 255, 255));
}

TEST(DrawPicture, InvisibleDestinationsAreSkipped)
{
    FakePicture picture;
    Canvas canvas(8, 6, RGB(255, 255, 255));
    ::IntersectClipRect(canvas.Dc(), 0, 0, 2, 2);
    EXPECT_FALSE(DrawPicture(canvas.Dc(), picture, RECT{4, 2, 8, 4}, nullptr));
    EXPECT_TRUE(picture.calls.empty());
    EXPECT_EQ(canvas.At(4, 2), RGB(255, 255, 255));
    EXPECT_FALSE(DrawPicture(nullptr, picture, RECT{0, 0, 4, 2}, nullptr));
    EXPECT_TRUE(picture.calls.empty());
}

}  // namespace
}  // namespace vorlune
