#include "audio/RenderJob.h"

#include <objbase.h>
#include <process.h>

#include "audio/CpuYield.h"
#include "audio/Mp3Encoder.h"
#include "audio/RingtoneProject.h"
#include "audio/TempFile.h"
#include "io/FileUtil.h"

namespace vorlune {
namespace {

// A write that failed for want of space, on the failing call or on the volume.
bool OutOfSpace(DWORD error, const std::wstring& folder) noexcept
{
    if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL) return true;
    ULARGE_INTEGER available{};
    return !folder.empty() && GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr) &&
           available.QuadPart < 1024 * 1024;
}

// What stands in the way of writing the ringtone, before anything is made.
RenderFailure OutputProblem(const RingtoneProject& project) noexcept
{
    if (project.outputPath.empty()) return RenderFailure::kOutputNotWritable;
    if (IsSameFile(project.outputPath, project.sourcePath)) return RenderFailure::kOutputIsSong;
    if (!Mp3Encoder::Instance().IsUsable()) return RenderFailure::kEncoderMissing;
    try {
        if (!IsDirectory(FolderOf(project.outputPath))) return RenderFailure::kOutputFolderMissing;
    } catch (...) {
        return RenderFailure::kOther;
    }
    return RenderFailure::kNone;
}

}  // namespace

RenderJob::RenderJob(HWND target, RingtoneProject* project) noexcept : progress_(target), project_(project) {}

RenderJob::~RenderJob()
{
    if (thread_) CancelAndWait();
}

void RenderJob::RequestStop() noexcept { progress_.Cancel(); }
bool RenderJob::IsStopRequested() const noexcept { return progress_.IsCancelled(); }

bool RenderJob::Stop() noexcept
{
    BeforeStop();
    const bool threadExisted = thread_.Valid();
    if (threadExisted && suspended_.exchange(0) != 0) ::ResumeThread(thread_.Get());
    OnStop(threadExisted);
    return threadExisted;
}

void RenderJob::OnStop(bool threadExisted) noexcept
{
    // Only a live thread is stopped: Start reaps an ended one through Stop
    // and must not cancel the run it is about to begin.
    if (threadExisted && IsThreadAlive()) RequestStop();
}

bool RenderJob::IsThreadAlive() const noexcept
{
    DWORD code = 0;
    return thread_ && ::GetExitCodeThread(thread_.Get(), &code) && code == STILL_ACTIVE;
}

bool RenderJob::ExitCode(DWORD& code) const noexcept
{
    return thread_ && ::GetExitCodeThread(thread_.Get(), &code) && code != STILL_ACTIVE;
}

void RenderJob::WaitAndClose() noexcept
{
    ::WaitForSingleObject(thread_.Get(), INFINITE);
    thread_.Reset();
    threadId_ = 0;
}

bool RenderJob::Start() noexcept
{
    if (IsThreadAlive()) return false;
    if (Stop()) WaitAndClose();
    failure_.store(RenderFailure::kNone);
    progress_.Rearm();

    unsigned id = 0;
    const uintptr_t h = ::_beginthreadex(nullptr, 0, &RenderJob::ThreadProc, this, CREATE_SUSPENDED, &id);
    if (h == 0) return false;
    thread_.Reset(reinterpret_cast<HANDLE>(h));
    threadId_ = id;
    suspended_.store(1);
    if (::ResumeThread(thread_.Get()) == static_cast<DWORD>(-1)) {
        // The thread never ran: let it go without a body.
        ::TerminateThread(thread_.Get(), 1);
        thread_.Reset();
        suspended_.store(0);
        return false;
    }
    suspended_.store(0);
    return true;
}

void RenderJob::CancelAndWait() noexcept
{
    // Also before Start, or before the body has begun its range: the flag
    // is never cleared, so the body sees it at its first check.
    RequestStop();
    if (Stop()) WaitAndClose();
}

void RenderJob::SetFailure(RenderFailure why) noexcept
{
    RenderFailure none = RenderFailure::kNone;
    failure_.compare_exchange_strong(none, why);
}

void RenderJob::Finish(bool result) noexcept
{
    if (result && !progress_.IsFailed()) {
        progress_.PostSuccess();
    } else {
        // The first failure of the run has posted 4; this one does when no
        // stage failed its range.
        SetFailure(RenderFailure::kOther);
        progress_.Fail();
    }
    // No end posted: a cancel came first and silenced it, so the run was
    // cancelled. An end posted before the cancel stands, with its reason.
    if (!progress_.EndPosted()) {
        failure_.store(RenderFailure::kCancelled);
        progress_.Fail();
    }
}

bool RenderJob::Run()
{
    if (!project_ || progress_.IsCancelled()) return false;
    RingtoneProject& project = *project_;
    AudioDocument& document = project.document;
    ProgressRange& root = progress_;
    root.Begin(3100);
    const auto goingOn = [&](bool ok) { return ok && !root.IsCancelled(); };

    bool ok;
    {
        // Only the selection is decoded; the edit stage then has the whole
        // clip to fade.
        NestedProgress open(&root, 1000);
        ok = FileExists(project.sourcePath);
        if (!ok) {
            SetFailure(RenderFailure::kSongMissing);
        } else {
            ok = document.OpenSelection(project.sourcePath, project.selectionStart, project.selectionEnd, &open);
            const DWORD error = GetLastError();
            if (!ok && !root.IsCancelled())
                SetFailure(OutOfSpace(error, TempDirectory()) ? RenderFailure::kDiskFull
                                                              : RenderFailure::kSongUnreadable);
        }
        EndProgress(&open, ok);
    }
    if (goingOn(ok)) {
        NestedProgress edit(&root, 100);
        ok = EditForRingtone(document, 0.0, 1.0, project.fadeIn != 0, project.fadeOut != 0, edit);
        const DWORD error = GetLastError();
        if (!ok && !root.IsCancelled())
            SetFailure(OutOfSpace(error, TempDirectory()) ? RenderFailure::kDiskFull : RenderFailure::kOther);
        EndProgress(&edit, ok);
    }
    if (goingOn(ok)) {
        NestedProgress save(&root, 2000);
        const RenderFailure problem = OutputProblem(project);
        ok = problem == RenderFailure::kNone && document.SaveMp3(project.outputPath, &save);
        const DWORD error = GetLastError();
        if (problem != RenderFailure::kNone)
            SetFailure(problem);
        else if (!ok && !root.IsCancelled())
            SetFailure(OutOfSpace(error, FolderOf(project.outputPath)) ? RenderFailure::kDiskFull
                                                                        : RenderFailure::kOutputNotWritable);
        EndProgress(&save, ok);
    }
    return goingOn(ok);
}

unsigned RenderJob::Work() noexcept
{
    // The body makes COM calls (DirectShow, the shell's property handlers),
    // which the platform refuses on a thread that never initialised COM.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CpuYield::EnableOnThisThread(yield_);
    bool result = false;
    try {
        Prepare();
        running_.store(1);
        result = Run();
    } catch (...) {
        result = false;
    }
    running_.store(0);
    result = result && !progress_.IsFailed() && !progress_.IsCancelled();
    Finish(result);
    if (SUCCEEDED(com)) ::CoUninitialize();
    return failure_.load() == RenderFailure::kNone ? 0 : 1;
}

unsigned __stdcall RenderJob::ThreadProc(void* self)
{
    return static_cast<RenderJob*>(self)->Work();
}

}  // namespace vorlune
