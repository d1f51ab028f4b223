#pragma once

#include <windows.h>

#include <dshow.h>

#include <cstdint>
#include <string>

namespace vorlune {

class ProgressRange;

// What a file's extension says it holds.
enum SourceKind : int {
    kSourceUnknown = -1,
    kSourceMp3 = 0,
    kSourceWav = 1,  // also ".pcm"
    kSourceWma = 2,
};

// Graph waits end with the graph's event code, or one of these.
constexpr long kWaitCancelled = 2;
constexpr long kWaitFailed = 3;

SourceKind ClassifyExtension(const std::wstring& path);

// The graph's duration in seconds; 0 when it cannot say.
double GetDurationSeconds(IGraphBuilder* graph);

// Waits for the running graph to end while serving this thread's windows.
long WaitPumping(IGraphBuilder* graph);
// Waits for the running graph to end, moving progress by the growth of the
// output file towards expectedBytes; a cancelled range ends the wait.
long WaitWithProgress(IGraphBuilder* graph, ProgressRange* progress, const std::wstring& outputPath,
                      uint64_t expectedBytes);

// Decodes a compressed audio file through the system's DirectShow filters into
// a PCM WAV file. The calling thread must have initialised COM.
bool ConvertToWav(const std::wstring& sourcePath, const std::wstring& outputPath, ProgressRange* progress);

}  // namespace vorlune
