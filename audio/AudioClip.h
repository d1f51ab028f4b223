#pragma once

#include <cstdint>
#include <string>

#include "audio/AudioFormat.h"
#include "audio/SampleBuffer.h"

namespace vorlune {

class ProgressRange;

// Something that can be emptied.
class Resettable {
public:
    virtual ~Resettable() = default;
    virtual void Reset() noexcept = 0;
};

// A sound being edited: its PCM format and its samples as floats in -1 .. 1,
// one temporary mapped store per channel.
class AudioClip : public Resettable {
public:
    AudioFormat format;
    int32_t frameCount = 0;
    uint32_t byteCount = 0;  // frameCount x nBlockAlign, as the PCM stood in its file
    SampleBuffer buffer;

    void Reset() noexcept override;
    bool IsEmpty() const noexcept;
    bool IsLoaded() const noexcept;

    // 16-bit PCM silence of the given length; only on an empty clip.
    bool CreateSilent(bool stereo, int32_t frames, int32_t rate) noexcept;
    bool CreateSilentMs(bool stereo, uint32_t milliseconds, int32_t rate) noexcept;

    // A consistent copy of this loaded clip in new stores of the target.
    bool CopyTo(AudioClip& target, ProgressRange* progress) const noexcept;

    // Loads a RIFF/WAVE file; compressed ones are converted to PCM first.
    bool LoadWav(const std::wstring& path, ProgressRange* progress) noexcept;

    double Duration() const noexcept { return buffer.rate ? double(buffer.frames) / buffer.rate : 0.0; }

    void Swap(AudioClip& other) noexcept;
};

}  // namespace vorlune
