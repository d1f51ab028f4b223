// vorlune-render: makes a ringtone from the command line with the same
// engine and render job as the program, its messages arriving at a
// message-only window on this thread.
#include <windows.h>

#include <psapi.h>

#include <atomic>
#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

#include "audio/Mp3Decoder.h"
#include "audio/Mp3Encoder.h"
#include "audio/RenderJob.h"
#include "audio/RingtoneProject.h"
#include "audio/TempFile.h"
#include "io/PathText.h"
#include "cli/RenderCommand.h"
#include "io/FileUtil.h"
#include "win/Handle.h"

using namespace vorlune;
using namespace vorlune::cli;

namespace {

constexpr int kDone = 0, kFailed = 1, kUsageError = 2, kInterrupted = 130;
// How long the job's messages may wait to be read; also how soon Ctrl+C
// is heard.
constexpr DWORD kBatchMilliseconds = 15;

std::atomic<bool> g_interrupted{false};

bool IsConsole(HANDLE h)
{
    DWORD mode;
    return GetConsoleMode(h, &mode) != 0;
}

// Text to a console as it is, elsewhere as UTF-8.
void Write(HANDLE h, const std::wstring& text)
{
    DWORD done;
    if (IsConsole(h)) {
        WriteConsoleW(h, text.c_str(), DWORD(text.size()), &done, nullptr);
        return;
    }
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size_t(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), &bytes[0], n, nullptr, nullptr);
    WriteFile(h, bytes.data(), DWORD(bytes.size()), &done, nullptr);
}
void Out(const std::wstring& text) { Write(GetStdHandle(STD_OUTPUT_HANDLE), text); }
void Err(const std::wstring& text) { Write(GetStdHandle(STD_ERROR_HANDLE), text); }
int Fail(const std::wstring& what)
{
    Err(L"vorlune-render: " + what + L"\n");
    return kFailed;
}

double Now()
{
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(f.QuadPart);
}

BOOL WINAPI OnConsoleControl(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    g_interrupted = true;
    return TRUE;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// The progress of the job on standard error: one line that updates itself
// on a console, a line every tenth elsewhere.
class ProgressBar {
public:
    ProgressBar() : console_(IsConsole(GetStdHandle(STD_ERROR_HANDLE))) {}

    void Show(uint32_t position, uint32_t range)
    {
        if (range == 0) return;
        const int percent = int(uint64_t(position) * 100 / range);
        if (console_) {
            if (percent == shown_) return;
            const int filled = percent * 30 / 100;
            Err(L"\r[" + std::wstring(size_t(filled), L'#') + std::wstring(size_t(30 - filled), L'.') + L"] " +
                std::to_wstring(percent) + L"% " + Stage(position));
        } else {
            if (percent / 10 == shown_ / 10 && shown_ >= 0) return;
            Err(L"progress " + std::to_wstring(percent / 10 * 10) + L"% " + Stage(position) + L"\n");
        }
        shown_ = percent;
    }
    void Done()
    {
        if (console_ && shown_ >= 0) Err(L"\n");
    }

private:
    static std::wstring Stage(uint32_t position)
    {
        if (position < kOpenUnits / 2) return L"decoding   ";
        if (position < kOpenUnits) return L"loading    ";
        if (position < kOpenUnits + kEditUnits) return L"editing    ";
        return L"encoding   ";
    }
    bool console_;
    int shown_ = -1;
};

// The system's own words for an error.
std::wstring SystemText(DWORD error)
{
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    const LocalMemory owner(text);
    std::wstring words = n && text ? std::wstring(text, n) : L"error " + std::to_wstring(error);
    while (!words.empty() && (iswspace(words.back()) || words.back() == L'.')) words.pop_back();
    return words;
}

// What the user reads when the ringtone could not be made, with the
// system's words for the error behind it.
std::wstring Reason(RenderFailure why, DWORD error, const std::wstring& song, const std::wstring& output)
{
    std::wstring text;
    switch (why) {
    case RenderFailure::kSongMissing:
        text = L"cannot find the song: " + song;
        break;
    case RenderFailure::kSongInUse:
        text = L"the song is in use by another program: " + song;
        break;
    case RenderFailure::kSongUnreadable:
        text = L"not an MP3 song, or a damaged one: " + song;
        break;
    case RenderFailure::kSongChanged:
        text = L"the song changed or was cut short while it was read: " + song;
        break;
    case RenderFailure::kEncoderMissing:
        text = L"the encoder library lame_enc.dll was not found next to vorlune-render.exe or in the system "
               L"folder";
        break;
    case RenderFailure::kOutputFolderMissing:
        text = L"the folder for the ringtone does not exist: " + FolderOf(output);
        break;
    case RenderFailure::kOutputNotWritable:
        text = L"the ringtone could not be written: " + output;
        break;
    case RenderFailure::kOutputInUse:
        text = L"another program holds the file the ringtone would replace: " + output;
        break;
    case RenderFailure::kOutputIsSong:
        text = L"the ringtone would overwrite the song: " + output;
        break;
    case RenderFailure::kDiskFull:
        text = L"the disk is full: no room for the ringtone in " + FolderOf(output);
        break;
    case RenderFailure::kTempDiskFull:
        text = L"the disk is full: no room in the temporary folder " + TempDirectory();
        break;
    case RenderFailure::kCancelled:
        text = L"stopped";
        break;
    default:
        text = L"the ringtone could not be made";
        break;
    }
    return error == NO_ERROR ? text : text + L" (" + SystemText(error) + L")";
}

// The file's size from its directory entry, also for a path longer than
// MAX_PATH (which GetFileSizeByName's search refuses).
uint64_t FileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(LongPath(path).c_str(), GetFileExInfoStandard, &data)) return 0;
    return uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow;
}

