#include "audio/SongCheck.h"

#include <windows.h>

#include <climits>

#include "audio/Mp3Decoder.h"
#include "io/FileUtil.h"
#include "win/Handle.h"

namespace vorlune {
namespace {

// What the first bytes say: an ID3 tag or an MPEG audio frame header begins
// an MP3 song, so one that then does not decode is a damaged song.
bool StartsAsMp3(HANDLE file) noexcept
{
    unsigned char head[3] = {};
    DWORD got = 0;
    if (!::ReadFile(file, head, sizeof(head), &got, nullptr) || got < 2) return false;
    if (got == 3 && head[0] == 'I' && head[1] == 'D' && head[2] == '3') return true;
    return head[0] == 0xFF && (head[1] & 0xE0) == 0xE0;
}

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
        if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return SongProblem::kInUse;
        if (error == ERROR_ACCESS_DENIED) return SongProblem::kNoAccess;
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return SongProblem::kMissing;
        return SongProblem::kNotMp3;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size)) return SongProblem::kNotMp3;
    if (size.QuadPart == 0) return SongProblem::kEmpty;
    if (size.QuadPart > LONG_MAX) return SongProblem::kTooLarge;
    const bool looksLikeMp3 = StartsAsMp3(file.Get());
    file.Reset();

    Mp3Decoder decoder;
    if (decoder.ProbeHead(path)) return SongProblem::kNone;
    return looksLikeMp3 ? SongProblem::kDamaged : SongProblem::kNotMp3;
}

}  // namespace vorlune
