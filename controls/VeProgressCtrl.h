#pragma once

#include <windows.h>

#include <atomic>

#include "gfx/Surface.h"
#include "io/ProgressRange.h"
#include "win/BufferedWindow.h"

namespace vorlune {

// The bar that shows how far the save has come. It is itself a progress
// range: whoever holds it moves it, and it repaints at once on every move
// that changes the bar's length on the screen.
// Created hidden; its owner decides when it shows.
class VeProgressCtrl : public BufferedWindow, public ProgressRange {
public:
    ~VeProgressCtrl() override;

    // At (x, y) of the parent, hidden, the size of its background picture.
    HWND Create(HWND parent, POINT at) noexcept;

    // Where the bar ends for a client width: the filled part of the client
    // area shrunk by the margin on every side.
    static RECT BarRect(const RECT& client, double percent) noexcept;
    // Position as a percentage of the range, capped at 100; 0 without a range.
    double ExactPercent() const noexcept;

protected:
    void Paint(HDC dc) override;
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnPositionChanged() noexcept override;
    bool Describe(AccessibleInfo& info) const override;

private:
    Surface8 background_;
    std::atomic<LONG> barRight_{-1};  // where the bar ends as last painted or moved
};

}  // namespace vorlune