std::wstring Megabytes(uint64_t bytes)
{
    wchar_t buf[32];
    if (bytes < 1024 * 1024)
        swprintf(buf, 32, L"%.1f KB", bytes / 1024.0);
    else
        swprintf(buf, 32, L"%.2f MB", bytes / 1048576.0);
    return buf;
}

// Which of the song's tags the ringtone got, and which step failed.
std::wstring TagSummary(const AudioDocument::TagReport& tags)
{
    std::wstring line;
    switch (tags.copy.Failed()) {
    case TagCopy::Step::kReadSong:
        line = L"not copied: the song's tags could not be read";
        break;
    case TagCopy::Step::kWriteRingtone:
        line = L"not copied: the ringtone's tag could not be written";
        break;
    case TagCopy::Step::kNone: {
        const std::vector<std::wstring>& copied = tags.copy.Copied();
        if (copied.empty()) {
            line = L"none in the song";
            break;
        }
        int pictures = 0;
        for (const std::wstring& name : copied) {
            if (name == L"picture") {
                ++pictures;
                continue;
            }
            line += (line.empty() ? L"" : L", ") + name;
        }
        if (pictures) {
            line += (line.empty() ? L"" : L", ") + std::to_wstring(pictures);
            line += pictures == 1 ? L" picture" : L" pictures";
        }
        line += tags.copy.FromId3v1() ? L" (from the song's ID3v1 tag)" : L" (from the song's ID3v2 tag)";
        break;
    }
    }
    if (tags.shell == AudioDocument::TagReport::Shell::kWritten)
        line += L"; written through the shell too";
    else if (tags.shell == AudioDocument::TagReport::Shell::kFailed)
        line += L"; the write through the shell failed";
    return line;
}

