#pragma once

#include <windows.h>

#include <atomic>

#include "audio/JobProgress.h"
#include "win/Handle.h"

namespace vorlune {

class RingtoneProject;

// Why a render did not make its ringtone.
enum class RenderFailure {
    kNone,
    kSongMissing,          // the song is not there
    kSongInUse,            // another program holds the song without sharing it
    kSongUnreadable,       // not an MP3, or one that does not decode
    kSongChanged,          // the song changed or was cut short while it was read
    kEncoderMissing,       // lame_enc.dll could not be loaded
    kOutputFolderMissing,  // the ringtone's folder does not exist
    kOutputNotWritable,    // the ringtone could not be written there
    kOutputInUse,          // another program holds the file the ringtone replaces
    kOutputIsSong,         // the ringtone would replace the song itself
    kDiskFull,             // no room left for the ringtone
    kTempDiskFull,         // no room left in the temporary folder
    kCancelled,
    kOther,
};

// Runs a job body on a worker thread of its own and reports through its root
// range (JobProgress) to a window. The user interface starts it, and cancels
// it by cancelling the root range and waiting for the thread.
//
// The root range's cancelled flag is the job's one stop request. It holds
// whenever it is set, before Start too, and nothing clears it: a cancelled
// job stays cancelled. A job posts exactly one end message (2 or 4) per run,
// and none once it has been cancelled.
class RenderJob {
public:
    RenderJob(HWND target, RingtoneProject* project) noexcept;
    // Cancels and waits for a thread that is still alive, so the worker never
    // outlives the object it runs on.
    virtual ~RenderJob();
    RenderJob(const RenderJob&) = delete;
    RenderJob& operator=(const RenderJob&) = delete;

    // Cancels the root range.
    virtual void RequestStop() noexcept;
    virtual bool IsStopRequested() const noexcept;
    // Resumes a thread still held suspended and cancels a live one; true
    // when a thread existed.
    virtual bool Stop() noexcept;

    // Starts the body on a new thread. Does nothing (false) while a thread runs.
    bool Start() noexcept;
    // Cancels, stops, and waits for the thread. Returns within the running
    // stage's next check of its range.
    void CancelAndWait() noexcept;

    // Whether the body's sample loops pause now and then for a window on a
    // busy machine (on by default). Set before Start.
    void SetYield(bool yield) noexcept { yield_ = yield; }

    bool IsThreadAlive() const noexcept;
    bool IsRunning() const noexcept { return running_.load() != 0; }
    // Whether the body may still read the project: the thread lives and has
    // not both returned from its body and posted its end. After that only
    // the thread's own shutdown is left.
    bool ReadsProject() const noexcept { return IsThreadAlive() && (IsRunning() || !progress_.EndPosted()); }
    // The worker's exit code once it has ended (0 success, 1 failure).
    bool ExitCode(DWORD& code) const noexcept;
    // Why the last run failed; kNone after a success. Read it once the job
    // has posted its end or its thread has been waited for.
    RenderFailure Failure() const noexcept { return failure_.load(); }
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
    // Keeps the first reason given in a run.
    void SetFailure(RenderFailure why) noexcept;

private:
    static unsigned __stdcall ThreadProc(void* self);
    unsigned Work() noexcept;
    void WaitAndClose() noexcept;

    KernelHandle thread_;
    unsigned threadId_ = 0;
    std::atomic<LONG> suspended_{0};
    std::atomic<LONG> running_{0};
    std::atomic<RenderFailure> failure_{RenderFailure::kNone};
    bool yield_ = true;
    JobProgress progress_;
    RingtoneProject* project_;
};

}  // namespace vorlune
