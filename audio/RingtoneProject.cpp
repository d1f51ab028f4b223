#include "audio/RingtoneProject.h"

#include <windows.h>

#include <algorithm>
#include <cmath>

#include "io/ProgressRange.h"
#include "win/Handle.h"

namespace vorlune {

void RingtoneProject::Reset() noexcept
{
    sourcePath.clear();
    outputPath.clear();
    document.Reset();
}

void RingtoneProject::SetSelection(double a, double b) noexcept
{
    if (!std::isfinite(a)) a = 0.0;
    if (!std::isfinite(b)) b = 1.0;
    selectionStart = std::clamp(std::min(a, b), 0.0, 1.0);
    selectionEnd = std::clamp(std::max(a, b), 0.0, 1.0);
}

bool EditForRingtone(AudioDocument& document, double start, double end, bool fadeIn, bool fadeOut,
                     ProgressRange& progress) noexcept
{
    const uint32_t range = progress.Range();
    const uint32_t cropShare = uint32_t(range * 0.8);
    const uint32_t fadeInShare = uint32_t(range * 0.1);
    const uint32_t fadeOutShare = range - cropShare - fadeInShare;
    if (progress.IsCancelled() || !document.IsLoaded()) return false;

    start = std::clamp(start, 0.0, 1.0);
    end = std::clamp(end, 0.0, 1.0);
    if ((start > 0.0 || end < 1.0) && start < end) {
        const double frames = document.Clip().buffer.frames;
        if (!document.Crop(int32_t(start * frames), int32_t(end * frames), false)) return false;
    }
    if (progress.IsCancelled()) return false;
    progress.Advance(int32_t(cropShare));

    const AudioClip& clip = document.Clip();
    const int32_t length = FadeLength(clip.Duration(), clip.buffer.rate);
    if (fadeIn && length > 0 && !document.FadeIn(0, length)) return false;
    if (progress.IsCancelled()) return false;
    progress.Advance(int32_t(fadeInShare));

    const int32_t frames = clip.buffer.frames;
    if (fadeOut && length > 0 && !document.FadeOut(std::max(0, frames - length), frames)) return false;
    if (progress.IsCancelled()) return false;
    progress.Advance(int32_t(fadeOutShare));
    return true;
}

}  // namespace vorlune
