#include "audio/WavHeader.h"

#include <cstring>

#include "io/Stream.h"

namespace vorlune {
namespace {

void Put16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void Put32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

bool WriteU32At(Stream& stream, int32_t offset, uint32_t value)
{
    uint8_t bytes[4];
    Put32(bytes, value);
    return stream.Seek(offset, 0) && stream.Write(bytes, 4, 1) == 1;
}

}  // namespace

void MakeWavHeader(uint8_t (&h)[kWavHeaderBytes], const WAVEFORMATEX& f, uint32_t dataBytes)
{
    std::memcpy(h + 0, "RIFF", 4);
    Put32(h + 4, 36 + dataBytes);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    Put32(h + 16, 16);
    Put16(h + 20, WAVE_FORMAT_PCM);
    Put16(h + 22, f.nChannels);
    Put32(h + 24, f.nSamplesPerSec);
    Put32(h + 28, f.nAvgBytesPerSec);
    Put16(h + 32, f.nBlockAlign);
    Put16(h + 34, f.wBitsPerSample);
    std::memcpy(h + 36, "data", 4);
    Put32(h + 40, dataBytes);
}

bool WriteWavHeader(Stream& stream, const WAVEFORMATEX& format, uint32_t dataBytes)
{
    uint8_t header[kWavHeaderBytes];
    MakeWavHeader(header, format, dataBytes);
    return stream.Seek(0, 0) && stream.Write(header, kWavHeaderBytes, 1) == 1;
}

bool WriteWavHeader16(Stream& stream, uint16_t channels, uint32_t rate, uint32_t frames)
{
    WAVEFORMATEX f = {};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.nBlockAlign = uint16_t(channels * 2);
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    f.wBitsPerSample = 16;
    return WriteWavHeader(stream, f, frames * f.nBlockAlign);
}

bool PatchWavHeader(Stream& stream, uint32_t dataBytes)
{
    const bool ok = WriteU32At(stream, 4, 36 + dataBytes) && WriteU32At(stream, 40, dataBytes);
    return stream.SeekToEnd() && ok;
}

}  // namespace vorlune
