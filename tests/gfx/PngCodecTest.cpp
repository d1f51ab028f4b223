#include "gfx/PngCodec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gfx/ImageTesting.h"
#include "gfx/JpegPicture.h"
#include "gfx/PngPicture.h"

namespace vorlune {
namespace {

using test::AlphaOf;
using test::ImagePath;
using test::LoadImage;
using test::PixelOf;

struct Opaque {
    const wchar_t* name;
    int width, height, bitDepth, colorType, channels, interlace;
    std::vector<COLORREF> firstRow;
};

TEST(PngCodec, OpaqueImagesOfEveryKindDecodeToTwentyFourBits)
{
    const COLORREF red = RGB(255, 0, 0), green = RGB(0, 255, 0), blue = RGB(0, 0, 255), slate = RGB(77, 97, 123);
    const COLORREF w = RGB(255, 255, 255), k = 0;
    const Opaque cases[] = {
        {L"png-palette.png", 6, 2, 4, 3, 1, 0, {red, green, blue, slate, red, green}},
        {L"png-grey1.png", 8, 1, 1, 0, 1, 0, {w, k, w, w, k, k, w, k}},
        {L"png-grey2.png", 4, 1, 2, 0, 1, 0, {0, RGB(85, 85, 85), RGB(170, 170, 170), w}},
        {L"png-grey4.png", 16, 1, 4, 0, 1, 0, {0, RGB(17, 17, 17), RGB(34, 34, 34)}},
        {L"png-rgb.png", 3, 2, 8, 2, 3, 0, {red, green, blue}},
        {L"png-rgb16.png", 2, 1, 16, 2, 3, 0, {RGB(0x12, 0xAB, 0xFF), RGB(0x00, 0x80, 0xFF)}},
        {L"png-interlaced.png", 13, 11, 8, 2, 3, 1, {0, RGB(19, 0, 0), RGB(38, 0, 0)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
        PngPicture p;
        ASSERT_TRUE(LoadImage(p, c.name));
        EXPECT_EQ(p.Width(), c.width);
        EXPECT_EQ(p.Height(), c.height);
        EXPECT_FALSE(p.Image().HasAlpha());
        EXPECT_EQ(p.Info().bitDepth, c.bitDepth);
        EXPECT_EQ(p.Info().colorType, c.colorType);
        EXPECT_EQ(p.Info().channels, c.channels);
        EXPECT_EQ(p.Info().bitsPerPixel, c.channels * c.bitDepth);
        EXPECT_EQ(p.Info().interlace, c.interlace);
        for (size_t x = 0; x < c.firstRow.size(); ++x) EXPECT_EQ(PixelOf(p, int(x), 0), c.firstRow[x]) << "x " << x;
    }

    // Every pixel of the interlaced image lands where it belongs.
    PngPicture p;
    ASSERT_TRUE(LoadImage(p, L"png-interlaced.png"));
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 13; ++x) ASSERT_EQ(PixelOf(p, x, y), RGB(x * 19 % 256, y * 23 % 256, x * y % 256));
    PngPicture second;
    ASSERT_TRUE(LoadImage(second, L"png-rgb.png"));
    EXPECT_EQ(PixelOf(second, 0, 1), RGB(77, 97, 123));
    EXPECT_EQ(PixelOf(second, 2, 1), RGB(250, 251, 252));
}

TEST(PngCodec, AlphaChannelsAndTransparencyChunksGiveAnAlphaPlane)
{
    PngPicture rgba;
    ASSERT_TRUE(LoadImage(rgba, L"png-rgba.png"));
    ASSERT_TRUE(rgba.Image().HasAlpha());
    EXPECT_EQ(PixelOf(rgba, 1, 0), RGB(0, 255, 0));
    EXPECT_EQ(PixelOf(rgba, 0, 1), RGB(77, 97, 123));
    const int alphas[2][3] = {{0, 128, 255}, {200, 1, 255}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(AlphaOf(rgba, x, y), alphas[y][x]);

    PngPicture greyAlpha;
    ASSERT_TRUE(LoadImage(greyAlpha, L"png-grey-alpha.png"));
    ASSERT_TRUE(greyAlpha.Image().HasAlpha());
    EXPECT_EQ(PixelOf(greyAlpha, 1, 0), RGB(128, 128, 128));
    EXPECT_EQ(AlphaOf(greyAlpha, 0, 0), 0);
    EXPECT_EQ(AlphaOf(greyAlpha, 1, 0), 128);
    EXPECT_EQ(AlphaOf(greyAlpha, 2, 0), 255);

    // A colour key: pure green is transparent.
    PngPicture keyed;
    ASSERT_TRUE(LoadImage(keyed, L"png-trns-rgb.png"));
    ASSERT_TRUE(keyed.Image().HasAlpha());
    EXPECT_EQ(AlphaOf(keyed, 0, 0), 0);
    EXPECT_EQ(AlphaOf(keyed, 1, 0), 255);
    EXPECT_EQ(PixelOf(keyed, 1, 0), RGB(255, 0, 0));

    // Palette alphas; entries past the chunk are opaque.
    PngPicture palette;
    ASSERT_TRUE(LoadImage(palette, L"png-trns-palette.png"));
    ASSERT_TRUE(palette.Image().HasAlpha());
    EXPECT_EQ(AlphaOf(palette, 0, 0), 0);
    EXPECT_EQ(AlphaOf(palette, 1, 0), 128);
    EXPECT_EQ(AlphaOf(palette, 2, 0), 255);
    EXPECT_EQ(PixelOf(palette, 2, 0), RGB(0, 0, 255));
}

TEST(PngCodec, CorrectsForTheFileGamma)
{
    // gAMA 1.0 shown on a 2.2 screen: 128 becomes 255 * (128 / 255)^(1 / 2.2).
    PngPicture p;
    ASSERT_TRUE(LoadImage(p, L"png-linear-gamma.png"));
    EXPECT_TRUE(test::Near(PixelOf(p, 0, 0), RGB(186, 186, 186), 2));
}

TEST(PngCodec, BrokenFilesFailAndLeaveThePictureEmpty)
{
    for (const wchar_t* name :
         {L"png-truncated.png", L"png-corrupt-crc.png", L"png-corrupt-data.png", L"jpeg-rgb.jpg"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(name)));
        const std::wstring path = ImagePath(name);
        ASSERT_FALSE(path.empty());
        PngPicture p;
        ASSERT_TRUE(LoadImage(p, L"png-rgba.png"));
        EXPECT_FALSE(p.LoadFromFile(path));
        EXPECT_TRUE(p.IsEmpty());
        EXPECT_FALSE(p.Image().HasAlpha());
        EXPECT_EQ(p.Info().width, 0);
    }
    // The header alone survives a cut in the image data.
    ImageInfo info;
    ASSERT_TRUE(PngCodec().ReadInfoFromFile(info, ImagePath(L"png-truncated.png")));
    EXPECT_EQ(info.width, 13);
    EXPECT_EQ(info.interlace, 1);
    const uint8_t signatureOnly[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PngPicture p;
    EXPECT_FALSE(PngCodec().LoadFromMemory(p, signatureOnly, sizeof signatureOnly, true));
}

// The keyword and text of every tEXt chunk.
std::vector<std::pair<std::string, std::string>> TextChunks(const uint8_t* data, size_t size)
{
    std::vector<std::pair<std::string, std::string>> texts;
    for (size_t at = 8; at + 12 <= size;) {
        const size_t length = size_t(data[at]) << 24 | data[at + 1] << 16 | data[at + 2] << 8 | data[at + 3];
        if (std::memcmp(data + at + 4, "tEXt", 4) == 0) {
            const std::string body(reinterpret_cast<const char*>(data + at + 8), length);
            const size_t zero = body.find('\0');
            texts.emplace_back(body.substr(0, zero), body.substr(zero + 1));
        }
        at += 12 + length;
    }
    return texts;
}

TEST(PngCodec, EncodesColourAndAlphaWithTextChunks)
{
    PngPicture source;
    ASSERT_TRUE(LoadImage(source, L"png-rgba.png"));
    std::unique_ptr<ByteBuffer> bytes;
    ASSERT_TRUE(PngCodec().SaveToMemory(bytes, source));

    PngPicture again;
    ASSERT_TRUE(PngCodec().LoadFromMemory(again, bytes->Data(), bytes->Size(), false));
    EXPECT_EQ(again.Info().colorType, 6);
    ASSERT_TRUE(again.Image().HasAlpha());
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(PixelOf(again, x, y), PixelOf(source, x, y));
            EXPECT_EQ(AlphaOf(again, x, y), AlphaOf(source, x, y));
        }
    }
    const auto texts = TextChunks(bytes->Data(), bytes->Size());
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back().first, "Modification Time");
    EXPECT_EQ(texts.back().second.substr(texts.back().second.size() - 4), " GMT");

