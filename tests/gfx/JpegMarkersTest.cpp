#include "gfx/JpegMarkers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "io/MemoryStream.h"

namespace vorlune {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A marker segment: 0xFF, code, big-endian length, payload.
Bytes Segment(int code, const Bytes& payload)
{
    const size_t length = payload.size() + 2;
    return Bytes{0xFF, uint8_t(code), uint8_t(length >> 8), uint8_t(length)} + payload;
}

Bytes EightBim(uint16_t id, const std::string& name, const Bytes& data)
{
    Bytes block = Text("8BIM") + Bytes{uint8_t(id >> 8), uint8_t(id), uint8_t(name.size())} + Text(name);
    if (block.size() % 2) block.push_back(0);  // length byte plus name padded to even
    const size_t n = data.size();
    block = block + Bytes{uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)} + data;
    if (n % 2) block.push_back(0);
    return block;
}

Bytes Photoshop(const Bytes& blocks) { return Text(std::string("Photoshop 3.0") + '\0') + blocks; }

struct Scanner {
    explicit Scanner(Bytes bytes) : data(std::move(bytes)) { stream.Attach(data.data(), uint32_t(data.size()), 0); }
    bool Scan() { return ScanJpegMarker(stream, last); }

    Bytes data;
    MemoryStream stream;
    JpegMarkerScan last;
};

TEST(JpegMarkers, ScanKeepsApplicationMarkersAndSkipsTheRest)
{
    const Bytes jfif = Text("JFIF") + Bytes{0, 1, 2};
    Scanner s(Segment(0xE0, jfif) + Segment(0xDB, Bytes(5, 7)) + Bytes{0xFF, 0xFF, 0xFF, 0xFF} +
              Segment(0xE1, Text("Exif") + Bytes{0, 0, 9}) + Segment(0xE3, {}) + Bytes{0xFF});

    ASSERT_TRUE(s.Scan());
    EXPECT_TRUE(s.last.kept);
    EXPECT_EQ(s.last.marker.code, JpegMarker::kJfif);
    EXPECT_EQ(s.last.marker.MarkerCode(), 0xE0);
    EXPECT_EQ(s.last.marker.length, 9);
    EXPECT_EQ(s.last.marker.data, jfif);

    // Other segments are reported and stepped over.
    ASSERT_TRUE(s.Scan());
    EXPECT_FALSE(s.last.kept);
    EXPECT_EQ(s.last.code, 0xDB);
    EXPECT_EQ(s.last.length, 7);
    EXPECT_EQ(s.stream.Tell(), 11u + 9);

    // Five 0xFF bytes before the code are allowed.
    ASSERT_TRUE(s.Scan());
    EXPECT_EQ(s.last.marker.code, JpegMarker::kExif);
    ASSERT_TRUE(s.Scan());
    EXPECT_EQ(s.last.marker.code, 0xE3);
    EXPECT_TRUE(s.last.marker.data.empty());
    EXPECT_FALSE(s.Scan());  // nothing after the 0xFF
}

TEST(JpegMarkers, ScanFailsOnBrokenSegments)
{
    const Bytes app = Segment(0xE0, Text("JFIF") + Bytes{0});
    EXPECT_FALSE(Scanner(Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF} + app).Scan()) << "six 0xFF bytes";
    EXPECT_FALSE(Scanner(Bytes{0x00} + app).Scan()) << "no 0xFF";
    EXPECT_FALSE(Scanner(Bytes{0xFF, 0xD9, 0x00, 0x02}).Scan()) << "end of image";
    EXPECT_FALSE(Scanner(Bytes{0xFF, 0xE0, 0x00, 0x01}).Scan()) << "length below 2";
    EXPECT_FALSE(Scanner(Bytes{0xFF, 0xE0, 0x00, 0x10, 'J', 'F'}).Scan()) << "short payload";
    EXPECT_FALSE(Scanner(Bytes{0xFF, 0xE0, 0x00}).Scan()) << "short length";
}

TEST(JpegMarkers, RecognitionNeedsTheWholeSignature)
{
    auto tag = [](int code, const Bytes& payload) {
        Scanner s(Segment(code, payload));
        EXPECT_TRUE(s.Scan());
        return s.last.marker.code;
    };
    EXPECT_EQ(tag(0xE0, Text("JFIF") + Bytes{0}), JpegMarker::kJfif);
    EXPECT_EQ(tag(0xE0, Text("JFIF")), 0xE0);
    EXPECT_EQ(tag(0xE0, Text("JFXX") + Bytes{0}), 0xE0);
    EXPECT_EQ(tag(0xE1, Text("Exif") + Bytes{0}), 0xE1);
    EXPECT_EQ(tag(0xE2, Text("Exif") + Bytes{0, 0}), 0xE2);

    // IPTC data (resource 0x0404) behind a block with a name and odd sizes.
    const Bytes iptc = EightBim(0x0404, "", {1, 2, 3});
    EXPECT_EQ(tag(0xED, Photoshop(EightBim(0x03ED, "abc", Bytes(5, 1)) + iptc)), JpegMarker::kPhotoshopIptc);
    EXPECT_EQ(tag(0xED, Photoshop(EightBim(0x03ED, "", Bytes(4, 1)))), 0xED);
    EXPECT_EQ(tag(0xED, Text("Photoshop 3.0")), 0xED);
    // The walk stops at a block without the signature, or one that runs past the end.
    Bytes unsigned_ = EightBim(0x03ED, "", Bytes(4, 1));
    unsigned_[0] = 'X';
    EXPECT_EQ(tag(0xED, Photoshop(unsigned_ + iptc)), 0xED);
    Bytes overlong = EightBim(0x03ED, "", Bytes(4, 1));
    overlong[11] = 0x40;  // data size 0x40 bytes, far past the payload
    EXPECT_EQ(tag(0xED, Photoshop(overlong + iptc)), 0xED);
}

TEST(JpegMarkers, ListRunsFromStartOfImageToStartOfScan)
{
    const Bytes soi{0xFF, 0xD8};
    const Bytes head = soi + Segment(0xE0, Text("JFIF") + Bytes{0}) + Segment(0xDB, Bytes(3, 0)) +
                       Segment(0xEE, Text("Adobe"));
    const Bytes sos = Segment(0xDA, Bytes(4, 0));

    Scanner whole(head + sos + Segment(0xE5, Text("after the scan")));
    std::vector<JpegMarker> list;
    ASSERT_TRUE(ReadJpegMarkers(whole.stream, list));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].code, JpegMarker::kJfif);
    EXPECT_EQ(list[1].code, 0xEE);

    Scanner noSoi(Bytes{0xFF, 0xD9} + Segment(0xE0, {}) + sos);
    EXPECT_FALSE(ReadJpegMarkers(noSoi.stream, list));
    EXPECT_TRUE(list.empty());

    Scanner broken(head + Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF} + sos);
    EXPECT_FALSE(ReadJpegMarkers(broken.stream, list));
    EXPECT_TRUE(list.empty()) << "a failed list keeps nothing";

    Scanner unfinished(head);
    EXPECT_FALSE(ReadJpegMarkers(unfinished.stream, list));
}

}  // namespace
}  // namespace vorlune
