#pragma once

#include <string>

namespace vorlune {

// Why a file cannot be taken as a song.
enum class SongProblem {
    kNone,
    kMissing,     // nothing by that name
    kFolder,      // a folder, not a file
    kInUse,       // another program holds it without sharing it
    kNoAccess,    // the user may not read it
    kEmpty,       // 0 bytes
    kTooLarge,    // beyond what the decoder reads (2 GB)
    kDamaged,     // it starts as an MP3 song but no frame of it decodes
    kNotMp3,      // something else under an MP3 name
};

// Opens the file and decodes the first frames of it with the program's own
// decoder, reading only its head, so the answer is quick for any size.
SongProblem CheckSong(const std::wstring& path) noexcept;

}  // namespace vorlune
