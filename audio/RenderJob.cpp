#include "audio/RenderJob.h"

#include <objbase.h>
#include <process.h>

#include "audio/RingtoneProject.h"
#include "io/FileUtil.h"

namespace vorlune {

RenderJob::RenderJob(HWND target, RingtoneProject* project) noexcept
    : pauseGate_(::CreateEventW(nullptr, TRUE, TRUE, nullptr)), progress_(target), project_(project)
{
}

RenderJob::~RenderJob()
{
    if (thread_) CancelAndWait();
}

void RenderJob::ClearStopRequest() noexcept { stopRequested_.store(0); }
void RenderJob::RequestStop() noexcept { stopRequested_.store(1); }
bool RenderJob::IsStopRequested() const noexcept { return stopRequested_.load() != 0; }

bool RenderJob::Stop() noexcept
{
    BeforeStop();
    if (pauseGate_ && ::WaitForSingleObject(pauseGate_.Get(), 0) != WAIT_OBJECT_0) ::SetEvent(pauseGate_.Get());
    const bool threadExisted = thread_.Valid();
    if (threadExisted) {
        RequestStop();
        if (suspended_.exchange(0) != 0) ::ResumeThread(thread_.Get());
    }
    OnStop(threadExisted);
    return threadExisted;
}

void RenderJob::OnStop(bool threadExisted) noexcept
{
    if (threadExisted && IsRunning()) progress_.Cancel();
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
    ClearStopRequest();

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
    if (!progress_.IsComplete()) progress_.Cancel();
    if (Stop()) WaitAndClose();
}

void RenderJob::Finish(bool result) noexcept
{
    if (result)
        progress_.PostSuccess();
    else if (!progress_.IsFailed())
        progress_.Fail();
}

bool RenderJob::Run()
{
    if (!project_) return false;
    RingtoneProject& project = *project_;
    AudioDocument& document = project.document;
    ProgressRange& root = progress_;
    root.Begin(3100);
    const auto goingOn = [&](bool ok) { return ok && !IsStopRequested() && !root.IsCancelled(); };

    bool ok;
    {
        NestedProgress open(&root, 1000);
        ok = FileExists(project.sourcePath) && document.Open(project.sourcePath, &open);
        EndProgress(&open, ok);
    }
    if (goingOn(ok)) {
        NestedProgress edit(&root, 100);
        ok = EditForRingtone(document, project.selectionStart, project.selectionEnd, project.fadeIn != 0,
                             project.fadeOut != 0, edit);
        EndProgress(&edit, ok);
    }
    if (goingOn(ok)) {
        NestedProgress save(&root, 2000);
        // Never write over the song itself.
        ok = !project.outputPath.empty() && !IsSameFile(project.outputPath, project.sourcePath) &&
             document.SaveMp3(project.outputPath, &save);
        EndProgress(&save, ok);
    }
    return goingOn(ok);
}

unsigned RenderJob::Work() noexcept
{
    // The body makes COM calls (DirectShow, the shell's property handlers),
    // which the platform refuses on a thread that never initialised COM.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool result = false;
    try {
        Prepare();
        running_.store(1);
        result = Run();
    } catch (...) {
        result = false;
    }
    running_.store(0);
    Finish(result);
    if (SUCCEEDED(com)) ::CoUninitialize();
    return result ? 0 : 1;
}

unsigned __stdcall RenderJob::ThreadProc(void* self)
{
    return static_cast<RenderJob*>(self)->Work();
}

}  // namespace vorlune
