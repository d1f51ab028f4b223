#pragma once

#include <atomic>
#include <cstdint>

namespace vorlune {

// A counter with a range and a position, plus cancelled and failed flags.
// Long operations take one (or null); a caller hands a slice of its own range
// to a sub-operation through a nested range.
//
// The render job's root range is read and written by two threads (the worker
// moves it, the user interface cancels it), so every field is atomic.
class ProgressRange {
public:
    ProgressRange() noexcept = default;
    virtual ~ProgressRange() = default;
    ProgressRange(const ProgressRange&) = delete;
    ProgressRange& operator=(const ProgressRange&) = delete;

    virtual bool IsCancelled() const noexcept;
    virtual void Cancel() noexcept;
    virtual bool IsFailed() const noexcept;
    virtual void Fail() noexcept;

    // position = min(position, range); both flags cleared; nothing reported.
    void Init(uint32_t range, uint32_t position) noexcept;
    // Clears the failed flag and starts again from 0 of range, reporting the
    // start. A cancel stays: nothing but Init clears it.
    void Begin(uint32_t range) noexcept;
    void SetRange(uint32_t range) noexcept;
    void Advance(int32_t delta) noexcept;
    void SetPercent(float percent) noexcept;
    void Complete() noexcept;
    uint32_t Percent() const noexcept;

    uint32_t Range() const noexcept { return range_.load(std::memory_order_relaxed); }
    uint32_t Position() const noexcept { return position_.load(std::memory_order_relaxed); }
    bool IsComplete() const noexcept { return Position() == Range(); }

protected:
    virtual void OnPositionChanged() noexcept {}
    virtual void OnCancel() noexcept {}
    virtual void OnFail() noexcept {}

    // Moves the position; true when it changed. Runs no handler.
    bool StorePosition(uint32_t position) noexcept;
    // Moves the position of another range (a nested range's parent) and lets
    // it report the change.
    static void MoveTo(ProgressRange& range, uint32_t position) noexcept;

    bool OwnCancelled() const noexcept { return cancelled_.load(std::memory_order_acquire) != 0; }
    bool OwnFailed() const noexcept { return failed_.load(std::memory_order_acquire) != 0; }

private:
    std::atomic<uint32_t> range_{0};
    std::atomic<uint32_t> position_{0};
    std::atomic<int32_t> cancelled_{0};
    std::atomic<int32_t> failed_{0};
};

// A slice of a parent's range: its own position is carried into the parent
// scaled to the span it covers, starting from the parent's position at the
// time it was made. Cancelling or failing it does the same to the parent.
class NestedProgress final : public ProgressRange {
public:
    // parent may be null (an operation run without progress); span is cut to
    // what the parent has left; range 0 means "the same as the span".
    NestedProgress(ProgressRange* parent, uint32_t span, uint32_t range = 0) noexcept;

    bool IsCancelled() const noexcept override;
    void Cancel() noexcept override;
    bool IsFailed() const noexcept override;
    void Fail() noexcept override;

    uint32_t Span() const noexcept { return span_; }
    uint32_t Base() const noexcept { return base_; }

protected:
    void OnPositionChanged() noexcept override;

private:
    ProgressRange* parent_;
    uint32_t span_;
    uint32_t base_;
};

// Ends an operation's range: completed on success, failed otherwise (which
// spreads to its parents). Returns ok. A null range is fine.
inline bool EndProgress(ProgressRange* progress, bool ok) noexcept
{
    if (progress) {
        if (ok)
            progress->Complete();
        else
            progress->Fail();
    }
    return ok;
}

// The nested range for a sub-operation: MakeNested(parent, share × own range).
inline NestedProgress MakeNested(ProgressRange* parent, uint32_t span, uint32_t range = 0) noexcept
{
    return NestedProgress(parent, span, range);
}

}  // namespace vorlune
