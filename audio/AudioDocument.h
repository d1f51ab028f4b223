#pragma once

#include <cstdint>
#include <string>

#include "audio/AudioClip.h"
#include "audio/MediaInfo.h"
#include "audio/TagCopy.h"

namespace vorlune {

class Mp3Decoder;
class ProgressRange;

// The frames [first, end) of a song of `frames` frames that a selection of
// fractions start .. end covers; a selection that is not the whole song and
// has start < end is cut at the truncated products, anything else is the
// whole song.
struct FrameSpan {
    int64_t first;
    int64_t end;
};
FrameSpan SelectionFrames(double start, double end, int64_t frames) noexcept;


// The song being made into a ringtone: its samples and its tags.
class AudioDocument {
public:
    AudioDocument() = default;
    virtual ~AudioDocument() = default;
    AudioDocument(const AudioDocument&) = delete;
    AudioDocument& operator=(const AudioDocument&) = delete;

    virtual bool IsEmpty() const noexcept { return clip_.IsEmpty(); }
    virtual bool IsLoaded() const noexcept { return clip_.IsLoaded(); }
    virtual bool IsMono() const noexcept { return clip_.buffer.IsMono(); }
    virtual bool IsStereo() const noexcept { return clip_.buffer.IsStereo(); }
    // Empty, or loaded with every channel the length of the clip.
    virtual bool IsUsable() const noexcept;
    virtual double Duration() const noexcept { return clip_.Duration(); }
    virtual bool CreateSilentMs(bool stereo, uint32_t milliseconds, int32_t rate) noexcept;
    virtual void Reset() noexcept;

    // Decodes a whole MP3 file into the clip and reads its tags.
    virtual bool Open(const std::wstring& path, ProgressRange* progress) noexcept;
    // Decodes only the selection of an MP3 file into the clip and reads its
    // tags: the same samples as Open followed by the selection's crop.
    bool OpenSelection(const std::wstring& path, double start, double end, ProgressRange* progress) noexcept;
    // Decodes the part of an MP3 file between two times into the clip.
    virtual bool OpenRange(const std::wstring& mp3Path, uint32_t startMs, uint32_t endMs) noexcept;
    // Encodes the clip to an MP3 file and gives it the song's tags. The file
    // is made beside the output under a temporary name and only a finished
    // one replaces what stood at the path; on failure or cancel that stays
    // as it was and nothing else is left.
    virtual bool SaveMp3(const std::wstring& path, ProgressRange* progress) noexcept;

    virtual bool ToMono() noexcept;
    virtual bool ToStereo() noexcept;
    // Keeps frames [first, end) (remove false) or takes them out (remove true).
    virtual bool Crop(int32_t first, int32_t end, bool remove) noexcept;
    virtual bool ChangeVolume(int32_t first, int32_t end, double percent) noexcept;
    // Linear fades over samples [first, end) of each channel; first == end
    // means the whole channel.
    virtual bool FadeIn(int32_t first, int32_t end) noexcept;
    virtual bool FadeOut(int32_t first, int32_t end) noexcept;

    // Where the tags are read and written; the shell unless set (tests, or
    // platforms without the shell's property handlers). Not owned.
    void SetPropertyBinder(PropertyBinder* binder) noexcept { binder_ = binder; }

    // What the last SaveMp3 did with the song's tags: the direct copy, and
    // the write through the shell (only tried when the shell read tags).
    struct TagReport {
        enum class Shell { kNotTried, kWritten, kFailed };
        TagCopy copy;
        Shell shell = Shell::kNotTried;
    };
    const TagReport& Tags() const noexcept { return tags_; }

    AudioClip& Clip() noexcept { return clip_; }
    const AudioClip& Clip() const noexcept { return clip_; }
    MediaInfo& Info() noexcept { return info_; }
    const MediaInfo& Info() const noexcept { return info_; }

private:
    // Decodes frames [first, end) of the decoder's open song into the clip.
    bool LoadFrames(Mp3Decoder& decoder, const FrameSpan& span, ProgressRange* progress);

    template <class Fn>
    bool ForEachChannelRange(int32_t first, int32_t end, Fn&& fn) noexcept;

    PropertyBinder& Binder() noexcept;

    AudioClip clip_;
    MediaInfo info_;
    std::wstring songPath_;  // the opened song, whose tags the ringtone gets
    TagReport tags_;
    PropertyBinder* binder_ = nullptr;
    ShellPropertyBinder shell_;
};

// Frames a ringtone fades over: 1.5 s, half of a clip shorter than 3 s, and
// nothing for one shorter than 0.3 s.
int32_t FadeLength(double seconds, int32_t rate) noexcept;

}  // namespace vorlune
