#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace vorlune::test {

// Builds RIFF/WAVE files byte by byte, well-formed or not.
class WavBuilder {
public:
    WavBuilder& Raw(const void* data, size_t n)
    {
        const auto* p = static_cast<const uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + n);
        return *this;
    }
    WavBuilder& Id(const char* id) { return Raw(id, 4); }
    WavBuilder& U32(uint32_t v) { return Raw(&v, 4); }
    WavBuilder& U16(uint16_t v) { return Raw(&v, 2); }
    // "RIFF", a size to patch (or the one given), "WAVE".
    WavBuilder& Riff(const char* form = "WAVE", const char* riff = "RIFF")
    {
        return Id(riff).U32(0).Id(form);
    }
    WavBuilder& Fmt(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, uint32_t size = 16,
                    int blockAlign = -1)
    {
        const uint16_t align = blockAlign >= 0 ? uint16_t(blockAlign) : uint16_t(channels * bits / 8);
        Id("fmt ").U32(size).U16(tag).U16(channels).U32(rate).U32(rate * align).U16(align).U16(bits);
        for (uint32_t i = 16; i < size; ++i) bytes.push_back(0);
        return *this;
    }
    WavBuilder& Chunk(const char* id, const std::vector<uint8_t>& body, bool pad = true, int64_t size = -1)
    {
        Id(id).U32(size >= 0 ? uint32_t(size) : uint32_t(body.size()));
        Raw(body.data(), body.size());
        if (pad && (body.size() & 1)) bytes.push_back(0);
        return *this;
    }
    WavBuilder& Data16(const std::vector<int16_t>& samples, int64_t size = -1)
    {
        std::vector<uint8_t> body(samples.size() * 2);
        std::memcpy(body.data(), samples.data(), body.size());
        return Chunk("data", body, true, size);
    }
    // Puts the true length into the RIFF header.
    WavBuilder& Close()
    {
        if (bytes.size() >= 8) {
            const uint32_t n = uint32_t(bytes.size() - 8);
            std::memcpy(&bytes[4], &n, 4);
        }
        return *this;
    }

    std::vector<uint8_t> bytes;
};

}  // namespace vorlune::test
