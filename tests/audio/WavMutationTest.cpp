#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "audio/AudioClip.h"
#include "support/Fixtures.h"
#include "WavBuilder.h"

namespace vorlune {
namespace {

using test::WavBuilder;

std::vector<int16_t> Wave(size_t n)
{
    std::vector<int16_t> s(n);
    for (size_t i = 0; i < n; ++i) s[i] = int16_t((i * 1103) % 65536 - 32768);
    return s;
}

std::vector<std::vector<uint8_t>> Seeds()
{
    return {
        WavBuilder().Riff().Fmt(1, 1, 8000, 16).Data16(Wave(300)).Close().bytes,
        WavBuilder().Riff().Fmt(1, 2, 44100, 16, 18).Chunk("LIST", {1, 2, 3, 4, 5}).Data16(Wave(800)).Close().bytes,
        WavBuilder().Riff().Fmt(1, 1, 11025, 8).Chunk("data", std::vector<uint8_t>(501, 0x80)).Chunk("id3 ", {9, 9}).Close().bytes,
        WavBuilder().Riff().Chunk("fact", {4, 0, 0, 0}).Fmt(1, 2, 22050, 16, 40).Data16(Wave(1000)).Close().bytes,
    };
}

// Offsets where a chunk header starts, so sizes and ids can be aimed at.
std::vector<size_t> ChunkHeaders(const std::vector<uint8_t>& b)
{
    std::vector<size_t> at;
    size_t pos = 12;
    while (pos + 8 <= b.size()) {
        at.push_back(pos);
        uint32_t size;
        std::memcpy(&size, &b[pos + 4], 4);
        pos += 8 + size + (size & 1);
    }
    return at;
}

std::vector<uint8_t> Mutate(std::vector<uint8_t> b, std::mt19937& rng)
{
    const uint32_t sizes[] = {0, 1, 2, 3, 15, 16, 17, 0x7FFFFFFF, 0x80000000, 0xFFFF0000, 0xFFFFFFF0, 0xFFFFFFFF};
    const char* ids[] = {"data", "fmt ", "LIST", "RIFF", "WAVE", "\0\0\0\0"};
    const std::vector<size_t> headers = ChunkHeaders(b);
    const int edits = 1 + int(rng() % 3);
    for (int e = 0; e < edits && !b.empty(); ++e) {
        switch (rng() % 7) {
        case 0:  // random bytes
            for (int k = 0; k < 4; ++k) b[rng() % b.size()] = uint8_t(rng());
            break;
        case 1:  // an interesting chunk size
            if (!headers.empty()) {
                const size_t at = headers[rng() % headers.size()] + 4;
                if (at + 4 <= b.size()) std::memcpy(&b[at], &sizes[rng() % std::size(sizes)], 4);
            }
            break;
        case 2:  // a chunk id swapped
            if (!headers.empty()) {
                const size_t at = headers[rng() % headers.size()];
                if (at + 4 <= b.size()) std::memcpy(&b[at], ids[rng() % std::size(ids)], 4);
            }
            break;
        case 3:  // cut short
            b.resize(rng() % b.size());
            break;
        case 4:  // a format field: channels, rate, block align, bits, tag
        {
            const size_t fmt = 20 + 2 * (rng() % 8);
            if (fmt + 2 <= b.size()) {
                const uint16_t v = uint16_t(rng() % 5 == 0 ? rng() : rng() % 40);
                std::memcpy(&b[fmt], &v, 2);
            }
            break;
        }
        case 5:  // the RIFF size
            if (b.size() >= 8) std::memcpy(&b[4], &sizes[rng() % std::size(sizes)], 4);
            break;
        default:  // junk appended
            for (int k = int(rng() % 13); k > 0; --k) b.push_back(uint8_t(rng()));
            break;
        }
    }
    return b;
}

// Thousands of damaged files: each loads or fails, none crashes or hangs, and
// no temporary file is left behind.
TEST(WavMutation, DamagedFilesNeverCrashHangOrLeakTemporaryFiles)
{
    std::mt19937 rng(20261207);
    const std::vector<std::vector<uint8_t>> seeds = Seeds();
    test::TempPath path(L".wav");
    const int before = test::CountTempFiles(L"~Ve*");
    int loaded = 0, failed = 0;
    for (int i = 0; i < 3000; ++i) {
        const std::vector<uint8_t> bytes = Mutate(seeds[size_t(i) % seeds.size()], rng);
        ASSERT_TRUE(test::WriteAll(path, bytes.data(), bytes.size()));
        AudioClip clip;
        if (clip.LoadWav(path, nullptr)) {
            ++loaded;
            // What loads is whole: a consistent buffer that matches its format.
            ASSERT_TRUE(clip.IsLoaded()) << i;
            ASSERT_TRUE(clip.buffer.IsConsistent()) << i;
            ASSERT_EQ(clip.buffer.channels, clip.format.nChannels) << i;
            ASSERT_LE(uint64_t(clip.byteCount), bytes.size()) << i;
        } else {
            ++failed;
            ASSERT_TRUE(clip.IsEmpty()) << i;
        }
        clip.Reset();
        ASSERT_EQ(test::CountTempFiles(L"~Ve*"), before) << "variant " << i;
    }
    // Both outcomes must really occur, or the mutations test nothing.
    EXPECT_GT(loaded, 100);
    EXPECT_GT(failed, 100);
}

}  // namespace
}  // namespace vorlune
