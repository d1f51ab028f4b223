#pragma once

#include <cstdint>
#include <memory>

namespace vorlune {

// The PCM format of a clip: the numbers of WAVEFORMATEX, plus its extra bytes.
struct AudioFormat {
    int16_t wFormatTag = 0;  // 1 = PCM, 0 = none
    uint16_t nChannels = 0;
    int32_t nSamplesPerSec = 0;
    int32_t nAvgBytesPerSec = 0;
    uint16_t nBlockAlign = 0;
    uint16_t wBitsPerSample = 0;
    uint16_t cbSize = 0;
    std::unique_ptr<uint8_t[]> extra;  // cbSize bytes, or null

    static constexpr int16_t kPcm = 1;

    AudioFormat() = default;
    AudioFormat(const AudioFormat& other) { CopyFrom(other); }
    AudioFormat& operator=(const AudioFormat& other)
    {
        if (this != &other) CopyFrom(other);
        return *this;
    }
    AudioFormat(AudioFormat&&) noexcept = default;
    AudioFormat& operator=(AudioFormat&&) noexcept = default;

    bool IsEmpty() const noexcept;
    bool IsValid() const noexcept;
    bool IsPcm() const noexcept { return wFormatTag == kPcm; }
    void Reset() noexcept { *this = AudioFormat(); }
    // Copies the numbers and, when cbSize is not 0, the extra bytes.
    void CopyFrom(const AudioFormat& other);
};

}  // namespace vorlune
