#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "audio/JobProgress.h"
#include "audio/RingtoneProject.h"
#include "win/Handle.h"

namespace vorlune {

// The units of a render's root range: open the song (decode the selection in
// the first half, load it in the second), edit it, save the ringtone.
constexpr uint32_t kOpenUnits = 1000;
constexpr uint32_t kEditUnits = 100;
constexpr uint32_t kSaveUnits = 2000;
constexpr uint32_t kRenderUnits = kOpenUnits + kEditUnits + kSaveUnits;

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

// What stands in the way of reading the song now, as the decoder opens it:
// kSongMissing, kSongInUse, kOther (with the system's error in *error) or
// kNone.
RenderFailure SongReadFailure(const std::wstring& path, DWORD* error = nullptr) noexcept;

// The ringtone a run made.
struct RingtoneShape {
    int32_t frames = 0;
    int32_t rate = 0;
    uint16_t channels = 0;
    double Seconds() const noexcept { return rate ? double(frames) / rate : 0.0; }
};

// Runs a job body on a worker thread of its own and reports through its root
// range (JobProgress) to a window: the start, each position, then one end
// (success or failure) unless a cancel came first.
//
// Start copies the project's request; the body reads nothing else of the
// project and writes only its document, whose samples it releases before the
// run ends. Two calls end a run: Cancel, which returns at once, and Wait,
// which waits for the thread. The cancel is the root range's cancelled flag;
// it holds whenever it is set, before Start too, and nothing clears it.
class RenderJob {
public:
    RenderJob(HWND target, RingtoneProject* project) noexcept;
    // Cancels and waits, so the worker never outlives the object it runs on.
    virtual ~RenderJob();
    RenderJob(const RenderJob&) = delete;
    RenderJob& operator=(const RenderJob&) = delete;

    // Starts a run on a new thread. False, and nothing starts, while busy.
    bool Start() noexcept;
    // The running stage stops at its next check of its range; no end
    // message follows.
    void Cancel() noexcept { progress_.Cancel(); }
    // Waits up to the given time for the thread of the last run to end; once
    // it has (or when there is none), lets it go and answers true.
    bool Wait(DWORD milliseconds = INFINITE) noexcept;

    // From Start until the body has ended, which is before its end message
    // is posted: the project's document is the job's meanwhile, and the
    // project must not change.
    bool IsBusy() const noexcept { return busy_.load(); }

    // Why the last run failed, set before its end is posted: kNone when the
    // ringtone was made (even if a late cancel silenced the success),
    // kCancelled when a cancel stopped it, else the stage's reason, which a
    // later cancel does not replace.
    RenderFailure Failure() const noexcept { return failure_.load(); }
    // The system's error behind that reason, when there was one.
    DWORD FailureError() const noexcept { return failureError_.load(); }
    // What the last run made; read once it has ended.
    const RingtoneShape& Made() const noexcept { return made_; }
    JobProgress& Progress() noexcept { return progress_; }

    // Whether the body's sample loops pause now and then for a window on a
    // busy machine (on by default). Set before Start.
    void SetYield(bool yield) noexcept { yield_ = yield; }

protected:
    // The job's body, run on the worker thread: the request's song becomes
    // its ringtone. True once the ringtone is in place. A class that gives
    // another body must cancel and wait in its own destructor.
    virtual bool Run();
    // Keeps the first reason given in a run.
    void SetFailure(RenderFailure why, DWORD error = NO_ERROR) noexcept;

private:
    static unsigned __stdcall ThreadProc(void* self);
    unsigned Work() noexcept;
    void Finish(bool made) noexcept;
    bool OpenStage(AudioDocument& document);
    bool EditStage(AudioDocument& document);
    bool SaveStage(AudioDocument& document);

    KernelHandle thread_;
    std::atomic<bool> busy_{false};
    std::atomic<RenderFailure> failure_{RenderFailure::kNone};
    std::atomic<DWORD> failureError_{NO_ERROR};
    bool yield_ = true;
    RenderRequest request_;
    RingtoneShape made_;
    JobProgress progress_;
    RingtoneProject* project_;
};

}  // namespace vorlune
