#include "gfx/JpegCodec.h"

#include <gtest/gtest.h>

#include <vector>

#include "gfx/ImageTesting.h"
#include "gfx/JpegMarkers.h"
#include "gfx/JpegPicture.h"
#include "gfx/PngPicture.h"
#include "io/MemoryStream.h"

namespace vorlune {
namespace {

using test::ImagePath;
using test::LoadImage;
using test::Near;
using test::PixelOf;
using test::TempPath;

// The centres of the six 16-pixel blocks of jpeg-rgb.jpg and its variants.
void ExpectRgbBlocks(const Picture& p, int tolerance)
{
    ASSERT_EQ(p.Width(), 48);
    ASSERT_EQ(p.Height(), 32);
    EXPECT_EQ(p.ColorSurface().BitsPerPixel(), 24);
    const COLORREF want[2][3] = {{RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)},
                                 {RGB(255, 255, 255), RGB(0, 0, 0), RGB(77, 97, 123)}};
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 3; ++col)
            EXPECT_TRUE(Near(PixelOf(p, col * 16 + 8, row * 16 + 8), want[row][col], tolerance))
                << "block " << col << ", " << row;
}

// The sampling factors of the first component, from the frame header.
int FirstSampling(const std::vector<uint8_t>& jpeg, int* frameCode)
{
    for (size_t i = 2; i + 12 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
            *frameCode = jpeg[i + 1];
            return jpeg[i + 11];
        }
    }
    return -1;
}

TEST(JpegCodec, DecodesColourImagesBaselineProgressiveAndWithMarkers)
{
    for (const wchar_t* name : {L"jpeg-rgb.jpg", L"jpeg-progressive.jpg", L"jpeg-markers.jpg", L"jpeg-fill.jpg"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(name)));
        JpegPicture p;
        ASSERT_TRUE(LoadImage(p, name));
        ExpectRgbBlocks(p, 4);
        EXPECT_EQ(p.Info().bitsPerPixel, 24);
        EXPECT_EQ(p.Info().components, 3);
        EXPECT_EQ(p.Info().path, ImagePath(name));
    }
}

TEST(JpegCodec, GreyAndCmykBecomeThreeEqualOrMultipliedChannels)
{
    JpegPicture grey;
    ASSERT_TRUE(LoadImage(grey, L"jpeg-grey.jpg"));
    EXPECT_EQ(grey.Info().components, 1);
    EXPECT_EQ(grey.Info().bitsPerPixel, 8);
    EXPECT_EQ(grey.ColorSurface().BitsPerPixel(), 24);
    for (int x = 0; x < 32; x += 3) {
        const COLORREF c = PixelOf(grey, x, 5);
        EXPECT_EQ(GetRValue(c), GetGValue(c));
        EXPECT_EQ(GetGValue(c), GetBValue(c));
    }
    EXPECT_TRUE(Near(PixelOf(grey, 8, 8), RGB(40, 40, 40), 3));
    EXPECT_TRUE(Near(PixelOf(grey, 24, 8), RGB(200, 200, 200), 3));

    // Inks C, M, Y, K: (0, 255, 255, 0) is red, (0, 0, 0, 100) grey 155,
    // (0, 128, 0, 0) a light magenta.
    JpegPicture cmyk;
    ASSERT_TRUE(LoadImage(cmyk, L"jpeg-cmyk.jpg"));
    EXPECT_EQ(cmyk.Info().components, 4);
    EXPECT_EQ(cmyk.Info().bitsPerPixel, 32);
    EXPECT_TRUE(Near(PixelOf(cmyk, 8, 8), RGB(255, 0, 0), 3));
    EXPECT_TRUE(Near(PixelOf(cmyk, 24, 8), RGB(155, 155, 155), 3));
    EXPECT_TRUE(Near(PixelOf(cmyk, 40, 8), RGB(255, 127, 255), 3));
}

TEST(JpegCodec, KeepsTheApplicationMarkersItCanList)
{
    JpegPicture p;
    ASSERT_TRUE(LoadImage(p, L"jpeg-markers.jpg"));
    const auto& markers = p.Info().markers;
    std::vector<int> codes;
    for (const auto& m : markers) codes.push_back(m.code);
    EXPECT_EQ(codes, (std::vector<int>{JpegMarker::kJfif, JpegMarker::kExif, JpegMarker::kPhotoshopIptc, 0xED, 0xE2}));
    ASSERT_EQ(markers.size(), 5u);
    EXPECT_EQ(markers[1].length, markers[1].data.size() + 2);
    EXPECT_EQ(std::string(markers[4].data.begin(), markers[4].data.begin() + 11), "ICC_PROFILE");

    // Six 0xFF bytes before a marker: no list, but the image decodes.
    JpegPicture filled;
    ASSERT_TRUE(LoadImage(filled, L"jpeg-fill.jpg"));
    EXPECT_TRUE(filled.Info().markers.empty());

    // Header-only reads leave the markers alone.
    ImageInfo info;
    ASSERT_TRUE(JpegCodec().ReadInfoFromFile(info, ImagePath(L"jpeg-markers.jpg")));
    EXPECT_EQ(info.type, ImageType::Jpeg);
    EXPECT_EQ(info.width, 48);
    EXPECT_EQ(info.height, 32);
    EXPECT_TRUE(info.markers.empty());
}

