#include "audio/RenderJob.h"

#include <objbase.h>
#include <process.h>

#include "audio/CpuYield.h"
#include "audio/Mp3Encoder.h"
#include "audio/TempFile.h"
#include "io/FileUtil.h"
#include "io/WriteErrors.h"

namespace vorlune {
namespace {

// The song as the decoder finds it: whether it opens (for reading, shared
// with readers), and its length and time of last write.
struct SongStamp {
    RenderFailure problem = RenderFailure::kNone;
    DWORD error = NO_ERROR;
    uint64_t size = 0;
    uint64_t written = 0;

    bool SameFile(const SongStamp& other) const noexcept { return size == other.size && written == other.written; }
};

SongStamp StampSong(const std::wstring& path) noexcept
{
    SongStamp stamp;
    CriticalErrorsOff quiet;
    KernelHandle song(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!song || !GetFileInformationByHandle(song.Get(), &info)) {
        stamp.error = GetLastError();
        if (IsInUseError(stamp.error)) {
            stamp.problem = RenderFailure::kSongInUse;
            return stamp;
        }
        switch (stamp.error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_NOT_READY:
            stamp.problem = RenderFailure::kSongMissing;
            break;
        default:
            stamp.problem = RenderFailure::kOther;
            break;
        }
        return stamp;
    }
    stamp.size = uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow;
    stamp.written = uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32 | info.ftLastWriteTime.dwLowDateTime;
    return stamp;
}

// What stands in the way of writing the ringtone, before anything is made.
RenderFailure OutputProblem(const RenderRequest& request) noexcept
{
    if (request.outputPath.empty()) return RenderFailure::kOutputNotWritable;
    if (SamePath(request.outputPath, request.sourcePath)) return RenderFailure::kOutputIsSong;
    if (!Mp3Encoder::Instance().IsUsable()) return RenderFailure::kEncoderMissing;
    try {
        if (!IsDirectory(FolderOf(request.outputPath))) return RenderFailure::kOutputFolderMissing;
    } catch (...) {
        return RenderFailure::kOther;
    }
    return RenderFailure::kNone;
}

// Whether another program holds the file at path so that it cannot be
// replaced.
bool HeldElsewhere(const std::wstring& path) noexcept
{
    KernelHandle file(CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return !file && IsInUseError(GetLastError());
}

// Why the save stage failed, from the first error its files met.
RenderFailure SaveProblem(const std::wstring& output, DWORD error) noexcept
{
    if (IsDiskFullError(error)) return RenderFailure::kDiskFull;
    if (IsInUseError(error)) return RenderFailure::kOutputInUse;
    switch (error) {
    case NO_ERROR:
        return RenderFailure::kOther;  // the encoder, not a file
    case ERROR_USER_MAPPED_FILE:
        return RenderFailure::kOutputInUse;
    case ERROR_ACCESS_DENIED:
        // Replacing a file that is held open is denied too.
        return HeldElsewhere(output) ? RenderFailure::kOutputInUse : RenderFailure::kOutputNotWritable;
    default:
        return RenderFailure::kOutputNotWritable;
    }
}

}  // namespace

RenderFailure SongReadFailure(const std::wstring& path, DWORD* error) noexcept
{
    const SongStamp stamp = StampSong(path);
    if (error) *error = stamp.error;
    return stamp.problem;
}

RenderJob::RenderJob(HWND target, RingtoneProject* project) noexcept : progress_(target), project_(project) {}

RenderJob::~RenderJob()
{
    Cancel();
    Wait();
}

bool RenderJob::Wait(DWORD milliseconds) noexcept
{
    if (!thread_) return true;
    if (::WaitForSingleObject(thread_.Get(), milliseconds) != WAIT_OBJECT_0) return false;
    thread_.Reset();
    return true;
}

bool RenderJob::Start() noexcept
{
    if (busy_.load()) return false;
    Wait();  // a thread past its body: it only has to return
    try {
        request_ = project_ ? project_->Request() : RenderRequest();
    } catch (...) {
        return false;
    }
    failure_.store(RenderFailure::kNone);
    failureError_.store(NO_ERROR);
    made_ = RingtoneShape();
    progress_.Rearm();
    busy_.store(true);
    const uintptr_t h = ::_beginthreadex(nullptr, 0, &RenderJob::ThreadProc, this, 0, nullptr);
    if (h == 0) {
        busy_.store(false);
        return false;
    }
    thread_.Reset(reinterpret_cast<HANDLE>(h));
    return true;
}

void RenderJob::SetFailure(RenderFailure why, DWORD error) noexcept
{
    RenderFailure none = RenderFailure::kNone;
    if (failure_.compare_exchange_strong(none, why)) failureError_.store(error);
}

void RenderJob::Finish(bool made) noexcept
{
    if (made) {
        busy_.store(false);
        progress_.PostSuccess();
        return;
    }
    // A stage that failed gave its reason before this; a run stopped by a
    // cancel gave none.
    const bool reasoned = failure_.load() != RenderFailure::kNone;
    if (!reasoned) failure_.store(progress_.IsCancelled() ? RenderFailure::kCancelled : RenderFailure::kOther);
    busy_.store(false);
    // A cancel that silences the end makes a run without a reason a
    // cancelled one.
    if (!progress_.PostFailure() && !reasoned) failure_.store(RenderFailure::kCancelled);
}

bool RenderJob::OpenStage(AudioDocument& document)
{
    ProgressRange& root = progress_;
    NestedProgress open(&root, kOpenUnits);
    ClearWriteErrors();
    const std::wstring& song = request_.sourcePath;
    const SongStamp before = StampSong(song);
    const bool ok = before.problem == RenderFailure::kNone &&
                    document.OpenSelection(song, request_.selectionStart, request_.selectionEnd, &open);
    if (!ok && !root.IsCancelled()) {
        const DWORD error = FirstWriteError();
        const SongStamp after = before.problem == RenderFailure::kNone ? StampSong(song) : before;
        if (IsDiskFullError(error))
            SetFailure(RenderFailure::kTempDiskFull, error);
        else if (after.problem != RenderFailure::kNone)
            SetFailure(after.problem, after.error);
        else if (!after.SameFile(before))
            SetFailure(RenderFailure::kSongChanged);
        else if (error != NO_ERROR)
            SetFailure(RenderFailure::kOther, error);  // the temporary folder refused
        else
            SetFailure(RenderFailure::kSongUnreadable);
    }
    return EndProgress(&open, ok);
}

bool RenderJob::EditStage(AudioDocument& document)
{
    ProgressRange& root = progress_;
    NestedProgress edit(&root, kEditUnits);
    ClearWriteErrors();
    // Only the selection was decoded: the edit has the whole clip to fade.
    const bool ok = EditForRingtone(document, 0.0, 1.0, request_.fadeIn, request_.fadeOut, edit);
    if (!ok && !root.IsCancelled()) {
        const DWORD error = FirstWriteError();
        SetFailure(IsDiskFullError(error) ? RenderFailure::kTempDiskFull : RenderFailure::kOther, error);
    }
    return EndProgress(&edit, ok);
}

bool RenderJob::SaveStage(AudioDocument& document)
{
    ProgressRange& root = progress_;
    NestedProgress save(&root, kSaveUnits);
    ClearWriteErrors();
    const RenderFailure problem = OutputProblem(request_);
    const bool ok = problem == RenderFailure::kNone && document.SaveMp3(request_.outputPath, &save);
    if (problem != RenderFailure::kNone) {
        SetFailure(problem);
    } else if (!ok && !root.IsCancelled()) {
        const DWORD error = FirstWriteError();
        SetFailure(SaveProblem(request_.outputPath, error), error);
    }
    return EndProgress(&save, ok);
}

bool RenderJob::Run()
{
    if (!project_ || progress_.IsCancelled()) return false;
    AudioDocument& document = project_->document;
    // The clip's stores last as long as the run: once it has ended, nothing
    // of the song stays in the temporary folder.
    struct Release {
        AudioDocument& document;
        ~Release() { document.Clip().Reset(); }
    } release{document};
    progress_.Begin(kRenderUnits);
    if (!OpenStage(document) || progress_.IsCancelled()) return false;
    if (!EditStage(document) || progress_.IsCancelled()) return false;
    const SampleBuffer& clip = document.Clip().buffer;
    const RingtoneShape shape{clip.frames, clip.rate, clip.channels};
    // Once saved the ringtone stands, whatever comes after.
    if (!SaveStage(document)) return false;
    made_ = shape;
    return true;
}

unsigned RenderJob::Work() noexcept
{
    // The body makes COM calls (DirectShow, the shell's property handlers),
    // which the platform refuses on a thread that never initialised COM.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CpuYield::EnableOnThisThread(yield_);
    bool made = false;
    try {
        made = Run() && !progress_.IsFailed();
    } catch (...) {
        made = false;
    }
    Finish(made);
    if (SUCCEEDED(com)) ::CoUninitialize();
    return made ? 0 : 1;
}

unsigned __stdcall RenderJob::ThreadProc(void* self)
{
    return static_cast<RenderJob*>(self)->Work();
}

}  // namespace vorlune
