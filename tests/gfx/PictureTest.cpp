#include "gfx/Picture.h"

#include <gtest/gtest.h>

#include "gfx/BmpPicture.h"
#include "gfx/ImageTesting.h"
#include "gfx/JpegPicture.h"
#include "gfx/PngPicture.h"

namespace vorlune {
namespace {

using test::AlphaOf;
using test::At;
using test::LoadImage;
using test::Near;
using test::PixelOf;

TEST(Picture, AssignCopiesPixelsAndFlattensAlphaForJpeg)
{
    PngPicture png;
    ASSERT_TRUE(LoadImage(png, L"png-rgba.png"));

    JpegPicture jpeg;
    ASSERT_TRUE(jpeg.Assign(png));
    EXPECT_EQ(jpeg.Type(), ImageType::Jpeg);
    EXPECT_EQ(jpeg.Info().width, 3);
    EXPECT_EQ(PixelOf(jpeg, 0, 0), RGB(255, 255, 255)) << "fully transparent red";
    EXPECT_TRUE(Near(PixelOf(jpeg, 1, 0), RGB(127, 255, 127), 1)) << "half transparent green";
    EXPECT_EQ(PixelOf(jpeg, 2, 0), RGB(0, 0, 255));

    BmpPicture bmp;
    ASSERT_TRUE(bmp.Assign(png));
    ASSERT_TRUE(bmp.Image().HasAlpha());
    EXPECT_EQ(AlphaOf(bmp, 1, 0), 128);
    EXPECT_EQ(PixelOf(bmp, 0, 0), RGB(255, 0, 0));

    ASSERT_TRUE(png.Assign(jpeg));
    EXPECT_FALSE(png.Image().HasAlpha());
    EXPECT_EQ(PixelOf(png, 0, 0), RGB(255, 255, 255));

    ASSERT_TRUE(png.Assign(JpegPicture()));
    EXPECT_TRUE(png.IsEmpty());
}

TEST(Picture, ThumbnailsKeepTheAspectRatioAndFlattenAlpha)
{
    JpegPicture wide;
    ASSERT_TRUE(LoadImage(wide, L"jpeg-rgb.jpg"));  // 48 x 32
    Surface24 thumb;
    ASSERT_TRUE(wide.MakeThumbnail(thumb, 12));
    EXPECT_EQ(thumb.Width(), 12);
    EXPECT_EQ(thumb.Height(), 8);
    EXPECT_TRUE(Near(At(thumb, 1, 1), RGB(255, 0, 0), 24));
    EXPECT_TRUE(Near(At(thumb, 10, 6), RGB(77, 97, 123), 24));

    ASSERT_TRUE(wide.MakeThumbnail(thumb, 100));
    EXPECT_EQ(thumb.Width(), 48) << "a picture that fits keeps its size";
    EXPECT_EQ(At(thumb, 40, 20), PixelOf(wide, 40, 20));
    EXPECT_FALSE(wide.MakeThumbnail(thumb, 0));
    EXPECT_FALSE(JpegPicture().MakeThumbnail(thumb, 10));

    PngPicture tall;
    ASSERT_TRUE(LoadImage(tall, L"png-interlaced.png"));  // 13 x 11
    ASSERT_TRUE(tall.MakeThumbnail(thumb, 6));
    EXPECT_EQ(thumb.Width(), 6);
    EXPECT_EQ(thumb.Height(), 5);

    PngPicture clear;
    ASSERT_TRUE(LoadImage(clear, L"png-rgba.png"));
    ASSERT_TRUE(clear.MakeThumbnail(thumb, 3));
    EXPECT_EQ(At(thumb, 0, 0), RGB(255, 255, 255));
}

TEST(Picture, DrawOntoCopiesStretchesOrComposites)
{
    Surface24 target;
    ASSERT_TRUE(target.Create(8, 4, 24));
    ASSERT_TRUE(target.FillAll(RGB(10, 20, 30)));

    PngPicture png;
    ASSERT_TRUE(LoadImage(png, L"png-rgba.png"));
    ASSERT_TRUE(png.DrawOnto(target, RECT{1, 1, 4, 3}, nullptr));
    EXPECT_EQ(At(target, 1, 1), RGB(10, 20, 30)) << "transparent";
    EXPECT_EQ(At(target, 3, 1), RGB(0, 0, 255));
    EXPECT_EQ(At(target, 0, 0), RGB(10, 20, 30));

    JpegPicture jpeg;
    ASSERT_TRUE(LoadImage(jpeg, L"jpeg-rgb.jpg"));
    const RECT blueBlock{32, 0, 48, 16};
    ASSERT_TRUE(jpeg.DrawOnto(target, RECT{4, 0, 8, 4}, &blueBlock));
    EXPECT_TRUE(Near(At(target, 6, 2), RGB(0, 0, 255), 4));
    EXPECT_EQ(At(target, 3, 1), RGB(0, 0, 255));

    Surface32 deep;
    ASSERT_TRUE(deep.Create(4, 4, 32));
    EXPECT_FALSE(jpeg.DrawOnto(deep, RECT{0, 0, 4, 4}, nullptr));
    EXPECT_FALSE(JpegPicture().DrawOnto(target, RECT{0, 0, 4, 4}, nullptr));
}

}  // namespace
}  // namespace vorlune
