#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vorlune {

// A storage format, and the resource type its images are kept under. Only
// Bmp, Jpeg and Png can be decoded; the others are recognised when probing.
enum class ImageType : int {
    None = -1,
    Ved = 0,
    Bmp = 1,
    Gif = 2,
    Ico = 3,
    Jpeg = 4,
    Png = 5,
    Tiff = 6,
};

// The resource type for a format ("JPG", RT_BITMAP, ...); null for None.
LPCWSTR ResourceTypeOf(ImageType type) noexcept;

// One application marker (APP0..APP15) of a JPEG stream.
struct JpegMarker {
    // Recognised markers carry a tag instead of their plain code; the low
    // byte is always the marker code.
    static constexpr int kJfif = 0x10E0;
    static constexpr int kExif = 0x10E1;
    static constexpr int kPhotoshopIptc = 0x10ED;

    int code = 0;
    uint16_t length = 0;  // the length field: payload plus its own two bytes
    std::vector<uint8_t> data;

    int MarkerCode() const noexcept { return code & 0xFF; }
};

// Header facts of one image, filled by every decode (also header-only ones).
struct ImageInfo {
    // JPEG encoder options.
    static constexpr uint32_t kForceBaseline = 1;
    static constexpr uint32_t kProgressive = 2;
    static constexpr uint32_t kOptimizeCoding = 4;

    explicit ImageInfo(ImageType imageType = ImageType::None) noexcept : type(imageType) {}

    // Back to the defaults; the type stays.
    void Reset() noexcept;

    ImageType type;
    int bitsPerPixel = 0;
    int width = 0;
    int height = 0;  // always positive
    std::wstring path;  // the file it was loaded from; empty for resources and memory

    // JPEG: components, application markers, encoder settings.
    int components = 3;
    std::vector<JpegMarker> markers;
    int quality = 95;
    int fullChromaQuality = 95;  // from this quality up, no chroma subsampling
    int smoothing = 0;
    uint32_t flags = kForceBaseline;

    // PNG
    int bitDepth = 0;
    int channels = 0;
    int colorType = 0;
    int interlace = 0;

    // BMP: the 40-byte header (a 12-byte core header is rewritten as one).
    BITMAPINFOHEADER bmpHeader{};
};

}  // namespace vorlune
