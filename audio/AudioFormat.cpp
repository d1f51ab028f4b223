#include "audio/AudioFormat.h"

#include <cstring>

namespace vorlune {

bool AudioFormat::IsEmpty() const noexcept
{
    return wFormatTag == 0 && nChannels == 0 && nSamplesPerSec == 0 && nAvgBytesPerSec == 0 && nBlockAlign == 0 &&
           wBitsPerSample == 0 && cbSize == 0 && !extra;
}

bool AudioFormat::IsValid() const noexcept
{
    if (wFormatTag == 0 || nChannels == 0 || nSamplesPerSec == 0 || nAvgBytesPerSec == 0 || nBlockAlign == 0)
        return false;
    if (wBitsPerSample < 2) return false;
    if (IsPcm()) {
        if (int64_t(nAvgBytesPerSec) != int64_t(nSamplesPerSec) * nBlockAlign) return false;
        if (nBlockAlign != nChannels * wBitsPerSample / 8) return false;
        if (cbSize != 0) return false;
    }
    return true;
}

void AudioFormat::CopyFrom(const AudioFormat& other)
{
    wFormatTag = other.wFormatTag;
    nChannels = other.nChannels;
    nSamplesPerSec = other.nSamplesPerSec;
    nAvgBytesPerSec = other.nAvgBytesPerSec;
    nBlockAlign = other.nBlockAlign;
    wBitsPerSample = other.wBitsPerSample;
    cbSize = other.cbSize;
    if (cbSize == 0) {
        extra.reset();
        return;
    }
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[cbSize]);
    if (other.extra)
        std::memcpy(bytes.get(), other.extra.get(), cbSize);
    else
        std::memset(bytes.get(), 0, cbSize);
    extra = std::move(bytes);
}

}  // namespace vorlune
