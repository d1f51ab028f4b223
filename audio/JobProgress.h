#pragma once

#include <windows.h>

#include "audio/ProgressRange.h"

namespace vorlune {

// The message a render job posts to its window; wParam is a JobEvent.
constexpr UINT WM_JOB_PROGRESS = WM_APP + 1004;

enum JobEvent : WPARAM {
    kJobStarted = 0,    // lParam: the range
    kJobPosition = 1,   // lParam: the position
    kJobSucceeded = 2,  // lParam: the position
    kJobFailed = 4,     // lParam: the position; never after a cancel
};

// The root range of a render job: reports every move to a window.
class JobProgress final : public ProgressRange {
public:
    explicit JobProgress(HWND target) noexcept : target_(target) {}

    HWND Target() const noexcept { return target_; }
    void PostSuccess() noexcept;

protected:
    void OnPositionChanged() noexcept override;
    void OnFail() noexcept override;

private:
    void Post(JobEvent event, uint32_t value) noexcept;

    HWND target_;
};

}  // namespace vorlune
