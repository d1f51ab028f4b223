#pragma once

#include <map>
#include <string>
#include <vector>

namespace vorlune::test {

// What an independent reader finds in an MP3 file: mutagen for the tags and
// ffmpeg for the audio (tests/fixtures/tag_fixtures.py, run through
// tagdump.sh). Values are UTF-8.
struct TagDump {
    bool ok = false;
    std::string output;                         // the whole answer, for messages
    std::map<std::string, std::string> fields;  // title, artist, ..., version, frames, length, samples
    std::vector<std::string> comments;
    std::vector<std::string> pictures;          // "type mime size sha256", in the file's order

    std::string Get(const char* key) const;
};

TagDump DumpTags(const std::wstring& mp3);

// The ringtone holds the song's tags in an ID3v2.3 tag: the same title,
// artist, album artist, album, year, track, genre, comments and composer, the
// same pictures byte for byte with the front cover first, and none of the
// frames that describe the song's audio.
void ExpectCopiedTags(const TagDump& song, const TagDump& ringtone);

}  // namespace vorlune::test
