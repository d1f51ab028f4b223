#pragma once

#include "gfx/Surface.h"
#include "win/BufferedWindow.h"

namespace vorlune {

// The band at the top of the wizard: the product banner and, under it, the
// strip that shows which of the three steps is current.
class VeViewHeader : public BufferedWindow {
public:
    static constexpr int kSteps = 3;

    ~VeViewHeader() override;

    HWND Create(HWND parent, const RECT& rect) noexcept;

    // Each clamps to 0..2 and repaints only when the step changed.
    void PreviousStep() noexcept { SetStep(step_ - 1); }
    void NextStep() noexcept { SetStep(step_ + 1); }
    void FirstStep() noexcept { SetStep(0); }
    int Step() const noexcept { return step_; }

protected:
    void Paint(HDC dc) override;
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnCreate() noexcept;
    void SetStep(int step) noexcept;

    Surface24 background_;
    Surface24 banners_[kSteps];
    int step_ = 0;
};

}  // namespace vorlune
