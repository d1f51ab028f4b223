#include "app/FailureText.h"

namespace vorlune {

std::wstring SongProblemText(SongProblem why)
{
    switch (why) {
    case SongProblem::kNone:
        return {};
    case SongProblem::kMissing:
        return L"The file does not exist.";
    case SongProblem::kFolder:
        return L"This is a folder, not a song.";
    case SongProblem::kInUse:
        return L"The file is in use by another program.";
    case SongProblem::kNoAccess:
        return L"You are not allowed to read this file.";
    case SongProblem::kEmpty:
        return L"The file is empty.";
    case SongProblem::kTooLarge:
        return L"The file is too large (more than 2 GB).";
    case SongProblem::kDamaged:
        return L"The song is damaged: no part of it can be read.";
    case SongProblem::kNotMp3:
        break;
    }
    return L"This is not an MP3 song.";
}

std::wstring RenderFailureText(RenderFailure why)
{
    switch (why) {
    case RenderFailure::kNone:
    case RenderFailure::kCancelled:
    case RenderFailure::kOther:
        return {};
    case RenderFailure::kSongMissing:
        return L"The song is no longer there.";
    case RenderFailure::kSongInUse:
        return L"The song is in use by another program.";
    case RenderFailure::kSongUnreadable:
        return L"The song is damaged or is not an MP3 song.";
    case RenderFailure::kSongChanged:
        return L"The song changed while it was read.";
    case RenderFailure::kEncoderMissing:
        return L"lame_enc.dll is missing from the program's folder.";
    case RenderFailure::kOutputFolderMissing:
        return L"The folder for the ringtone does not exist.";
    case RenderFailure::kOutputNotWritable:
        return L"The ringtone cannot be written there: the folder may be read-only, or the file open in "
               L"another program.";
    case RenderFailure::kOutputInUse:
        return L"The file is open in another program.";
    case RenderFailure::kOutputIsSong:
        return L"The ringtone would replace the song itself.";
    case RenderFailure::kDiskFull:
        return L"The disk is full.";
    case RenderFailure::kTempDiskFull:
        return L"The disk with the temporary folder is full.";
    }
    return {};
}

}  // namespace vorlune
