#include "gfx/BmpCodec.h"

#include <cstring>

#include "gfx/AlphaImage.h"
#include "gfx/ImageResource.h"
#include "gfx/PackedDib.h"
#include "gfx/Picture.h"
#include "io/MemoryStream.h"
#include "win/Error.h"

namespace vorlune {

namespace {

void RecordHeader(ImageInfo& info, const BITMAPINFOHEADER& header)
{
    info.bmpHeader = header;
    info.bitsPerPixel = header.biBitCount;
    info.width = header.biWidth;
    info.height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
}

// Whether a plain 32-bit surface carries no alpha at all: GDI and many
// writers leave the fourth byte 0, which would otherwise make the image
// invisible.
bool AlphaAllZero(const Surface& s) noexcept
{
    ::GdiFlush();
    for (int y = 0; y < s.Height(); ++y) {
        const uint8_t* p = s.Row(y);
        for (int x = 0; x < s.Width(); ++x)
            if (p[4 * x + 3] != 0) return false;
    }
    return true;
}

// Moves a decoded bitmap into the picture's planes.
bool StorePlanes(AlphaImage& image, Surface& loaded)
{
    image.Clear();
    if (loaded.BitsPerPixel() == 24) return image.Colour().Take(loaded);
    if (loaded.BitsPerPixel() == 32) {
        ColorMasks masks;
        loaded.GetMasks(masks);
        const bool noAlphaMask = loaded.HasBitFields() && masks.alpha == 0;
        if (loaded.HasBitFields()) Check(loaded.NormalizeBitFields());
        const bool opaque = noAlphaMask || AlphaAllZero(loaded);
        Check(image.SplitPlanes(loaded));
        // Not ToDepth24: that would blend the colours over white by the zero alpha.
        if (opaque) image.Alpha().Destroy();
        return true;
    }
    return loaded.ToDepth24(image.Colour());
}

// Reads a bitmap (file or packed DIB) into the picture: the header into the
// info, then the planes unless only the header is wanted.
template <class Read>
bool LoadInto(Picture& picture, bool headerOnly, Read&& read) noexcept
{
    const bool ok = Guarded([&] {
        Surface loaded;
        BITMAPINFOHEADER header{};
        Check(read(loaded, header));
        RecordHeader(picture.Info(), header);
        if (headerOnly) return true;
        AlphaImage* image = picture.AlphaStorage();
        Check(image != nullptr);
        return StorePlanes(*image, loaded);
    });
    if (!ok) {
        picture.Clear(false);
        picture.Info().Reset();
    }
    return ok;
}

}  // namespace

BmpCodec::~BmpCodec() = default;

bool BmpCodec::Decode(Picture& picture, Stream& stream, bool headerOnly) noexcept
{
    if (!CanHandle(picture)) return false;
    Empty(picture);
    if (!stream.IsOpen()) return false;
    return LoadInto(picture, headerOnly, [&](Surface& loaded, BITMAPINFOHEADER& header) {
        return ReadBitmapFile(stream, loaded, &header, headerOnly);
    });
}

bool BmpCodec::LoadFromResource(Picture& picture, int id, HMODULE module, bool headerOnly) noexcept
{
    if (!CanHandle(picture)) return false;
    Empty(picture);
    uint32_t size = 0;
    const uint8_t* data = FindResource(id, RT_BITMAP, module, size);
    MemoryStream stream;
    if (data == nullptr || size == 0 || !stream.Attach(data, size, 0)) return false;
    return LoadInto(picture, headerOnly, [&](Surface& loaded, BITMAPINFOHEADER& header) {
        return ReadPackedDib(stream, loaded, &header, headerOnly);
    });
}

bool BmpCodec::Encode(Stream& stream, Picture& picture) noexcept
{
    if (!stream.IsOpen() || !picture.IsValid()) return false;
    return Guarded([&] {
        const AlphaImage* planes = picture.AlphaStorage();
        if (!planes || !planes->HasAlpha()) return WriteBitmapFile(stream, picture.ColorSurface());
        const Surface24& colour = planes->Colour();
        Surface32 joined;
        Check(joined.Create(colour.Width(), colour.Height(), 32));
        ::GdiFlush();
        for (int y = 0; y < colour.Height(); ++y) {
            const uint8_t* c = colour.Row(y);
            const uint8_t* a = planes->Alpha().Row(y);
            uint8_t* p = joined.Row(y);
            for (int x = 0; x < colour.Width(); ++x, c += 3, p += 4) {
                std::memcpy(p, c, 3);
                p[3] = a[x];
            }
        }
        return WriteBitmapFile(stream, joined);
    });
}

}  // namespace vorlune
