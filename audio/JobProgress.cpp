#include "audio/JobProgress.h"

namespace vorlune {

void JobProgress::Post(JobEvent event, uint32_t value) noexcept
{
    ::PostMessageW(target_, WM_JOB_PROGRESS, event, static_cast<LPARAM>(value));
}

void JobProgress::OnPositionChanged() noexcept
{
    const uint32_t position = Position();
    if (position == 0)
        Post(kJobStarted, Range());
    else
        Post(kJobPosition, position);
}

void JobProgress::OnFail() noexcept
{
    if (!IsCancelled()) Post(kJobFailed, Position());
}

void JobProgress::PostSuccess() noexcept { Post(kJobSucceeded, Position()); }

}  // namespace vorlune
