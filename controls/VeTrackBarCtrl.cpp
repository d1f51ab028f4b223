#include "controls/VeTrackBarCtrl.h"

#include <windowsx.h>

#include "controls/SkinArt.h"
#include "gfx/ImageResource.h"
#include "gfx/PictureSource.h"
#include "res/resource.h"
#include "win/Accessible.h"
#include "win/AppModule.h"

namespace vorlune {
namespace {

const WindowClass kClass{L"VeTrackBarCtrl"};

// The groove's rows, and the row the thumbs hang from.
constexpr int kGrooveTop = 11;
constexpr int kGrooveBottom = 21;
constexpr int kThumbTop = 31;
constexpr COLORREF kSelectionColour = RGB(75, 75, 75);

}  // namespace

VeTrackBarCtrl::~VeTrackBarCtrl() { Destroy(); }

HWND VeTrackBarCtrl::Create(HWND parent, POINT at) noexcept
{
    return CreateWindowOf(kClass, parent, RECT{at.x, at.y, at.x, at.y}, kChildWindowStyle);
}

bool VeTrackBarCtrl::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    switch (msg) {
    case WM_CREATE:
        result = OnCreate();
        return true;
    case WM_LBUTTONDOWN:
        OnButtonDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return true;
    case WM_MOUSEMOVE:
        OnMouseMove(GET_X_LPARAM(lParam));
        return true;
    case WM_LBUTTONUP:
        if (::GetCapture() == Hwnd()) ::ReleaseCapture();
        return true;
    case WM_GETDLGCODE:
        result = OnGetDlgCode(reinterpret_cast<const MSG*>(lParam));
        return true;
    case WM_KEYDOWN:
        OnKeyDown(wParam);
        return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        OnFocus(msg == WM_SETFOCUS);
        return true;
    case WM_UPDATEUISTATE:
        result = DefaultProc(msg, wParam, lParam);
        if (::GetFocus() == Hwnd()) Repaint();
        return true;
    }
    return BufferedWindow::ProcessWindowMessage(msg, wParam, lParam, result);
}

LRESULT VeTrackBarCtrl::OnCreate() noexcept
{
    // A picture that fails to decode stays empty and draws nothing; only a
    // skin without the background, which gives the control its size, fails.
    const HMODULE skin = AppModule::ResourceInstance();
    LoadSkinJpeg(IDJ_TRACK, background_);
    LoadBitmapResource(rangeBand_, IDB_RANGE_BAND, 24, skin);
    LoadBitmapResource(playedBand_, IDB_PLAYED_BAND, 24, skin);
    startThumb_.LoadFromResource(IDP_START_THUMB, skin);
    endThumb_.LoadFromResource(IDP_END_THUMB, skin);
    SIZE size{background_.Width(), background_.Height()};
    if (background_.IsEmpty() && !ResourceImageSize(IDJ_TRACK, size, skin)) return -1;
    ResizeClient(size.cx, size.cy);
    return 0;
}

int VeTrackBarCtrl::TrackWidth() const noexcept
{
    const RECT client = ClientRect();
    const int width = client.right - client.left - 2 * kInset;
    return width > 0 ? width : 0;
}

RECT VeTrackBarCtrl::StartThumbRect() const noexcept
{
    return RECT{startX_ - 9, kThumbTop, startX_ - 9 + startThumb_.Width(), kThumbTop + startThumb_.Height()};
}

RECT VeTrackBarCtrl::EndThumbRect() const noexcept
{
    return RECT{endX_, kThumbTop, endX_ + endThumb_.Width(), kThumbTop + endThumb_.Height()};
}

void VeTrackBarCtrl::ResetRange(bool repaint) noexcept
{
    startX_ = kDefaultStartX;
    endX_ = kDefaultEndX;
    if (repaint) Repaint();
}

double VeTrackBarCtrl::FractionFromX(int x) const noexcept
{
    const int width = TrackWidth();
    if (width <= 0) return 0.0;
    const int column = x - kInset;
    return static_cast<double>(column < 0 ? 0 : column > width ? width : column) / width;
}

double VeTrackBarCtrl::GetStartFraction() const noexcept { return FractionFromX(startX_); }

double VeTrackBarCtrl::GetEndFraction() const noexcept { return FractionFromX(endX_); }

void VeTrackBarCtrl::SetPlayFraction(double fraction, bool repaint) noexcept
{
    // NaN (a song of unknown length) counts as its start.
    fraction = !(fraction > 0.0) ? 0.0 : fraction > 1.0 ? 1.0 : fraction;
    const int column = static_cast<int>(fraction * TrackWidth() + kInset + 0.5);
    if (column == playX_) return;
    playX_ = column;
    if (repaint) Repaint();
}

void VeTrackBarCtrl::NotifyParent(UINT msg, WPARAM wParam) noexcept
{
    ::SendMessageW(::GetParent(Hwnd()), msg, wParam, 0);
}

void VeTrackBarCtrl::OnButtonDown(int x, int y) noexcept
{
    draggingStart_ = draggingEnd_ = draggingPlay_ = false;
    const POINT at{x, y};
    const RECT start = StartThumbRect(), end = EndThumbRect();
    // Where both thumbs are hit, the start thumb is the one taken.
    if (::PtInRect(&start, at)) {
        draggingStart_ = true;
        dragOffset_ = startX_ - x;
        ::SetCapture(Hwnd());
        return;
    }
    if (::PtInRect(&end, at)) {
        draggingEnd_ = true;
        dragOffset_ = endX_ - x;
        ::SetCapture(Hwnd());
        return;
    }
    const RECT selection{startX_, kGrooveTop, endX_, kGrooveBottom};
    if (::PtInRect(&selection, at)) {
        draggingPlay_ = true;
        ::SetCapture(Hwnd());
        NotifyParent(WM_TRACKBAR_SEEK, static_cast<WPARAM>(x));
    }
}

