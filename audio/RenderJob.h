#pragma once

#include <windows.h>

#include <atomic>

#include "audio/JobProgress.h"
#include "win/Handle.h"

namespace vorlune {

class RingtoneProject;

// Runs a job body on a worker thread of its own and reports through its root
// range (JobProgress) to a window. The user interface starts it, and cancels
// it by cancelling the root range and waiting for the thread.
class RenderJob {
public:
    RenderJob(HWND target, RingtoneProject* project) noexcept;
    // Cancels and waits for a thread that is still alive, so the worker never
    // outlives the object it runs on.
    virtual ~RenderJob();
    RenderJob(const RenderJob&) = delete;
    RenderJob& operator=(const RenderJob&) = delete;

    virtual void ClearStopRequest() noexcept;
    virtual void RequestStop() noexcept;
    virtual bool IsStopRequested() const noexcept;
    // Opens the pause gate and asks a live thread to stop; true when a thread existed.
    virtual bool Stop() noexcept;

    // Starts the body on a new thread. Does nothing (false) while a thread runs.
    bool Start() noexcept;
    // Cancels the root range unless complete, stops, and waits for the thread.
    void CancelAndWait() noexcept;

    bool IsThreadAlive() const noexcept;
    bool IsRunning() const noexcept { return running_.load() != 0; }
    // The worker's exit code once it has ended (0 success, 1 failure).
    bool ExitCode(DWORD& code) const noexcept;
    JobProgress& Progress() noexcept { return progress_; }
    RingtoneProject* Project() const noexcept { return project_; }

protected:
    // The job's body, run on the worker thread: the project's song becomes
    // its ringtone. True on success. A class that gives another body must
    // wait for the thread in its own destructor.
    virtual bool Run();
    virtual void Prepare() {}
    // Reports the result: success posted, failure spread to the root range.
    virtual void Finish(bool result) noexcept;
    virtual void BeforeStop() noexcept {}
    virtual void OnStop(bool threadExisted) noexcept;

private:
    static unsigned __stdcall ThreadProc(void* self);
    unsigned Work() noexcept;
    void WaitAndClose() noexcept;

    std::atomic<LONG> stopRequested_{0};
    KernelHandle thread_;
    unsigned threadId_ = 0;
    std::atomic<LONG> suspended_{0};
    KernelHandle pauseGate_;
    std::atomic<LONG> running_{0};
    JobProgress progress_;
    RingtoneProject* project_;
};

}  // namespace vorlune
