#pragma once

#include <windows.h>

#include "io/ProgressRange.h"

namespace vorlune {

// The message a render job posts to its window; wParam is a JobEvent.
constexpr UINT WM_JOB_PROGRESS = WM_APP + 1004;

enum JobEvent : WPARAM {
    kJobStarted = 0,    // lParam: the range
    kJobPosition = 1,   // lParam: the position
    kJobSucceeded = 2,  // lParam: the position
    kJobFailed = 4,     // lParam: the position; never after a cancel
};

// The root range of a render job: reports every move to a window, and the
// job's end once: success or failure, unless it was cancelled first. The job
// posts its end itself once its body is over, so that the reason for a
// failure is known before the window hears of it.
class JobProgress final : public ProgressRange {
public:
    explicit JobProgress(HWND target) noexcept : target_(target) {}

    HWND Target() const noexcept { return target_; }
    // Cancelling and posting exclude each other: once Cancel has returned,
    // no message follows.
    void Cancel() noexcept override;
    // Each posts the end unless one was posted or a cancel came first; true
    // when it did.
    bool PostSuccess() noexcept;
    bool PostFailure() noexcept;
    // Ready for another run: not failed, no end posted. A cancel stays.
    void Rearm() noexcept;
    // Whether the end of the run was posted.
    bool EndPosted() const noexcept;

protected:
    void OnPositionChanged() noexcept override;

private:
    void Post(JobEvent event, uint32_t value) noexcept;
    bool PostEnd(JobEvent event) noexcept;

    HWND target_;
    mutable SRWLOCK lock_ = SRWLOCK_INIT;
    bool ended_ = false;  // under lock_
};

}  // namespace vorlune
