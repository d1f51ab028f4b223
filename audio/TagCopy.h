#pragma once

#include <string>
#include <vector>

namespace vorlune {

// Copies a song's descriptive tags and pictures into its ringtone's ID3v2.3
// tag, straight from the files: title, artist, album artist, album, year,
// track, genre, comment, composer and the pictures, the front cover first.
// They come from the song's ID3v2 tag, or from its ID3v1 tag when it has no
// ID3v2 tag or one without any of them. What describes the song's audio (length, encoder settings,
// replay gain, seek tables, private frames) is left behind, and the
// ringtone's audio, with the encoder's Info tag, is kept as it is.
class TagCopy {
public:
    // Where a copy stopped.
    enum class Step {
        kNone,           // copied, or nothing to copy
        kReadSong,       // the song's tags could not be read
        kWriteRingtone,  // the ringtone's tag could not be written
    };

    // The names of the tags that are copied, in the order they are reported.
    static const std::vector<std::wstring>& Names();

    // Copies the tags. Never throws; false when a step failed, which leaves
    // the ringtone's audio as it was.
    bool Run(const std::wstring& song, const std::wstring& ringtone) noexcept;

    Step Failed() const noexcept { return failed_; }
    // The tags written into the ringtone ("title", "artist", ...), with
    // "picture" once per picture; empty when nothing was copied.
    const std::vector<std::wstring>& Copied() const noexcept { return copied_; }
    // Whether the song's tags came from its ID3v1 tag.
    bool FromId3v1() const noexcept { return fromId3v1_; }

private:
    Step failed_ = Step::kNone;
    std::vector<std::wstring> copied_;
    bool fromId3v1_ = false;
};

}  // namespace vorlune
