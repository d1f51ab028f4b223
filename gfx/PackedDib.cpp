#include "gfx/PackedDib.h"

#include <climits>
#include <cstring>

#include "gfx/DibHeader.h"
#include "win/Error.h"
#include "win/Handle.h"

namespace vorlune {

namespace {

constexpr uint16_t kBitmapMagic = 0x4D42;  // "BM"
constexpr uint32_t kFileHeaderSize = 14;
// Larger images are refused before anything is allocated for them.
constexpr uint64_t kMaxPixelBytes = 256u * 1024 * 1024;

void ReadExactly(Stream& stream, void* destination, uint32_t bytes)
{
    Check(bytes == 0 || stream.Read(destination, 1, bytes) == bytes);
}

uint64_t StrideOf(int width, int depth) noexcept { return ((uint64_t(width) * depth + 31) >> 3) & ~uint64_t{3}; }

bool IsKnownDepth(int depth) noexcept
{
    return depth == 1 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32;
}

}  // namespace

const BITMAPINFO* PackedDib::Info() const noexcept
{
    return words_.empty() ? nullptr : reinterpret_cast<const BITMAPINFO*>(words_.data());
}

bool PackedDib::ReadInfo(Stream& stream) noexcept
{
    words_.clear();
    header_ = BITMAPINFOHEADER{};
    storedSize_ = 0;
    const bool ok = Guarded([&] {
        uint32_t size = 0;
        ReadExactly(stream, &size, 4);
        Check(size == sizeof(BITMAPCOREHEADER) || size == 40 || size == 56 || size == 108 || size == 124);
        uint8_t raw[124] = {};
        std::memcpy(raw, &size, 4);
        ReadExactly(stream, raw + 4, size - 4);

        BITMAPINFOHEADER h{};
        const bool core = size == sizeof(BITMAPCOREHEADER);
        if (core) {
            BITMAPCOREHEADER c;
            std::memcpy(&c, raw, sizeof c);
            h.biSize = sizeof(BITMAPINFOHEADER);
            h.biWidth = c.bcWidth;
            h.biHeight = c.bcHeight;
            h.biPlanes = 1;
            h.biBitCount = c.bcBitCount;
            h.biCompression = BI_RGB;
        } else {
            std::memcpy(&h, raw, sizeof h);
        }
        const int depth = h.biBitCount;
        Check(IsKnownDepth(depth));
        Check(h.biWidth > 0 && h.biHeight != 0 && h.biHeight != LONG_MIN);
        const DWORD compression = h.biCompression;
        Check(compression == BI_RGB || (compression == BI_BITFIELDS && (depth == 16 || depth == 32)) ||
              (compression == BI_RLE8 && depth == 8) || (compression == BI_RLE4 && depth == 4));
        // RLE data is always stored bottom-up.
        Check(h.biHeight > 0 || compression == BI_RGB || compression == BI_BITFIELDS);
        const uint64_t height = h.biHeight < 0 ? -int64_t{h.biHeight} : h.biHeight;
        Check(StrideOf(h.biWidth, depth) * height <= kMaxPixelBytes);

        uint32_t count = core ? 0 : h.biClrUsed;
        if (count == 0 && depth <= 8) count = 1u << depth;
        Check(count <= 256);
        h.biClrUsed = core ? count : h.biClrUsed;

        const uint32_t maskBytes = compression == BI_BITFIELDS && size == 40 ? 12 : 0;
        const uint32_t blockHeader = core ? 40 : size;
        words_.assign((blockHeader + maskBytes + count * 4) / 4, 0);
        auto* block = reinterpret_cast<uint8_t*>(words_.data());
        if (core) {
            std::memcpy(block, &h, sizeof h);
        } else {
            std::memcpy(block, raw, size);
        }
        ReadExactly(stream, block + blockHeader, maskBytes);
        RGBQUAD* table = reinterpret_cast<RGBQUAD*>(block + blockHeader + maskBytes);
        if (core) {
            for (uint32_t i = 0; i < count; ++i) {
                RGBTRIPLE t;
                ReadExactly(stream, &t, sizeof t);
                table[i] = RGBQUAD{t.rgbtBlue, t.rgbtGreen, t.rgbtRed, 0};
            }
        } else {
            ReadExactly(stream, table, count * 4);
        }
        header_ = h;
        storedSize_ = size + maskBytes + count * (core ? 3 : 4);
        return true;
    });
    if (!ok) {
        words_.clear();
        header_ = BITMAPINFOHEADER{};
    }
    return ok;
}

bool PackedDib::ReadPixels(Stream& stream, Surface& target) const noexcept
{
    target.Destroy();
    if (words_.empty()) return false;
    const bool ok = Guarded([&] {
        Check(target.CreateFromInfo(Info()));
        const DWORD compression = header_.biCompression;
        if (compression == BI_RLE8 || compression == BI_RLE4) {
            // GDI expands the runs straight into the new section.
            const uint32_t left = stream.GetSize() > stream.Tell() ? stream.GetSize() - stream.Tell() : 0;
            uint32_t bytes = header_.biSizeImage ? header_.biSizeImage : left;
            Check(bytes > 0 && bytes <= left);
            std::vector<uint8_t> runs(bytes);
            ReadExactly(stream, runs.data(), bytes);
            MemoryDc dc(::CreateCompatibleDC(nullptr));
            Check(dc.Valid());
            const int lines = ::SetDIBits(dc.Get(), target.Data()->Bitmap(), 0, target.Height(), runs.data(), Info(),
                                          DIB_RGB_COLORS);
            Check(lines > 0);
            ::GdiFlush();
            return true;
        }
        const int height = target.Height();
        const bool topDown = header_.biHeight < 0;
        const uint32_t stride = static_cast<uint32_t>(target.Stride());
        for (int i = 0; i < height; ++i) ReadExactly(stream, target.Row(topDown ? i : height - 1 - i), stride);
        return true;
    });
    if (!ok) target.Destroy();
    return ok;
}

bool ReadPackedDib(Stream& stream, Surface& target, BITMAPINFOHEADER* header, bool headerOnly) noexcept
{
    target.Destroy();
    PackedDib dib;
    if (!dib.ReadInfo(stream)) return false;
    if (header) *header = dib.Header();
    return headerOnly || dib.ReadPixels(stream, target);
}

bool ReadBitmapFile(Stream& stream, Surface& target, BITMAPINFOHEADER* header, bool headerOnly) noexcept
{
    target.Destroy();
    return Guarded([&] {
        const uint32_t start = stream.Tell();
        uint8_t file[kFileHeaderSize];
        ReadExactly(stream, file, kFileHeaderSize);
        uint16_t magic;
        uint32_t offset;
        std::memcpy(&magic, file, 2);
        std::memcpy(&offset, file + 10, 4);
        Check(magic == kBitmapMagic);
        PackedDib dib;
        Check(dib.ReadInfo(stream));
        Check(offset >= kFileHeaderSize + dib.StoredSize() && uint64_t{start} + offset <= INT32_MAX);
        if (header) *header = dib.Header();
        if (headerOnly) return true;
        Check(stream.Seek(static_cast<int32_t>(start + offset), SeekBegin));
        return dib.ReadPixels(stream, target);
    });
}

bool WriteBitmapFile(Stream& stream, const Surface& source) noexcept
{
    if (!source.IsValid() || source.IsRle()) return false;
    return Guarded([&] {
        DibHeader info;
        Check(source.ExportInfo(info));
        const int height = source.Height();
        const uint32_t stride = static_cast<uint32_t>(source.Stride());
        BITMAPINFOHEADER& h = info.Header();
        h.biHeight = height;
        h.biSizeImage = stride * height;
        const uint32_t offset = kFileHeaderSize + static_cast<uint32_t>(info.Size());

        uint8_t file[kFileHeaderSize] = {};
        const uint32_t total = offset + h.biSizeImage;
        std::memcpy(file, &kBitmapMagic, 2);
        std::memcpy(file + 2, &total, 4);
        std::memcpy(file + 10, &offset, 4);
        Check(stream.Write(file, 1, kFileHeaderSize) == kFileHeaderSize);
        Check(stream.Write(info.Get(), 1, static_cast<uint32_t>(info.Size())) == info.Size());
        ::GdiFlush();
        for (int y = height - 1; y >= 0; --y) Check(stream.Write(source.Row(y), 1, stride) == stride);
        return true;
    });
}

}  // namespace vorlune
