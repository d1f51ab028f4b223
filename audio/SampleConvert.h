#pragma once

#include <cmath>
#include <cstdint>

namespace vorlune {

// PCM to float on reading, float to 16-bit PCM on encoding.
inline float FromPcm16(int16_t s) noexcept { return float(s) * (1.0f / 32768.0f); }
inline float FromPcm8(uint8_t u) noexcept { return float(int(u) - 128) * (1.0f / 128.0f); }

inline int16_t ToPcm16(float x) noexcept
{
    if (!(x == x)) return 0;  // NaN carries no sound
    const double y = std::trunc(double(x) * 32768.0 + 0.5);
    if (y < -32768.0) return -32768;
    if (y >= 32768.0) return 32767;
    return static_cast<int16_t>(y);
}

inline float ClampSample(float x) noexcept
{
    if (!(x == x)) return 0.0f;
    return x < -1.0f ? -1.0f : (x > 1.0f ? 1.0f : x);
}

}  // namespace vorlune
