#include "gfx/JpegMarkers.h"

#include <cstring>

#include "win/Error.h"

namespace vorlune {

namespace {

constexpr int kMaxFillBytes = 5;  // 0xFF bytes before a code, the first included
constexpr int kSoi = 0xD8;
constexpr int kEoi = 0xD9;
constexpr int kSos = 0xDA;
constexpr uint16_t kIptcResource = 0x0404;

bool StartsWith(const std::vector<uint8_t>& data, const char* prefix, size_t length) noexcept
{
    return data.size() >= length && std::memcmp(data.data(), prefix, length) == 0;
}

uint32_t BigEndian(const uint8_t* p, int bytes) noexcept
{
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value = (value << 8) | p[i];
    return value;
}

int Recognise(int code, const std::vector<uint8_t>& data) noexcept
{
    if (code == 0xE0 && StartsWith(data, "JFIF\0", 5)) return JpegMarker::kJfif;
    if (code == 0xE1 && StartsWith(data, "Exif\0\0", 6)) return JpegMarker::kExif;
    static const char kPhotoshop[] = "Photoshop 3.0";  // 13 characters and its zero
    if (code == 0xED && data.size() > 13 && StartsWith(data, kPhotoshop, sizeof kPhotoshop) &&
        HasImageResource(data.data() + sizeof kPhotoshop, data.size() - sizeof kPhotoshop, kIptcResource))
        return JpegMarker::kPhotoshopIptc;
    return code;
}

}  // namespace

bool HasImageResource(const uint8_t* data, size_t size, uint16_t id) noexcept
{
    size_t at = 0;
    // Signature, id and the name's length byte.
    while (data && at + 7 <= size && std::memcmp(data + at, "8BIM", 4) == 0) {
        if (BigEndian(data + at + 4, 2) == id) return true;
        // The name is a Pascal string padded to an even length, length byte included.
        size_t name = 1 + data[at + 6];
        name += name & 1;
        const size_t sizeAt = at + 6 + name;
        if (sizeAt + 4 > size) break;
        size_t length = BigEndian(data + sizeAt, 4);
        length += length & 1;
        if (length > size - (sizeAt + 4)) break;
        at = sizeAt + 4 + length;
    }
    return false;
}

bool ScanJpegMarker(Stream& stream, JpegMarkerScan& out) noexcept
{
    out = JpegMarkerScan{};
    return Guarded([&] {
        int byte = stream.ReadByte();
        Check(byte == 0xFF);
        int fills = 1;
        while ((byte = stream.ReadByte()) == 0xFF) Check(++fills <= kMaxFillBytes);
        Check(byte > 0 && byte != kEoi);
        const int hi = stream.ReadByte();
        const int lo = stream.ReadByte();
        Check(hi >= 0 && lo >= 0);
        const uint16_t length = static_cast<uint16_t>((hi << 8) | lo);
        Check(length >= 2);
        out.code = byte;
        out.length = length;
        const uint32_t payload = length - 2u;
        if (byte < 0xE0 || byte > 0xEF) {
            return payload == 0 || stream.Seek(static_cast<int32_t>(payload), SeekCurrent);
        }
        std::vector<uint8_t> data(payload);
        Check(payload == 0 || stream.Read(data.data(), 1, payload) == payload);
        out.marker.code = Recognise(byte, data);
        out.marker.length = length;
        out.marker.data = std::move(data);
        out.kept = true;
        return true;
    });
}

bool ReadJpegMarkers(Stream& stream, std::vector<JpegMarker>& out) noexcept
{
    out.clear();
    const bool ok = Guarded([&] {
        Check(stream.ReadByte() == 0xFF && stream.ReadByte() == kSoi);
        JpegMarkerScan scan;
        // The scan's entropy-coded data follows SOS: no more header segments.
        do {
            Check(ScanJpegMarker(stream, scan));
            if (scan.kept) out.push_back(std::move(scan.marker));
        } while (scan.code != kSos);
        return true;
    });
    if (!ok) out.clear();
    return ok;
}

}  // namespace vorlune
