#pragma once

#include <windows.h>

#include <mmreg.h>

#include <cstdint>

namespace vorlune {

class Stream;

constexpr uint32_t kWavHeaderBytes = 44;
// The RIFF size field (36 + data) must fit in 32 bits.
constexpr uint64_t kMaxWavDataBytes = 0xFFFFFFFFull - 36;

// Fills the 44-byte header of a plain PCM WAV file: "RIFF", "WAVE", a 16-byte
// "fmt " chunk and the "data" chunk header. Nothing else is ever written.
void MakeWavHeader(uint8_t (&header)[kWavHeaderBytes], const WAVEFORMATEX& format, uint32_t dataBytes);

// Writes the header at the start of the stream; the stream is left after it.
bool WriteWavHeader(Stream& stream, const WAVEFORMATEX& format, uint32_t dataBytes);
// The same for 16-bit samples, the format every decoder here writes.
bool WriteWavHeader16(Stream& stream, uint16_t channels, uint32_t rate, uint32_t frames);
// Rewrites the two sizes for dataBytes of samples and leaves the stream at its end.
bool PatchWavHeader(Stream& stream, uint32_t dataBytes);

}  // namespace vorlune