void VeTrackBarCtrl::OnMouseMove(int x) noexcept
{
    if (::GetCapture() != Hwnd()) return;
    const int trackLeft = kInset, trackRight = kInset + TrackWidth();
    if (draggingStart_) {
        MoveThumb(startX_, x + dragOffset_, trackLeft, endX_, 1);
    } else if (draggingEnd_) {
        MoveThumb(endX_, x + dragOffset_, startX_, trackRight, 0);
    } else if (draggingPlay_) {
        // The marker stays: the parent moves it once playback has moved.
        const int column = x < startX_ ? startX_ : x > endX_ ? endX_ : x;
        NotifyParent(WM_TRACKBAR_SEEK, static_cast<WPARAM>(column));
    }
}

LRESULT VeTrackBarCtrl::OnGetDlgCode(const MSG* msg) const noexcept
{
    LRESULT code = DLGC_WANTARROWS;
    // Tab stays inside while it has a thumb to go to: forward from the
    // start thumb, backward from the end thumb.
    if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_TAB) {
        const bool backward = ::GetKeyState(VK_SHIFT) < 0;
        if (backward != keysMoveStart_) code |= DLGC_WANTTAB;
    }
    return code;
}

void VeTrackBarCtrl::OnFocus(bool focus) noexcept
{
    // Shift+Tab comes in at the end thumb, anything else at the start.
    if (focus) keysMoveStart_ = ::GetKeyState(VK_SHIFT) >= 0;
    Repaint();
}

void VeTrackBarCtrl::OnKeyDown(WPARAM key) noexcept
{
    const int trackLeft = kInset, trackRight = kInset + TrackWidth();
    const int step = ::GetKeyState(VK_SHIFT) < 0 ? 10 : 1;
    int to = keysMoveStart_ ? startX_ : endX_;
    switch (key) {
    case VK_TAB:
        keysMoveStart_ = !keysMoveStart_;
        Repaint();
        NotifyAccessible(EVENT_OBJECT_NAMECHANGE, Hwnd());
        return;
    case VK_LEFT:
        to -= step;
        break;
    case VK_RIGHT:
        to += step;
        break;
    case VK_HOME:
        to = trackLeft;
        break;
    case VK_END:
        to = trackRight;
        break;
    default:
        return;
    }
    if (keysMoveStart_)
        MoveThumb(startX_, to, trackLeft, endX_, 1);
    else
        MoveThumb(endX_, to, startX_, trackRight, 0);
}

void VeTrackBarCtrl::SetAccessibleValue(const std::wstring& value) noexcept
{
    if (value == accessibleValue_) return;
    try {
        accessibleValue_ = value;
    } catch (...) {
        accessibleValue_.clear();
    }
    NotifyAccessible(EVENT_OBJECT_VALUECHANGE, Hwnd());
}

bool VeTrackBarCtrl::Describe(AccessibleInfo& info) const
{
    info.name = keysMoveStart_ ? L"Start of the ringtone" : L"End of the ringtone";
    info.value = accessibleValue_;
    info.description = L"Left and Right move the thumb, Shift ten times as far, Home and End to the ends; "
                       L"Tab goes to the other thumb";
    info.role = ROLE_SYSTEM_SLIDER;
    info.state = STATE_SYSTEM_FOCUSABLE;
    return true;
}

// A thumb's column to `to` held within [low, high]; only a new column is
// shown and told to the parent (wParam 1 for the start thumb, 0 for the end).
void VeTrackBarCtrl::MoveThumb(int& column, int to, int low, int high, WPARAM which) noexcept
{
    to = to < low ? low : to > high ? high : to;
    if (to == column) return;
    column = to;
    Repaint();
    NotifyParent(WM_TRACKBAR_RANGECHANGED, which);
}

void VeTrackBarCtrl::Paint(HDC dc)
{
    const RECT client = ClientRect();
    if (::IsRectEmpty(&client)) return;
    background_.DrawAt(dc, client.left, client.top);

    // The band frames the selected part of the groove above and below, never
    // over it.
    const int saved = ::SaveDC(dc);
    ::ExcludeClipRect(dc, client.left + kInset - 2, client.top + kGrooveTop - 2, client.right - kInset + 2,
                      client.top + kGrooveBottom + 2);
    rangeBand_.DrawStretched(dc, RECT{startX_, 0, endX_, kThumbTop}, rangeBand_.Bounds());
    if (saved) ::RestoreDC(dc, saved);

    const RECT selection{startX_, client.top + kGrooveTop, endX_, client.top + kGrooveBottom};
    const COLORREF oldBack = ::SetBkColor(dc, kSelectionColour);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &selection, nullptr, 0, nullptr);
    ::SetBkColor(dc, oldBack);

    playedBand_.DrawStretched(dc, RECT{startX_, client.top + kGrooveTop, playX_, client.top + kGrooveBottom},
                              playedBand_.Bounds());

    DrawPictureAt(dc, startThumb_, POINT{startX_ - 9, kThumbTop}, nullptr);
    DrawPictureAt(dc, endThumb_, POINT{endX_, kThumbTop}, nullptr);

    if (::GetFocus() == Hwnd() && FocusCuesShown(Hwnd())) {
        RECT cue = keysMoveStart_ ? StartThumbRect() : EndThumbRect();
        ::InflateRect(&cue, 1, 1);
        DrawFocusCue(dc, cue);
    }
}

}  // namespace vorlune
