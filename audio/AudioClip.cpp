#include "audio/AudioClip.h"

#include <cmath>
#include <utility>

#include "io/ProgressRange.h"
#include "audio/WavReader.h"

namespace vorlune {

void AudioClip::Reset() noexcept
{
    format.Reset();
    frameCount = 0;
    byteCount = 0;
    buffer.Reset();
}

bool AudioClip::IsEmpty() const noexcept
{
    return format.IsEmpty() && frameCount == 0 && byteCount == 0 && buffer.IsEmpty();
}

bool AudioClip::IsLoaded() const noexcept
{
    if (!format.IsValid() || (format.cbSize != 0 && !format.extra)) return false;
    if (format.IsPcm() && frameCount == 0) return false;
    return byteCount != 0 && buffer.IsValid();
}

bool AudioClip::CreateSilent(bool stereo, int32_t frames, int32_t rate) noexcept
{
    if (!IsEmpty() || !buffer.IsEmpty() || frames <= 0 || rate <= 0) return false;
    const uint16_t channels = stereo ? 2 : 1;
    const uint64_t bytes = uint64_t(frames) * channels * 2;
    if (bytes > 0xFFFFFFFFull || int64_t(rate) * channels * 2 > INT32_MAX) return false;
    format.wFormatTag = AudioFormat::kPcm;
    format.nChannels = channels;
    format.nBlockAlign = uint16_t(channels * 2);
    format.wBitsPerSample = 16;
    format.nSamplesPerSec = rate;
    format.nAvgBytesPerSec = format.nBlockAlign * rate;
    format.cbSize = 0;
    frameCount = frames;
    byteCount = uint32_t(bytes);
    return buffer.Allocate(channels, frames, rate);
}

bool AudioClip::CreateSilentMs(bool stereo, uint32_t milliseconds, int32_t rate) noexcept
{
    if (milliseconds == 0 || rate <= 0) return false;
    const double frames = std::trunc(double(milliseconds) * rate * 0.001);
    if (frames < 1 || frames > INT32_MAX) return false;
    return CreateSilent(stereo, int32_t(frames), rate);
}

bool AudioClip::CopyTo(AudioClip& target, ProgressRange* progress) const noexcept
{
    bool ok = false;
    if (&target != this && !(progress && progress->IsCancelled()) && IsLoaded()) {
        if (!target.IsEmpty()) target.Reset();
        try {
            target.format = format;
            target.frameCount = frameCount;
            target.byteCount = byteCount;
            ok = buffer.CopyTo(target.buffer) && !(progress && progress->IsCancelled());
        } catch (...) {
            ok = false;
        }
        if (!ok) target.buffer.Reset();
    }
    return EndProgress(progress, ok);
}

bool AudioClip::LoadWav(const std::wstring& path, ProgressRange* progress) noexcept
{
    return vorlune::LoadWav(path, *this, progress);
}

void AudioClip::Swap(AudioClip& other) noexcept
{
    std::swap(format, other.format);
    std::swap(frameCount, other.frameCount);
    std::swap(byteCount, other.byteCount);
    buffer.Swap(other.buffer);
}

}  // namespace vorlune