std::wstring Seconds(double s)
{
    wchar_t buf[32];
    swprintf(buf, 32, L"%.2f s", s);
    return buf;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    RenderOptions options;
    std::wstring error;
    if (!ParseArguments(std::vector<std::wstring>(argv + 1, argv + argc), options, error)) {
        Err(L"vorlune-render: " + error + L"\n\n" + kUsage);
        return kUsageError;
    }
    if (options.help) {
        Out(kUsage);
        return kDone;
    }

    const std::wstring song = FullPath(options.song), output = FullPath(options.output);
    if (!FileExists(song)) return Fail(L"cannot find the song: " + song);
    int64_t frames = 0;
    long rate = 0;
    int channels = 0;
    Mp3Decoder probe;
    if (!probe.Probe(song, frames, rate, channels)) {
        DWORD systemError = NO_ERROR;
        const RenderFailure why = SongReadFailure(song, &systemError);
        if (why == RenderFailure::kNone) return Fail(Reason(RenderFailure::kSongUnreadable, NO_ERROR, song, output));
        return Fail(Reason(why, why == RenderFailure::kOther ? systemError : NO_ERROR, song, output));
    }
    const double songSeconds = double(frames) / double(rate);
    double start = 0, end = 1;
    if (!SelectionFractions(options, songSeconds, start, end, error)) {
        Err(L"vorlune-render: " + error + L"\n");
        return kUsageError;
    }
    // The job finds these too, but only after decoding the song.
    const auto refuse = [&](RenderFailure why) { return Fail(Reason(why, NO_ERROR, song, output)); };
    if (SamePath(song, output)) return refuse(RenderFailure::kOutputIsSong);
    if (!IsDirectory(FolderOf(output))) return refuse(RenderFailure::kOutputFolderMissing);
    if (!Mp3Encoder::Instance().IsUsable()) return refuse(RenderFailure::kEncoderMissing);

    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VorluneRenderSink";
    RegisterClassExW(&wc);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                                  nullptr);
    if (!window) return Fail(L"cannot create a message window");
    SetConsoleCtrlHandler(&OnConsoleControl, TRUE);

    RingtoneProject project;
    project.sourcePath = song;
    project.outputPath = output;
    project.SetSelection(start, end);
    project.fadeIn = options.fadeIn;
    project.fadeOut = options.fadeOut;

    ProgressBar bar;
    double stageStart = Now();
    const double t0 = stageStart;
    std::vector<std::pair<std::wstring, double>> stages;
    uint32_t lastPosition = 0;
    const auto passed = [&](uint32_t mark, const wchar_t* name, uint32_t position) {
        if (lastPosition < mark && position >= mark) {
            const double now = Now();
            stages.emplace_back(name, now - stageStart);
            stageStart = now;
        }
    };

    RenderFailure why = RenderFailure::kNone;
    DWORD systemError = NO_ERROR;
    RingtoneShape made;
    {
        RenderJob job(window, &project);
        // No window here to keep responsive: the job may use the processor
        // without pausing.
        job.SetYield(false);
        if (!job.Start()) return Fail(L"cannot start the render thread");
        // The job's messages are read in batches, between short waits for
        // its end: under Wine, waking this thread for each of its thousands
        // of posts costs the encoder a round trip to the Wine server each.
        bool ended = false, threadEnded = false;
        while (!ended && !g_interrupted) {
            MSG msg;
            if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (threadEnded) break;  // it has posted all it will
                threadEnded = job.Wait(kBatchMilliseconds);
                continue;
            }
            if (msg.message != WM_JOB_PROGRESS || msg.hwnd != window) {
                DispatchMessageW(&msg);
                continue;
            }
            const uint32_t value = uint32_t(msg.lParam);
            switch (msg.wParam) {
            case kJobStarted:
                bar.Show(0, value);
                break;
            case kJobPosition:
                passed(kOpenUnits / 2, L"decode", value);
                passed(kOpenUnits, L"load", value);
                passed(kOpenUnits + kEditUnits, L"edit", value);
                passed(kRenderUnits, L"encode and tags", value);
                lastPosition = value;
                bar.Show(value, kRenderUnits);
                break;
            case kJobSucceeded:
                bar.Show(kRenderUnits, kRenderUnits);
                ended = true;
                break;
            case kJobFailed:
                ended = true;
                break;
            }
        }
        bar.Done();
        // Interrupted before the job's end: stop it. A job that had made the
        // ringtone or failed already says so all the same.
        if (!ended) job.Cancel();
        job.Wait();
        why = job.Failure();
        systemError = job.FailureError();
        made = job.Made();
    }
    const double elapsed = Now() - t0;
    SetConsoleCtrlHandler(&OnConsoleControl, FALSE);
    DestroyWindow(window);

    // The job leaves nothing behind when it fails or is stopped, and what
    // stood at the output path stays as it was.
    if (why == RenderFailure::kCancelled) {
        Err(L"vorlune-render: stopped; nothing was kept\n");
        return kInterrupted;
    }
    if (why != RenderFailure::kNone) return Fail(Reason(why, systemError, song, output));

    Out(L"Ringtone: " + output + L"\n");
    // Many phones refuse longer ringtones; the user may still want it.
    const bool tooLong = made.Seconds() > 40.0;
    Out(L"Duration: " + FormatTime(made.Seconds()) + L" (" + std::to_wstring(made.rate) + L" Hz, " +
        (made.channels == 2 ? L"stereo" : L"mono") + L")" +
        (tooLong ? L"; note: longer than 40 s, the longest ringtone many phones accept (some take 30 s)" : L"") +
        L"\n");
    Out(L"Size:     " + Megabytes(FileSize(output)) + L"\n");
    Out(L"Time:     " + Seconds(elapsed) + L"\n");
    if (options.verbose) {
        std::wstring line = L"Stages:  ";
        for (const auto& [name, seconds] : stages) line += L" " + name + L" " + Seconds(seconds) + L";";
        Out(line + L"\n");
        Out(L"Tags:     " + TagSummary(project.document.Tags()) + L"\n");
        PROCESS_MEMORY_COUNTERS memory = {};
        memory.cb = sizeof(memory);
        if (GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory)))
            Out(L"Memory:   peak working set " + Megabytes(memory.PeakWorkingSetSize) + L", peak private " +
                Megabytes(memory.PeakPagefileUsage) + L"\n");
    }
    return kDone;
}
