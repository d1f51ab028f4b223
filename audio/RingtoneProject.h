#pragma once

#include <string>

#include "audio/AudioDocument.h"
#include "io/PathText.h"

namespace vorlune {

class ProgressRange;

// What a render is asked to make, copied from the project when it starts.
struct RenderRequest {
    std::wstring sourcePath;
    std::wstring outputPath;
    double selectionStart = 0.0;
    double selectionEnd = 1.0;
    bool fadeIn = false;
    bool fadeOut = false;
};

// What the user chose: the song, the part of it (as fractions of its length),
// the fades and where the ringtone goes. The wizard fills it; a render job
// copies it as it starts and loads the song into its document.
class RingtoneProject {
public:
    std::wstring sourcePath;
    std::wstring outputPath;
    AudioDocument document;
    double selectionStart = 0.0;
    double selectionEnd = 1.0;
    int fadeIn = 0;
    int fadeOut = 0;

    // Forgets the song and the output; the selection and fades stay (they are
    // rewritten whenever the save step is entered).
    void Reset() noexcept;
    // Stores the two fractions in order, each within 0 .. 1.
    void SetSelection(double a, double b) noexcept;
    std::wstring GetSourcePath() const { return sourcePath; }
    std::wstring GetOutputPath() const { return outputPath; }
    RenderRequest Request() const
    {
        return {sourcePath, outputPath, selectionStart, selectionEnd, fadeIn != 0, fadeOut != 0};
    }
};

// Crop to the selection, then the fades: the edit stage of a render.
bool EditForRingtone(AudioDocument& document, double selectionStart, double selectionEnd, bool fadeIn, bool fadeOut,
                     ProgressRange& progress) noexcept;

}  // namespace vorlune
