#pragma once

#include <string>

#include "audio/RenderJob.h"
#include "audio/SongCheck.h"

namespace vorlune {

// The line under a message box's first one that tells the user why, in words
// they can act on. Empty when there is nothing to add.
std::wstring SongProblemText(SongProblem why);
std::wstring RenderFailureText(RenderFailure why);

// Said when a file without the .mp3 extension is chosen.
constexpr wchar_t kNotMp3Name[] = L"Only files whose names end in .mp3 can be used.";
// Said when the preview cannot load a song that passed the check.
constexpr wchar_t kSongCannotPlay[] = L"The song cannot be played.";

}  // namespace vorlune
