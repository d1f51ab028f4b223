// Decodes an MP3 song to a temporary WAV file several times and prints the
// best time: bench_mp3_decode SONG.mp3 [RUNS]. The last line, "seconds=...",
// is read by tools/bench.sh.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "audio/Mp3Decoder.h"
#include "audio/TempFile.h"
#include "io/FileUtil.h"
#include "bench/BenchClock.h"

using namespace vorlune;

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        fwprintf(stderr, L"usage: bench_mp3_decode SONG.mp3 [RUNS]\n");
        return 2;
    }
    const std::wstring song = argv[1];
    const int runs = argc > 2 ? std::max(1, _wtoi(argv[2])) : 5;
    double best = 1e30;
    uint64_t bytes = 0;
    for (int run = 0; run < runs; ++run) {
        TempFile wav(MakeTempFilePath());
        Mp3Decoder decoder;
        const double t0 = Seconds();
        if (wav.Empty() || !decoder.DecodeToWav(wav.Path(), song, nullptr)) {
            fwprintf(stderr, L"decoding failed: %hs\n", decoder.LastError());
            return 1;
        }
        best = std::min(best, Seconds() - t0);
        bytes = GetFileSizeByName(wav.Path());
    }
    const double audio = (bytes - 44) / (44100.0 * 4.0);
    wprintf(L"mp3_decode: %.1f s of 44.1 kHz stereo audio (%.1f MB of WAV) in %.3f s, best of %d (%.0fx real time)\n",
            audio, bytes / 1048576.0, best, runs, audio / best);
    wprintf(L"seconds=%.4f\n", best);
    return 0;
}
