#include "io/ProgressRange.h"

#include <algorithm>
#include <cmath>

namespace vorlune {

bool ProgressRange::IsCancelled() const noexcept { return OwnCancelled(); }

void ProgressRange::Cancel() noexcept
{
    if (cancelled_.exchange(1, std::memory_order_acq_rel) == 0) OnCancel();
}

bool ProgressRange::IsFailed() const noexcept { return OwnFailed(); }

void ProgressRange::Fail() noexcept
{
    if (failed_.exchange(1, std::memory_order_acq_rel) == 0) OnFail();
}

void ProgressRange::Init(uint32_t range, uint32_t position) noexcept
{
    range_.store(range, std::memory_order_relaxed);
    position_.store(std::min(position, range), std::memory_order_relaxed);
    cancelled_.store(0, std::memory_order_release);
    failed_.store(0, std::memory_order_release);
}

void ProgressRange::Begin(uint32_t range) noexcept
{
    // A cancel may come before the work has begun; it must still hold.
    failed_.store(0, std::memory_order_release);
    range_.store(0, std::memory_order_relaxed);
    position_.store(0, std::memory_order_relaxed);
    SetRange(range);
}

bool ProgressRange::StorePosition(uint32_t position) noexcept
{
    return position_.exchange(position, std::memory_order_relaxed) != position;
}

void ProgressRange::MoveTo(ProgressRange& range, uint32_t position) noexcept
{
    if (range.StorePosition(position)) range.OnPositionChanged();
}

void ProgressRange::SetRange(uint32_t range) noexcept
{
    if (range == Range()) return;
    range_.store(range, std::memory_order_relaxed);
    StorePosition(std::min(Position(), range));
    OnPositionChanged();
}

void ProgressRange::Advance(int32_t delta) noexcept
{
    const int64_t target = std::clamp<int64_t>(int64_t{Position()} + delta, 0, Range());
    MoveTo(*this, static_cast<uint32_t>(target));
}

void ProgressRange::SetPercent(float percent) noexcept
{
    if (!(percent >= 0.0f)) percent = 0.0f;  // also catches NaN
    percent = std::min(percent, 100.0f);
    const double units = std::trunc(double(percent) * Range() * 0.01);
    MoveTo(*this, static_cast<uint32_t>(std::min<double>(units, Range())));
}

void ProgressRange::Complete() noexcept { MoveTo(*this, Range()); }

uint32_t ProgressRange::Percent() const noexcept
{
    const uint32_t range = Range();
    if (range == 0) return 0;
    return static_cast<uint32_t>(std::min<uint64_t>(100, uint64_t{Position()} * 100 / range));
}

NestedProgress::NestedProgress(ProgressRange* parent, uint32_t span, uint32_t range) noexcept
    : parent_(parent), span_(span), base_(0)
{
    if (parent_) {
        const uint32_t left = parent_->Range() - std::min(parent_->Position(), parent_->Range());
        span_ = std::min(span, left);
        base_ = parent_->Position();
    }
    Init(range != 0 ? range : span_, 0);
}

bool NestedProgress::IsCancelled() const noexcept
{
    return OwnCancelled() || (parent_ && parent_->IsCancelled());
}

void NestedProgress::Cancel() noexcept
{
    ProgressRange::Cancel();
    if (parent_) parent_->Cancel();
}

bool NestedProgress::IsFailed() const noexcept
{
    return OwnFailed() || (parent_ && parent_->IsFailed());
}

void NestedProgress::Fail() noexcept
{
    ProgressRange::Fail();
    if (parent_) parent_->Fail();
}

void NestedProgress::OnPositionChanged() noexcept
{
    const uint32_t range = Range();
    if (!parent_ || range == 0) return;
    const uint32_t position = Position();
    const uint64_t carried = position == range ? span_ : uint64_t{span_} * position / range;
    MoveTo(*parent_, static_cast<uint32_t>(std::min<uint64_t>(parent_->Range(), carried + base_)));
}

}  // namespace vorlune
