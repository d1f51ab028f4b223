#include "audio/JobProgress.h"

namespace vorlune {
namespace {

class Exclusive {
public:
    explicit Exclusive(SRWLOCK& lock) noexcept : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~Exclusive() { ReleaseSRWLockExclusive(&lock_); }
    Exclusive(const Exclusive&) = delete;
    Exclusive& operator=(const Exclusive&) = delete;

private:
    SRWLOCK& lock_;
};

}  // namespace

void JobProgress::Post(JobEvent event, uint32_t value) noexcept
{
    ::PostMessageW(target_, WM_JOB_PROGRESS, event, static_cast<LPARAM>(value));
}

void JobProgress::OnPositionChanged() noexcept
{
    Exclusive hold(lock_);
    if (OwnCancelled()) return;  // nothing reaches the window after a cancel
    const uint32_t position = Position();
    if (position == 0)
        Post(kJobStarted, Range());
    else
        Post(kJobPosition, position);
}

// Under the lock that every post takes: once Cancel returns, nothing more is
// posted.
void JobProgress::Cancel() noexcept
{
    Exclusive hold(lock_);
    ProgressRange::Cancel();
}

bool JobProgress::PostEnd(JobEvent event) noexcept
{
    Exclusive hold(lock_);
    if (ended_ || OwnCancelled()) return false;
    ended_ = true;
    Post(event, Position());
    return true;
}

bool JobProgress::PostSuccess() noexcept { return PostEnd(kJobSucceeded); }

bool JobProgress::PostFailure() noexcept { return PostEnd(kJobFailed); }

void JobProgress::Rearm() noexcept
{
    Exclusive hold(lock_);
    ended_ = false;
    const bool cancelled = OwnCancelled();
    Init(0, 0);
    if (cancelled) ProgressRange::Cancel();
}

bool JobProgress::EndPosted() const noexcept
{
    Exclusive hold(lock_);
    return ended_;
}

}  // namespace vorlune
