#pragma once

#include <windows.h>

#include "gfx/PngPicture.h"
#include "gfx/Surface.h"
#include "win/BufferedWindow.h"

namespace vorlune {

// Sent to the parent after a thumb was dragged to a new column: wParam 1
// for the start thumb, 0 for the end thumb.
constexpr UINT WM_TRACKBAR_RANGECHANGED = WM_APP + 1003;
// Sent to the parent to play from the column in wParam: a click inside the
// selection, and every move while that click is held.
constexpr UINT WM_TRACKBAR_SEEK = WM_APP + 2001;

// The groove with two thumbs on step 2. Everything is kept in the control's
// own pixel columns; the parent turns them into fractions of the song.
class VeTrackBarCtrl : public BufferedWindow {
public:
    static constexpr int kInset = 10;  // the track's left and right inset

    ~VeTrackBarCtrl() override;

    // At (x, y) of the parent, the size of the background picture.
    HWND Create(HWND parent, POINT at) noexcept;

    // The default selection of a new song: columns 90 to 210.
    void ResetRange(bool repaint) noexcept;
    double GetStartFraction() const noexcept;
    double GetEndFraction() const noexcept;
    double FractionFromX(int x) const noexcept;
    void SetPlayFraction(double fraction, bool repaint) noexcept;

    int StartX() const noexcept { return startX_; }
    int EndX() const noexcept { return endX_; }
    int PlayX() const noexcept { return playX_; }

protected:
    void Paint(HDC dc) override;
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    int startX_ = 90;
    int endX_ = 210;
    int playX_ = 0;
    int dragOffset_ = 0;
    bool draggingStart_ = false;
    bool draggingEnd_ = false;
    bool draggingPlay_ = false;
};

}  // namespace vorlune
