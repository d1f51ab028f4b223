#include "gfx/ImageResource.h"

#include <gtest/gtest.h>

#include <cstring>

#include "gfx/BmpPicture.h"
#include "gfx/ImageCodec.h"
#include "gfx/ImageTesting.h"
#include "gfx/JpegCodec.h"
#include "gfx/JpegPicture.h"
#include "gfx/PngPicture.h"

// Ids of tests/gfx/test-images.rc, compiled into this program.
namespace vorlune {
namespace {

using test::AlphaOf;
using test::At;
using test::Near;
using test::PixelOf;

constexpr int kStrip = 301;      // 6 x 4 bitmap (three 2-pixel cells) and a 16 x 8 "JPG"
constexpr int kGifOnly = 302;    // "GIF"
constexpr int kThumb = 303;      // 9 x 15 RGBA "PNG"
constexpr int kIndexed = 304;    // 7 x 3, 8 bits
constexpr int kCore = 305;       // 3 x 2, 4 bits, 12-byte header
constexpr int kAlpha = 306;      // 2 x 1, 32 bits with alpha
constexpr int kZeroAlpha = 307;  // 2 x 1, 32 bits, alpha bytes 0
constexpr int kBrokenJpeg = 308;
constexpr int kVedAndPng = 309;
constexpr int kMissing = 399;

TEST(ImageResource, FindsResourcesOfTheProgramByIdAndType)
{
    uint32_t size = 12345;
    const uint8_t* png = FindResource(kThumb, L"PNG", nullptr, size);
    ASSERT_NE(png, nullptr);
    EXPECT_EQ(std::memcmp(png, "\x89PNG", 4), 0);
    EXPECT_EQ(size, 89u);
    EXPECT_EQ(FindResource(kThumb, L"PNG", ::GetModuleHandleW(nullptr), size), png);

    size = 12345;
    EXPECT_EQ(FindResource(kMissing, L"PNG", nullptr, size), nullptr);
    EXPECT_EQ(FindResource(kThumb, L"JPG", nullptr, size), nullptr);
    EXPECT_EQ(FindResource(kThumb, nullptr, nullptr, size), nullptr);
    EXPECT_EQ(size, 12345u) << "the size is set only on success";
}

TEST(ImageResource, ProbesTypesInOrderAndMakesPicturesOnlyForDecodableOnes)
{
    EXPECT_EQ(ProbeResource(kStrip), ImageType::Bmp) << "the bitmap comes before \"JPG\"";
    EXPECT_EQ(ProbeResource(kGifOnly), ImageType::Gif);
    EXPECT_EQ(ProbeResource(kThumb), ImageType::Png);
    EXPECT_EQ(ProbeResource(kBrokenJpeg), ImageType::Jpeg);
    EXPECT_EQ(ProbeResource(kVedAndPng), ImageType::Ved);
    EXPECT_EQ(ProbeResource(kMissing), ImageType::None);

    EXPECT_EQ(OpenResourcePicture(kGifOnly), nullptr);
    EXPECT_EQ(OpenResourcePicture(kVedAndPng), nullptr);
    EXPECT_EQ(OpenResourcePicture(kMissing), nullptr);
    EXPECT_EQ(OpenResourcePicture(kBrokenJpeg), nullptr) << "a failed load gives nothing";
    const auto unloaded = OpenResourcePicture(kBrokenJpeg, nullptr, false);
    ASSERT_NE(unloaded, nullptr);
    EXPECT_TRUE(unloaded->IsEmpty());

    const auto strip = OpenResourcePicture(kStrip);
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->Type(), ImageType::Bmp);
    EXPECT_EQ(strip->Width(), 6);
    EXPECT_EQ(PixelOf(*strip, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(PixelOf(*strip, 5, 3), RGB(0, 0, 255));
}

TEST(ImageResource, SizesComeFromTheHeaderOfTheProbedFormat)
{
    SIZE size{};
    ASSERT_TRUE(ResourceImageSize(kStrip, size));
    EXPECT_EQ(size.cx, 6) << "the bitmap, not the JPEG";
    EXPECT_EQ(size.cy, 4);
    EXPECT_EQ(size.cx / 3, 2) << "three-state cells";
    ASSERT_TRUE(ResourceImageSize(kThumb, size));
    EXPECT_EQ(size.cx, 9);
    EXPECT_EQ(size.cy, 15);
    ASSERT_TRUE(ResourceImageSize(kCore, size));
    EXPECT_EQ(size.cx, 3);
    EXPECT_FALSE(ResourceImageSize(kGifOnly, size));
    EXPECT_FALSE(ResourceImageSize(kMissing, size));

    // A codec reads its own format's resource even when probing finds another.
    ImageInfo info;
    ASSERT_TRUE(JpegCodec().ReadInfoFromResource(info, kStrip, nullptr));
    EXPECT_EQ(info.type, ImageType::Jpeg);
    EXPECT_EQ(info.width, 16);
    EXPECT_EQ(info.height, 8);
}

TEST(ImageResource, PicturesLoadTheirOwnFormatFromResources)
{
    JpegPicture jpeg;
    ASSERT_TRUE(jpeg.LoadFromResource(kStrip));
    EXPECT_EQ(jpeg.Width(), 16);
    EXPECT_EQ(jpeg.Height(), 8);
    EXPECT_TRUE(Near(PixelOf(jpeg, 8, 4), RGB(77, 97, 123), 3));
    EXPECT_TRUE(jpeg.Info().path.empty());
    EXPECT_FALSE(jpeg.LoadFromResource(kBrokenJpeg));
    EXPECT_TRUE(jpeg.IsEmpty());

    PngPicture thumb;
    ASSERT_TRUE(thumb.LoadFromResource(kThumb));
    ASSERT_TRUE(thumb.Image().HasAlpha());
    EXPECT_EQ(AlphaOf(thumb, 0, 0), 0);
    EXPECT_EQ(AlphaOf(thumb, 4, 7), 255);
    EXPECT_EQ(PixelOf(thumb, 4, 7), RGB(123, 134, 175));
    EXPECT_FALSE(thumb.LoadFromResource(kGifOnly));
    EXPECT_TRUE(thumb.IsEmpty());

    BmpPicture alpha, opaque, core;
    ASSERT_TRUE(alpha.LoadFromResource(kAlpha));
    ASSERT_TRUE(alpha.Image().HasAlpha());
    EXPECT_EQ(AlphaOf(alpha, 0, 0), 255);
    EXPECT_EQ(AlphaOf(alpha, 1, 0), 64);
    ASSERT_TRUE(opaque.LoadFromResource(kZeroAlpha));
    EXPECT_FALSE(opaque.Image().HasAlpha()) << "alpha bytes that are all 0 carry no alpha";
    EXPECT_EQ(PixelOf(opaque, 1, 0), RGB(0, 0, 255));
    ASSERT_TRUE(core.LoadFromResource(kCore));
    EXPECT_EQ(core.Info().bmpHeader.biSize, 40u);
    EXPECT_EQ(core.Info().bitsPerPixel, 4);
    EXPECT_EQ(PixelOf(core, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(PixelOf(core, 0, 1), RGB(0, 0, 255));
}

TEST(ImageResource, LoadBitmapResourceKeepsOrConvertsTheDepth)
{
    Surface stored;
    ASSERT_TRUE(LoadBitmapResource(stored, kIndexed));
    EXPECT_EQ(stored.BitsPerPixel(), 8);
    EXPECT_EQ(stored.Width(), 7);
    EXPECT_EQ(stored.Height(), 3);
    EXPECT_EQ(test::Argb(stored, 1, 2), 0xFF00FF00u);

    Surface24 converted;
    ASSERT_TRUE(LoadBitmapResource(converted, kIndexed, 24));
    EXPECT_EQ(converted.BitsPerPixel(), 24);
    EXPECT_EQ(At(converted, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(At(converted, 2, 1), RGB(0, 0, 255));

    // Failures leave the surface empty.
    EXPECT_FALSE(LoadBitmapResource(converted, kIndexed, 0)) << "a 24-bit surface refuses 8 bits";
    EXPECT_TRUE(converted.IsEmpty());
    ASSERT_TRUE(LoadBitmapResource(converted, kStrip, 24));
    EXPECT_FALSE(LoadBitmapResource(converted, kThumb));
    EXPECT_TRUE(converted.IsEmpty());
    EXPECT_FALSE(LoadBitmapResource(stored, kIndexed, 12));

    Surface core;
    ASSERT_TRUE(LoadBitmapResource(core, kCore, 0));
    EXPECT_EQ(core.BitsPerPixel(), 4);
    EXPECT_EQ(test::Argb(core, 2, 0), 0xFF0000FFu);
}

}  // namespace
}  // namespace vorlune
