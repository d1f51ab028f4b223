#include "audio/SampleBuffer.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "audio/AudioFormat.h"
#include "audio/CpuYield.h"
#include "io/ProgressRange.h"
#include "audio/SampleConvert.h"
#include "io/Stream.h"
#include "win/Error.h"

namespace vorlune {

void SampleBuffer::Reset() noexcept
{
    channels = 0;
    frames = 0;
    rate = 0;
    first.Release();
    second.Release();
}

bool SampleBuffer::Allocate(uint16_t channelCount, int32_t frameCount, int32_t sampleRate) noexcept
{
    Reset();
    if (channelCount < 1 || channelCount > 2 || frameCount <= 0 || sampleRate <= 0) return false;
    if (!first.Allocate(frameCount) || (channelCount == 2 && !second.Allocate(frameCount))) {
        Reset();
        return false;
    }
    channels = channelCount;
    frames = frameCount;
    rate = sampleRate;
    return true;
}

bool SampleBuffer::IsEmpty() const noexcept
{
    return channels == 0 && frames == 0 && rate == 0 && !first.IsAllocated() && !second.IsAllocated();
}

bool SampleBuffer::IsValid() const noexcept
{
    if (channels < 1 || channels > 2 || frames == 0 || rate == 0 || !first.IsAllocated()) return false;
    return channels == 1 || second.IsAllocated();
}

bool SampleBuffer::IsConsistent() const noexcept
{
    if (IsEmpty()) return true;
    if (!IsValid()) return false;
    for (int c = 0; c < channels; ++c) {
        const ChannelSamples& ch = Channel(c);
        if (ch.Count() != frames || ch.Offset() != 0) return false;
    }
    return true;
}

bool SampleBuffer::ReadPcm(Stream& stream, const AudioFormat& format, int32_t frameCount,
                           ProgressRange* progress) noexcept
{
    const bool ok = Guarded([&] {
        Check(IsEmpty() && stream.IsOpen() && format.IsPcm() && format.IsValid());
        Check(format.nChannels == 1 || format.nChannels == 2);
        Check(format.wBitsPerSample == 8 || format.wBitsPerSample == 16);
        Check(Allocate(format.nChannels, frameCount, format.nSamplesPerSec));

        const int32_t chunk = SampleStore::BlockSize();
        const int32_t chunks = (frameCount + chunk - 1) / chunk;
        std::vector<uint8_t> pcm(size_t(chunk) * format.nBlockAlign);
        const bool eight = format.wBitsPerSample == 8;
        CpuYield yield;
        int32_t at = 0;
        for (int32_t i = 0; i < chunks; ++i) {
            const int32_t want = std::min(chunk, frameCount - at);
            const int32_t got = int32_t(stream.Read(pcm.data(), format.nBlockAlign, uint32_t(want)));
            if (got <= 0) break;
            for (int c = 0; c < channels; ++c) {
                const uint8_t* src = pcm.data() + (eight ? c : 2 * c);
                const int step = format.nBlockAlign;
                Check(Channel(c).ForEachRun(at, got, [&](float* run, int32_t n, int32_t index) {
                    const uint8_t* p = src + size_t(index - at) * step;
                    if (eight) {
                        for (int32_t k = 0; k < n; ++k, p += step) run[k] = FromPcm8(*p);
                    } else {
                        for (int32_t k = 0; k < n; ++k, p += step) {
                            int16_t s;
                            std::memcpy(&s, p, 2);
                            run[k] = FromPcm16(s);
                        }
                    }
                }));
            }
            at += got;
            Check(!(progress && progress->IsCancelled()));
            if (progress) progress->SetPercent(float((i + 1) * 100.0 / chunks));
            yield.Tick();
            if (got < want) break;
        }
        // A short read: the frames that never came are silence, not garbage.
        if (at < frameCount) {
            for (int c = 0; c < channels; ++c)
                Check(Channel(c).ForEachRun(at, frameCount - at,
                                            [](float* run, int32_t n, int32_t) { std::fill(run, run + n, 0.0f); }));
        }
        return true;
    });
    if (!ok) Reset();
    return ok;
}

int32_t SampleBuffer::FillInterleaved16(int16_t* out, int32_t firstFrame, int32_t maxFrames) const noexcept
{
    if (!out || !IsValid() || firstFrame < 0 || maxFrames <= 0 || firstFrame >= frames) return 0;
    const int32_t n = std::min(maxFrames, frames - firstFrame);
    for (int c = 0; c < channels; ++c) {
        const bool ok = const_cast<ChannelSamples&>(Channel(c)).ForEachRun(
            firstFrame, n, [&](float* run, int32_t count, int32_t index) {
                int16_t* dst = out + size_t(index - firstFrame) * channels + c;
                for (int32_t k = 0; k < count; ++k, dst += channels) *dst = ToPcm16(run[k]);
            });
        if (!ok) return 0;
    }
    return n * channels;
}

bool SampleBuffer::CopyTo(SampleBuffer& target) const noexcept
{
    if (!IsValid() || &target == this) return false;
    SampleBuffer copy;
    if (!copy.Allocate(channels, frames, rate)) return false;
    for (int c = 0; c < channels; ++c)
        if (!ChannelSamples::Copy(const_cast<ChannelSamples&>(Channel(c)), 0, copy.Channel(c), 0, frames))
            return false;
    target.Swap(copy);
    return true;
}

void SampleBuffer::Swap(SampleBuffer& other) noexcept
{
    std::swap(channels, other.channels);
    std::swap(frames, other.frames);
    std::swap(rate, other.rate);
    std::swap(first, other.first);
    std::swap(second, other.second);
}

}  // namespace vorlune
