// Loads a 10-minute 44.1 kHz stereo 16-bit WAV file (about 100 MB) into a
// float clip and prints the rate and the process's peak private memory: the
// samples live in mapped files, so private memory must stay small.
#include <windows.h>

#include <psapi.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "audio/AudioClip.h"
#include "audio/TempFile.h"
#include "audio/WavHeader.h"
#include "io/MappedFileStream.h"
#include "bench/BenchClock.h"

using namespace vorlune;

namespace {

size_t PeakPrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX pmc = {};
    pmc.cb = sizeof(pmc);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof(pmc));
    return pmc.PeakPagefileUsage;  // the peak of committed private memory
}

bool MakeInput(const std::wstring& path, uint32_t frames)
{
    MappedFileStream out;
    if (!out.Create(path, 4096) || !WriteWavHeader16(out, 2, 44100, frames)) return false;
    std::vector<int16_t> block(2 * 65536);
    for (uint32_t done = 0; done < frames;) {
        const uint32_t n = std::min<uint32_t>(65536, frames - done);
        for (uint32_t i = 0; i < n; ++i) {
            block[2 * i] = int16_t((done + i) * 13);
            block[2 * i + 1] = int16_t((done + i) * 29);
        }
        if (out.Write(block.data(), 4, n) != n) return false;
        done += n;
    }
    return true;
}

}  // namespace

int wmain()
{
    const uint32_t frames = 10 * 60 * 44100;
    TempFile input(MakeTempFilePath());
    if (input.Empty() || !MakeInput(input.Path(), frames)) {
        fwprintf(stderr, L"cannot make the input file\n");
        return 1;
    }
    const double mb = (44.0 + frames * 4.0) / (1024.0 * 1024.0);
    const size_t before = PeakPrivateBytes();
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        AudioClip clip;
        const double t0 = Seconds();
        if (!clip.LoadWav(input.Path(), nullptr) || clip.frameCount != int32_t(frames)) {
            fwprintf(stderr, L"load failed\n");
            return 1;
        }
        best = std::min(best, Seconds() - t0);
    }
    const size_t peak = PeakPrivateBytes();
    wprintf(L"load_wav: %.1f MB in %.3f s = %.0f MB/s; peak private memory %.1f MB (%.1f MB before loading)\n", mb,
            best, mb / best, peak / 1048576.0, before / 1048576.0);
    return 0;
}