    // A picture without alpha is written as RGB.
    JpegPicture jpeg;
    ASSERT_TRUE(LoadImage(jpeg, L"jpeg-rgb.jpg"));
    test::TempPath file(L".png");
    ASSERT_TRUE(PngCodec().SaveToFile(file, jpeg));
    PngPicture rgb;
    ASSERT_TRUE(rgb.LoadFromFile(file));
    EXPECT_EQ(rgb.Info().colorType, 2);
    EXPECT_FALSE(rgb.Image().HasAlpha());
    EXPECT_EQ(PixelOf(rgb, 40, 20), PixelOf(jpeg, 40, 20));
}

TEST(PngCodec, FormatsTheModificationTimeInEnglish)
{
    SYSTEMTIME t{};
    t.wYear = 2023;
    t.wMonth = 6;
    t.wDayOfWeek = 1;
    t.wDay = 5;
    t.wHour = 8;
    t.wMinute = 4;
    t.wSecond = 9;
    EXPECT_EQ(PngCodec::FormatModificationTime(t), "Mon, 5 Jun 2023 08:04:09 GMT");
    t.wMonth = 12;
    t.wDayOfWeek = 0;
    t.wDay = 31;
    EXPECT_EQ(PngCodec::FormatModificationTime(t), "Sun, 31 Dec 2023 08:04:09 GMT");
}

}  // namespace
}  // namespace vorlune
