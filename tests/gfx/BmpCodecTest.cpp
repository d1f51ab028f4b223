#include "gfx/BmpCodec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gfx/BmpPicture.h"
#include "gfx/ImageTesting.h"
#include "gfx/PackedDib.h"
#include "io/MemoryStream.h"

namespace vorlune {
namespace {

using test::AlphaOf;
using test::ImagePath;
using test::LoadImage;
using test::PixelOf;

const COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255), kSlate = RGB(77, 97, 123);

TEST(BmpCodec, EveryDepthDecodesToATwentyFourBitColourPlane)
{
    // The indexed files share a 5 x 3 image over red, green, blue and slate.
    const COLORREF indexed[3][5] = {{kRed, kGreen, kBlue, kSlate, kRed},
                                    {kSlate, kBlue, kGreen, kRed, kSlate},
                                    {kGreen, kGreen, kBlue, kBlue, kSlate}};
    const struct {
        const wchar_t* name;
        int depth;
    } files[] = {{L"bmp-8.bmp", 8}, {L"bmp-4.bmp", 4}, {L"bmp-core.bmp", 4}, {L"bmp-rle8.bmp", 8}};
    for (const auto& f : files) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(f.name)));
        BmpPicture p;
        ASSERT_TRUE(LoadImage(p, f.name));
        EXPECT_EQ(p.Info().bitsPerPixel, f.depth);
        EXPECT_EQ(p.Info().bmpHeader.biSize, 40u);
        EXPECT_EQ(p.ColorSurface().BitsPerPixel(), 24);
        EXPECT_FALSE(p.Image().HasAlpha());
        ASSERT_EQ(p.Width(), 5);
        ASSERT_EQ(p.Height(), 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) EXPECT_EQ(PixelOf(p, x, y), indexed[y][x]) << x << ", " << y;
    }

    for (const wchar_t* name : {L"bmp-24.bmp", L"bmp-24-topdown.bmp"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(name)));
        BmpPicture p;
        ASSERT_TRUE(LoadImage(p, name));
        EXPECT_EQ(p.Info().height, 3);
        EXPECT_EQ(PixelOf(p, 0, 0), kRed);
        EXPECT_EQ(PixelOf(p, 3, 0), kSlate);
        EXPECT_EQ(PixelOf(p, 4, 1), RGB(130, 140, 150));
        EXPECT_EQ(PixelOf(p, 4, 2), RGB(5, 6, 7));
    }

    BmpPicture fiveFiveFive, fiveSixFive;
    ASSERT_TRUE(LoadImage(fiveFiveFive, L"bmp-16.bmp"));
    EXPECT_EQ(PixelOf(fiveFiveFive, 0, 0), RGB(248, 0, 0));
    EXPECT_EQ(PixelOf(fiveFiveFive, 1, 0), RGB(0, 0, 248));
    ASSERT_TRUE(LoadImage(fiveSixFive, L"bmp-565.bmp"));
    EXPECT_EQ(PixelOf(fiveSixFive, 0, 0), RGB(248, 0, 0));
    EXPECT_EQ(PixelOf(fiveSixFive, 1, 0), RGB(0, 252, 0));
}

TEST(BmpCodec, ThirtyTwoBitsSplitIntoPlanesUnlessAlphaIsAllZero)
{
    BmpPicture alpha;
    ASSERT_TRUE(LoadImage(alpha, L"bmp-32.bmp"));
    ASSERT_TRUE(alpha.Image().HasAlpha());
    EXPECT_EQ(AlphaOf(alpha, 0, 0), 0);
    EXPECT_EQ(AlphaOf(alpha, 1, 0), 128);
    EXPECT_EQ(AlphaOf(alpha, 0, 1), 255);
    EXPECT_EQ(AlphaOf(alpha, 1, 1), 64);
    EXPECT_EQ(PixelOf(alpha, 1, 1), kSlate);

    BmpPicture opaque;
    ASSERT_TRUE(LoadImage(opaque, L"bmp-32-zero-alpha.bmp"));
    EXPECT_FALSE(opaque.Image().HasAlpha());
    EXPECT_EQ(opaque.Info().bitsPerPixel, 32);
    EXPECT_EQ(PixelOf(opaque, 0, 0), kRed);
    EXPECT_EQ(PixelOf(opaque, 1, 1), kSlate);
}

