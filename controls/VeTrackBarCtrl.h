#pragma once

#include <windows.h>

#include <string>

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
// Focused, it moves one thumb by the keys (Left/Right a column, with Shift
// ten, Home/End to the track's ends; Tab goes from the start thumb to the
// end thumb before it leaves), telling the parent as a drag does.
class VeTrackBarCtrl : public BufferedWindow {
public:
    static constexpr int kInset = 10;  // the track's left and right inset
    static constexpr int kDefaultStartX = 90;
    static constexpr int kDefaultEndX = 210;

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
    // Which thumb the keys move.
    bool KeysMoveStart() const noexcept { return keysMoveStart_; }

    // The selection in words for screen readers ("from 0:48 to 2:00 of
    // 4:00"): the parent knows the times.
    void SetAccessibleValue(const std::wstring& value) noexcept;

protected:
    void Paint(HDC dc) override;
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool Describe(AccessibleInfo& info) const override;

private:
    LRESULT OnCreate() noexcept;
    LRESULT OnGetDlgCode(const MSG* msg) const noexcept;
    void OnKeyDown(WPARAM key) noexcept;
    void OnFocus(bool focus) noexcept;
    void OnButtonDown(int x, int y) noexcept;
    void OnMouseMove(int x) noexcept;
    int TrackWidth() const noexcept;  // the span of the song, in columns
    RECT StartThumbRect() const noexcept;
    RECT EndThumbRect() const noexcept;
    void NotifyParent(UINT msg, WPARAM wParam) noexcept;
    void MoveThumb(int& column, int to, int low, int high, WPARAM which) noexcept;

    Surface24 background_;
    Surface24 rangeBand_;
    Surface24 playedBand_;
    PngPicture startThumb_;
    PngPicture endThumb_;
    // A new control shows the default range, so both thumbs are on the
    // track and can be reached before any song loads.
    int startX_ = kDefaultStartX;
    int endX_ = kDefaultEndX;
    int playX_ = kInset;  // the song's start
    int dragOffset_ = 0;
    bool draggingStart_ = false;
    bool draggingEnd_ = false;
    bool draggingPlay_ = false;
    bool keysMoveStart_ = true;
    std::wstring accessibleValue_;
};

}  // namespace vorlune
