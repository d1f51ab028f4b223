#pragma once

#include <cstdint>
#include <string>

#include "audio/AudioFormat.h"

namespace vorlune {

class AudioClip;
class ProgressRange;
class Stream;

// Reads "RIFF", a length and "WAVE" from the start of the stream.
bool ReadRiffHeader(Stream& stream) noexcept;

// What a WAV file holds, found without reading its samples.
struct WavProbe {
    AudioFormat format;
    uint32_t byteCount = 0;  // bytes of sample data the file really holds
    int32_t frameCount = 0;  // whole frames in them (PCM only)
};

// Walks the file's chunks up to its data. Fails for a file that is not
// RIFF/WAVE, has no usable format before its data, or has no data at all.
bool ProbeWav(const std::wstring& path, WavProbe& probe) noexcept;

// Loads a RIFF/WAVE file into the clip. 8- and 16-bit PCM, mono or stereo, is
// read as it is; other encodings are first converted to PCM by the system's
// decoders into a temporary file, which is deleted afterwards. Whatever the
// file says, the load never reads or maps more than the file holds; on
// failure the clip is left empty.
bool LoadWav(const std::wstring& path, AudioClip& clip, ProgressRange* progress) noexcept;

// Loads an open PCM RIFF/WAVE stream, from its start, into the clip.
bool LoadPcmWav(Stream& stream, AudioClip& clip, ProgressRange* progress) noexcept;

}  // namespace vorlune