TEST(BmpCodec, BrokenFilesFailAndLeaveThePictureEmpty)
{
    for (const wchar_t* name : {L"bmp-truncated.bmp", L"bmp-corrupt.bmp", L"bmp-bad-header.bmp", L"png-rgb.png"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(name)));
        const std::wstring path = ImagePath(name);
        ASSERT_FALSE(path.empty());
        BmpPicture p;
        ASSERT_TRUE(LoadImage(p, L"bmp-32.bmp"));
        EXPECT_FALSE(p.LoadFromFile(path));
        EXPECT_TRUE(p.IsEmpty());
        EXPECT_EQ(p.Info().width, 0);
    }
    // The headers are whole in the truncated file.
    ImageInfo info;
    ASSERT_TRUE(BmpCodec().ReadInfoFromFile(info, ImagePath(L"bmp-truncated.bmp")));
    EXPECT_EQ(info.width, 5);
    EXPECT_EQ(info.bitsPerPixel, 24);
}

// A packed DIB: a 40-byte header, then what follows it.
std::vector<uint8_t> Dib(int width, int height, int depth, DWORD compression, DWORD colours, size_t extra)
{
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = WORD(depth);
    h.biCompression = compression;
    h.biClrUsed = colours;
    std::vector<uint8_t> bytes(sizeof h + extra, 0);
    std::memcpy(bytes.data(), &h, sizeof h);
    return bytes;
}

bool ReadsDib(const std::vector<uint8_t>& bytes)
{
    MemoryStream stream;
    Surface s;
    return stream.Attach(bytes.data(), uint32_t(bytes.size()), 0) && ReadPackedDib(stream, s, nullptr, false);
}

TEST(PackedDib, RefusesHeadersThatDoNotDescribeAnImage)
{
    EXPECT_TRUE(ReadsDib(Dib(2, 2, 8, BI_RGB, 2, 8 + 8)));
    EXPECT_TRUE(ReadsDib(Dib(2, -2, 24, BI_RGB, 0, 16))) << "top-down";
    EXPECT_FALSE(ReadsDib(Dib(2, 2, 8, BI_RGB, 2, 8 + 7))) << "pixels cut short";
    EXPECT_FALSE(ReadsDib(Dib(2, 2, 8, BI_RGB, 300, 300 * 4 + 8))) << "table past 256 entries";
    EXPECT_FALSE(ReadsDib(Dib(2, 2, 4, BI_RLE8, 0, 64 + 8))) << "RLE8 at 4 bits";
    EXPECT_FALSE(ReadsDib(Dib(2, -2, 8, BI_RLE8, 0, 1024 + 8))) << "top-down RLE";
    EXPECT_FALSE(ReadsDib(Dib(2, 2, 24, BI_JPEG, 0, 16)));
    EXPECT_FALSE(ReadsDib(Dib(2, 2, 7, BI_RGB, 0, 16)));
    EXPECT_FALSE(ReadsDib(Dib(0, 2, 24, BI_RGB, 0, 16)));
    EXPECT_FALSE(ReadsDib(Dib(2, 0, 24, BI_RGB, 0, 16)));
    EXPECT_FALSE(ReadsDib(Dib(100000, 100000, 32, BI_RGB, 0, 16))) << "refused before allocating";
    auto odd = Dib(2, 2, 24, BI_RGB, 0, 16);
    odd[0] = 64;  // OS/2 2.x header
    EXPECT_FALSE(ReadsDib(odd));
}

TEST(BmpCodec, EncodesTwentyFourBitsOrThirtyTwoWithAlpha)
{
    for (const wchar_t* name : {L"bmp-24.bmp", L"bmp-32.bmp"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(name)));
        BmpPicture source;
        ASSERT_TRUE(LoadImage(source, name));
        test::TempPath file(L".bmp");
        ASSERT_TRUE(source.SaveToFile(file));
        BmpPicture again;
        ASSERT_TRUE(again.LoadFromFile(file));
        EXPECT_EQ(again.Info().bitsPerPixel, source.Image().HasAlpha() ? 32 : 24);
        ASSERT_EQ(again.Width(), source.Width());
        ASSERT_EQ(again.Image().HasAlpha(), source.Image().HasAlpha());
        for (int y = 0; y < source.Height(); ++y) {
            for (int x = 0; x < source.Width(); ++x) {
                EXPECT_EQ(PixelOf(again, x, y), PixelOf(source, x, y));
                if (source.Image().HasAlpha()) {
                    EXPECT_EQ(AlphaOf(again, x, y), AlphaOf(source, x, y));
                }
            }
        }
    }
}

}  // namespace
}  // namespace vorlune
