#pragma once

#include <cstdint>

#include "audio/ChannelSamples.h"

namespace vorlune {

class ProgressRange;
class Stream;
struct AudioFormat;

// The samples of a clip: one float array per channel (mono or stereo).
class SampleBuffer {
public:
    uint16_t channels = 0;
    int32_t frames = 0;
    int32_t rate = 0;
    ChannelSamples first;   // left, or the only channel
    ChannelSamples second;  // right; empty for mono

    void Reset() noexcept;
    bool Allocate(uint16_t channelCount, int32_t frameCount, int32_t sampleRate) noexcept;

    bool IsEmpty() const noexcept;
    bool IsValid() const noexcept;
    bool IsConsistent() const noexcept;
    bool IsMono() const noexcept { return IsValid() && channels == 1; }
    bool IsStereo() const noexcept { return IsValid() && channels == 2 && second.IsAllocated(); }

    ChannelSamples& Channel(int i) noexcept { return i == 0 ? first : second; }
    const ChannelSamples& Channel(int i) const noexcept { return i == 0 ? first : second; }

    // Reads frameCount frames of 8- or 16-bit PCM from the stream's position
    // into a fresh buffer. A short read keeps what it got.
    bool ReadPcm(Stream& stream, const AudioFormat& format, int32_t frameCount, ProgressRange* progress) noexcept;

    // Writes up to maxFrames frames from firstFrame on as interleaved 16-bit
    // samples; returns the samples written (frames x channels).
    int32_t FillInterleaved16(int16_t* out, int32_t firstFrame, int32_t maxFrames) const noexcept;

    // A consistent copy in new stores of this buffer's samples.
    bool CopyTo(SampleBuffer& target) const noexcept;

    void Swap(SampleBuffer& other) noexcept;
};

}  // namespace vorlune
