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

bool IsSameFile(const std::wstring& a, const std::wstring& b) noexcept
{
    wchar_t fa[MAX_PATH * 4], fb[MAX_PATH * 4];
    const DWORD na = GetFullPathNameW(a.c_str(), MAX_PATH * 4, fa, nullptr);
    const DWORD nb = GetFullPathNameW(b.c_str(), MAX_PATH * 4, fb, nullptr);
    if (na && nb && na < MAX_PATH * 4 && nb < MAX_PATH * 4 && CompareStringOrdinal(fa, -1, fb, -1, TRUE) == CSTR_EQUAL)
        return true;
    // Two existing names for one file (short names, links): compare identities.
    KernelHandle ha(CreateFileW(a.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    KernelHandle hb(CreateFileW(b.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION ia, ib;
    if (!ha || !hb || !GetFileInformationByHandle(ha.Get(), &ia) || !GetFileInformationByHandle(hb.Get(), &ib))
        return false;
    return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
           ia.nFileIndexLow == ib.nFileIndexLow;
}

}  // namespace vorlune
