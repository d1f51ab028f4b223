#include "audio/SongCheck.h"

#include <windows.h>

#include <climits>
#include <cstring>

#include "audio/Mp3Decoder.h"
#include "io/FileUtil.h"
#include "win/Handle.h"

namespace vorlune {
namespace {

constexpr DWORD kHeadBytes = 64;
// Songs may have some junk between their tag and their first frame; frames
// found further in are sync words that foreign data happens to hold.
constexpr int64_t kMostJunk = 64 * 1024;

// The first bytes of the file, as far as it has them.
struct Head {
    unsigned char bytes[kHeadBytes] = {};
    DWORD size = 0;

    bool Has(DWORD at, const char* text) const noexcept
    {
        const size_t n = std::strlen(text);
        return at + n <= size && std::memcmp(bytes + at, text, n) == 0;
    }
    // An ID3 tag or an MPEG audio frame header begins an MP3 song.
    bool StartsAsMp3() const noexcept
    {
        return Has(0, "ID3") || (size >= 2 && bytes[0] == 0xFF && (bytes[1] & 0xE0) == 0xE0);
    }
    // Where the audio starts after an ID3v2 tag (its size is four 7-bit bytes).
    int64_t AfterTag() const noexcept
    {
        if (!Has(0, "ID3") || size < 10) return 0;
        return 10 + ((int64_t{bytes[6]} & 0x7F) << 21 | (int64_t{bytes[7]} & 0x7F) << 14 |
                     (int64_t{bytes[8]} & 0x7F) << 7 | (int64_t{bytes[9]} & 0x7F));
    }
    // The marks of other kinds of media and documents, in which libmpg123
    // may still find a few frames' worth of sync words. A WAV file of MP3
    // data (format 0x55) is a song.
    bool IsForeign() const noexcept
    {
        if (Has(0, "RIFF") && Has(8, "WAVE"))
            return !(Has(12, "fmt ") && size >= 22 && bytes[20] == 0x55 && bytes[21] == 0);
        static const char* const kMarks[] = {"\x89PNG", "GIF8", "\xFF\xD8\xFF", "%PDF", "PK\x03\x04", "OggS",
                                             "fLaC", "\x1A\x45\xDF\xA3", "RIFF", "FORM", "MThd",
                                             "\x30\x26\xB2\x75"};
        for (const char* mark : kMarks)
            if (Has(0, mark)) return true;
        return Has(4, "ftyp") || Has(4, "moov") || Has(4, "mdat");  // MP4, M4A, MOV, 3GP
    }
};

}  // namespace

SongProblem CheckSong(const std::wstring& path) noexcept
{
    CriticalErrorsOff quiet;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return SongProblem::kMissing;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return SongProblem::kFolder;

    // Shared as the decoder shares it: a program writing to the song keeps it.
    KernelHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        if (IsInUseError(error)) return SongProblem::kInUse;
        if (error == ERROR_ACCESS_DENIED) return SongProblem::kNoAccess;
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return SongProblem::kMissing;
        return SongProblem::kNotMp3;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size)) return SongProblem::kNotMp3;
    if (size.QuadPart == 0) return SongProblem::kEmpty;
    if (size.QuadPart > LONG_MAX) return SongProblem::kTooLarge;
    Head head;
    if (!::ReadFile(file.Get(), head.bytes, kHeadBytes, &head.size, nullptr)) return SongProblem::kNotMp3;
    file.Reset();
    if (head.IsForeign()) return SongProblem::kNotMp3;

    Mp3Decoder decoder;
    int64_t firstFrameAt = -1;
    if (decoder.ProbeHead(path, firstFrameAt) && firstFrameAt >= 0 && firstFrameAt <= head.AfterTag() + kMostJunk)
        return SongProblem::kNone;
    return head.StartsAsMp3() ? SongProblem::kDamaged : SongProblem::kNotMp3;
}

}  // namespace vorlune