TEST(JpegCodec, BrokenFilesFailAndLeaveThePictureEmpty)
{
    for (const wchar_t* name : {L"jpeg-truncated.jpg", L"jpeg-corrupt.jpg", L"png-rgb.png", L"bmp-24.bmp"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(name)));
        const std::wstring path = ImagePath(name);
        ASSERT_FALSE(path.empty());
        JpegPicture p;
        ASSERT_TRUE(LoadImage(p, L"jpeg-rgb.jpg"));
        EXPECT_FALSE(p.LoadFromFile(path));
        EXPECT_TRUE(p.IsEmpty());
        EXPECT_EQ(p.Width(), 0);
        EXPECT_EQ(p.Info().width, 0);
        EXPECT_TRUE(p.Info().markers.empty());
        EXPECT_TRUE(p.Info().path.empty());
    }
    JpegPicture p;
    EXPECT_FALSE(p.LoadFromFile(L"Z:\\no\\such\\file.jpg"));
    EXPECT_FALSE(JpegCodec().LoadFromMemory(p, nullptr, 0, false));
    // A codec decodes only pictures of its own format.
    PngPicture png;
    const auto bytes = test::ReadAll(ImagePath(L"jpeg-rgb.jpg"));
    EXPECT_FALSE(JpegCodec().LoadFromMemory(png, bytes.data(), uint32_t(bytes.size()), false));
}

TEST(JpegCodec, EncodesWithQualityOptionsAndMarkers)
{
    JpegPicture source;
    ASSERT_TRUE(LoadImage(source, L"jpeg-markers.jpg"));

    // Full quality: no chroma subsampling, and the markers come back.
    TempPath file(L".jpg");
    ASSERT_TRUE(source.SaveToFile(file));
    JpegPicture again;
    ASSERT_TRUE(again.LoadFromFile(file));
    ExpectRgbBlocks(again, 6);
    ASSERT_EQ(again.Info().markers.size(), source.Info().markers.size());
    for (size_t i = 0; i < source.Info().markers.size(); ++i) {
        EXPECT_EQ(again.Info().markers[i].code, source.Info().markers[i].code);
        EXPECT_EQ(again.Info().markers[i].data, source.Info().markers[i].data);
    }
    int frame = 0;
    EXPECT_EQ(FirstSampling(test::ReadAll(file), &frame), 0x11);
    EXPECT_EQ(frame, 0xC0);

    // Lower quality subsamples; the option flags make it progressive.
    source.Info().quality = 60;
    source.Info().flags |= ImageInfo::kProgressive | ImageInfo::kOptimizeCoding;
    std::unique_ptr<ByteBuffer> memory;
    ASSERT_TRUE(JpegCodec().SaveToMemory(memory, source));
    ASSERT_TRUE(memory);
    const std::vector<uint8_t> bytes(memory->Data(), memory->Data() + memory->Size());
    EXPECT_EQ(FirstSampling(bytes, &frame), 0x22);
    EXPECT_EQ(frame, 0xC2);
    EXPECT_EQ(bytes[bytes.size() - 2], 0xFF);
    EXPECT_EQ(bytes[bytes.size() - 1], 0xD9) << "the buffer ends with the image";
    JpegPicture fromMemory;
    ASSERT_TRUE(JpegCodec().LoadFromMemory(fromMemory, memory->Data(), memory->Size(), false));
    ExpectRgbBlocks(fromMemory, 12);

    // A write that cannot complete fails, and leaves no file behind.
    MemoryStream tiny;
    auto small = std::make_unique<ByteBuffer>();
    ASSERT_TRUE(small->Allocate(100));
    tiny.AttachBuffer(std::move(small));
    EXPECT_FALSE(JpegCodec().Encode(tiny, source));
    EXPECT_FALSE(JpegPicture().SaveToFile(file)) << "nothing to save";
    EXPECT_FALSE(test::Exists(file));
}

}  // namespace
}  // namespace vorlune
