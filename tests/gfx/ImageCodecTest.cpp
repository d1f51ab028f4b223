#include "gfx/ImageCodec.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdio>
#include <vector>

#include "gfx/ImageTesting.h"
#include "gfx/JpegPicture.h"
#include "gfx/PngPicture.h"

namespace vorlune {
namespace {

using test::ImagePath;

// Sends the C runtime's standard error (where libjpeg and libpng print by
// default) into a temporary file for the object's lifetime.
class StderrCapture {
public:
    StderrCapture() : file_(L".txt")
    {
        std::fflush(stderr);
        saved_ = _dup(2);
        const int fd = _wopen(file_.Path().c_str(), _O_CREAT | _O_TRUNC | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd >= 0) {
            _dup2(fd, 2);
            _close(fd);
        }
    }
    ~StderrCapture() { Restore(); }

    std::string Text()
    {
        Restore();
        const auto bytes = test::ReadAll(file_.Path());
        return std::string(bytes.begin(), bytes.end());
    }

private:
    void Restore()
    {
        if (saved_ < 0) return;
        std::fflush(stderr);
        _dup2(saved_, 2);
        _close(saved_);
        saved_ = -1;
    }

    test::TempPath file_;
    int saved_ = -1;
};

std::vector<uint8_t> Fixture(const wchar_t* name)
{
    const std::wstring path = ImagePath(name);
    EXPECT_FALSE(path.empty()) << "fixtures missing";
    return test::ReadAll(path);
}

bool Decode(Picture& picture, const std::vector<uint8_t>& bytes)
{
    const auto codec = picture.CreateCodec();
    return codec->LoadFromMemory(picture, bytes.data(), uint32_t(bytes.size()), false);
}

TEST(ImageCodec, LibraryErrorsAndWarningsStaySilent)
{
    // Warnings: stray bytes before a JPEG marker, a bad CRC on a PNG text chunk.
    auto strayBytes = Fixture(L"jpeg-rgb.jpg");
    const size_t app0End = 4 + (strayBytes[4] << 8 | strayBytes[5]);
    strayBytes.insert(strayBytes.begin() + app0End, {0x12, 0x34});
    auto badText = Fixture(L"png-rgb.png");
    const uint8_t text[] = {0, 0, 0, 3, 't', 'E', 'X', 't', 'a', 0, 'b', 1, 2, 3, 4};
    badText.insert(badText.begin() + 33, text, text + sizeof text);  // after IHDR

    StderrCapture capture;
    JpegPicture jpeg;
    EXPECT_TRUE(Decode(jpeg, strayBytes));
    EXPECT_TRUE(jpeg.Info().markers.empty()) << "the marker list stops at the stray bytes";
    PngPicture png;
    EXPECT_TRUE(Decode(png, badText));
    EXPECT_EQ(test::PixelOf(png, 2, 1), RGB(250, 251, 252));
    for (const wchar_t* name : {L"jpeg-truncated.jpg", L"jpeg-corrupt.jpg", L"png-rgb.png"})
        EXPECT_FALSE(Decode(jpeg, Fixture(name)));
    for (const wchar_t* name : {L"png-truncated.png", L"png-corrupt-crc.png", L"png-corrupt-data.png"})
        EXPECT_FALSE(Decode(png, Fixture(name)));
    EXPECT_EQ(capture.Text(), "");
}

}  // namespace
}  // namespace vorlune
