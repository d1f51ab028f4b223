// Encodes a WAV file through lame_enc.dll with the ringtone's settings several
// times and prints the best time: bench_mp3_encode INPUT.wav [RUNS [KEEP.mp3]].
// Loading the clip is not timed; KEEP.mp3 gets the last ringtone. The last line, "seconds=...", is read by
// tools/bench.sh.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "audio/AudioClip.h"
#include "audio/Mp3Encoder.h"
#include "audio/TempFile.h"
#include "io/FileUtil.h"
#include "bench/BenchClock.h"

using namespace vorlune;

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        fwprintf(stderr, L"usage: bench_mp3_encode INPUT.wav [RUNS [KEEP.mp3]]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, _wtoi(argv[2])) : 5;
    AudioClip clip;
    if (!clip.LoadWav(argv[1], nullptr)) {
        fwprintf(stderr, L"cannot load %ls\n", argv[1]);
        return 1;
    }
    Mp3Encoder& encoder = Mp3Encoder::Instance();
    if (!encoder.IsUsable()) {
        fwprintf(stderr, L"lame_enc.dll did not load\n");
        return 1;
    }
    double best = 1e30;
    uint64_t bytes = 0;
    for (int run = 0; run < runs; ++run) {
        TempFile mp3(MakeTempFilePath());
        const double t0 = Seconds();
        if (mp3.Empty() || !encoder.Encode(mp3.Path(), clip, nullptr)) {
            fwprintf(stderr, L"encoding failed\n");
            return 1;
        }
        best = std::min(best, Seconds() - t0);
        bytes = GetFileSizeByName(mp3.Path());
        if (argc > 3 && run + 1 == runs && !::CopyFileW(mp3.Path().c_str(), argv[3], FALSE)) {
            fwprintf(stderr, L"cannot write %ls\n", argv[3]);
            return 1;
        }
    }
    const double audio = clip.Duration();
    wprintf(L"mp3_encode: %.1f s of %d Hz audio into %.0f kB (%.0f kbit/s) in %.3f s, best of %d (%.0fx real time)\n",
            audio, clip.buffer.rate, bytes / 1024.0, bytes * 8.0 / 1000.0 / audio, best, runs, audio / best);
    wprintf(L"seconds=%.4f\n", best);
    return 0;
}
