#include "controls/BitmapButton.h"

#include <windowsx.h>

#include <commctrl.h>

#include <utility>

#include "win/Accessible.h"

namespace vorlune {
namespace {

const WindowClass kClass{L"WTL_BitmapButton", L"BUTTON"};

}  // namespace

BitmapButton::~BitmapButton() { Destroy(); }

HWND BitmapButton::Create(HWND parent, const RECT& rect, UINT id, const wchar_t* name) noexcept
{
    return CreateWindowOf(kClass, parent, rect, kChildWindowStyle | BS_OWNERDRAW, 0, id, name);
}

HWND BitmapButton::CreateFromStrip(HWND parent, POINT at, UINT id, UniqueImageList images, int looks,
                                   const wchar_t* name) noexcept
{
    int width = 0, height = 0;
    if (images) ::ImageList_GetIconSize(images.Get(), &width, &height);
    SetImageList(std::move(images));
    SetImages(0, 1, 2, looks >= 4 ? 3 : -1);
    SetExtendedStyle(kDefaultStyle);
    return Create(parent, RECT{at.x, at.y, at.x + width, at.y + height}, id, name);
}

UniqueImageList BitmapButton::SetImageList(UniqueImageList list) noexcept
{
    UniqueImageList old = std::exchange(images_, std::move(list));
    if (Hwnd() && (extendedStyle_ & kAutoSize)) SizeToImage();
    return old;
}

void BitmapButton::SetImages(int normal, int pushed, int hoverOrFocus, int disabled) noexcept
{
    imageIndex_[kNormal] = normal;
    imageIndex_[kPushed] = pushed;
    imageIndex_[kHoverOrFocus] = hoverOrFocus;
    imageIndex_[kDisabled] = disabled;
}

bool BitmapButton::SetToolTipText(const wchar_t* text) noexcept
{
    try {
        toolTipText_ = text ? text : L"";
    } catch (...) {
        return false;
    }
    AddToolTip();
    return true;
}

bool BitmapButton::SizeToImage() noexcept
{
    int width = 0, height = 0;
    if (!Hwnd() || !images_ || !::ImageList_GetIconSize(images_.Get(), &width, &height)) return false;
    return ResizeClient(width, height);
}

void BitmapButton::SetName(const wchar_t* name) noexcept
{
    if (!Hwnd()) return;
    ::SetWindowTextW(Hwnd(), name);
    NotifyAccessible(EVENT_OBJECT_NAMECHANGE, Hwnd());
}

void BitmapButton::SetCheckState(bool checked) noexcept
{
    const bool changed = !checkable_ || checked_ != checked;
    checkable_ = true;
    checked_ = checked;
    if (changed) NotifyAccessible(EVENT_OBJECT_STATECHANGE, Hwnd());
}

void BitmapButton::Click() noexcept
{
    HWND self = Hwnd();
    if (!self || !::IsWindowEnabled(self)) return;
    ::SendMessageW(::GetParent(self), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(self), BN_CLICKED),
                   reinterpret_cast<LPARAM>(self));
}

bool BitmapButton::ShowsFocus() const noexcept { return focus_ && FocusCuesShown(Hwnd()); }

int BitmapButton::CurrentImage() const noexcept
{
    int index;
    if (Hwnd() && !::IsWindowEnabled(Hwnd()))
        index = imageIndex_[kDisabled];
    else if (pressed_)
        index = imageIndex_[kPushed];
    else if ((extendedStyle_ & kHover) ? hover_ || ShowsFocus() : focus_)
        index = imageIndex_[kHoverOrFocus];
    else
        index = imageIndex_[kNormal];
    return index == -1 ? imageIndex_[kNormal] : index;
}

void BitmapButton::Paint(HDC dc)
{
    if (images_) ::ImageList_Draw(images_.Get(), CurrentImage(), dc, 0, 0, ILD_NORMAL);
    if (ShowsFocus()) {
        RECT cue = ClientRect();
        ::InflateRect(&cue, -2, -2);
        DrawFocusCue(dc, cue);
    }
}

bool BitmapButton::Describe(AccessibleInfo& info) const
{
    wchar_t name[256] = L"";
    ::GetWindowTextW(Hwnd(), name, 256);
    info.name = name;
    info.shortcut = shortcut_;
    info.role = checkable_ ? ROLE_SYSTEM_CHECKBUTTON : ROLE_SYSTEM_PUSHBUTTON;
    info.state = STATE_SYSTEM_FOCUSABLE | (checked_ ? STATE_SYSTEM_CHECKED : 0) |
                 (pressed_ ? STATE_SYSTEM_PRESSED : 0) | (hover_ ? STATE_SYSTEM_HOTTRACKED : 0);
    info.defaultAction = !checkable_ ? L"Press" : checked_ ? L"Uncheck" : L"Check";
    return true;
}

bool BitmapButton::DoDefaultAction()
{
    if (!::IsWindowEnabled(Hwnd())) return false;
    Click();
    return true;
}

bool BitmapButton::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) RelayToToolTip(msg, wParam, lParam);
    result = 0;
    switch (msg) {
    case WM_CREATE:
        result = OnCreate(wParam, lParam);
        return true;
    case WM_DESTROY:
        OnDestroy();
        return false;
    case WM_MOUSEMOVE:
        OnMouseMove(lParam);
        return true;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnButtonDown();  // not the system button's: that would take the focus
        return true;
    case WM_LBUTTONUP:
        OnButtonUp();
        return true;
    case WM_CAPTURECHANGED:
        OnCaptureLost();
        return true;
    case WM_CANCELMODE:
        if (::GetCapture() == Hwnd()) ::ReleaseCapture();
        OnCaptureLost();
        return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        OnFocus(msg == WM_SETFOCUS);
        return false;  // the system button keeps its own focus state
    case WM_ENABLE:
        Repaint();
        return true;
    case WM_GETDLGCODE:
        result = DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        return true;
    case WM_KEYDOWN:
    case WM_KEYUP:
        if (wParam == VK_SPACE) return OnSpace(msg == WM_KEYDOWN, lParam);
        break;
    case BM_CLICK:
        Click();
        return true;
    case WM_SETTEXT:
        // Not the system button's: it clears its label's place with the
        // parent's brush, and this button has no label to draw.
        result = ::DefWindowProcW(Hwnd(), msg, wParam, lParam);
        return true;
    case WM_UPDATEUISTATE:
        result = ::DefWindowProcW(Hwnd(), msg, wParam, lParam);
        if (focus_) Repaint();
        return true;
    }
    return BufferedWindow::ProcessWindowMessage(msg, wParam, lParam, result);
}

LRESULT BitmapButton::OnCreate(WPARAM wParam, LPARAM lParam) noexcept
{
    const LRESULT created = DefaultProc(WM_CREATE, wParam, lParam);
    if (created == -1) return -1;
    // Owner-drawn whatever the creator asked for: the system must not draw.
    const LONG_PTR style = ::GetWindowLongPtrW(Hwnd(), GWL_STYLE);
    ::SetWindowLongPtrW(Hwnd(), GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);

    toolTip_.Reset(::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                     CW_USEDEFAULT, CW_USEDEFAULT, Hwnd(), nullptr, nullptr, nullptr));
    AddToolTip();
    if (extendedStyle_ & kAutoSize) SizeToImage();
    return created;
}

void BitmapButton::OnDestroy() noexcept
{
    toolTip_.Reset();
    hover_ = pressed_ = focus_ = trackingLeave_ = false;
}

void BitmapButton::OnMouseMove(LPARAM lParam) noexcept
{
    if (::GetCapture() == Hwnd()) {
        // Pressed only while the pointer is over the button.
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ::ClientToScreen(Hwnd(), &pt);
        RECT window{};
        ::GetWindowRect(Hwnd(), &window);
        SetPressed(::PtInRect(&window, pt) != FALSE);
    } else if ((extendedStyle_ & kHover) && !hover_) {
        hover_ = true;
        Repaint();
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Hwnd(), 0};
        trackingLeave_ = ::_TrackMouseEvent(&track) != FALSE;
    }
}

void BitmapButton::OnMouseLeave() noexcept
{
    trackingLeave_ = false;
    if (hover_) {
        hover_ = false;
        Repaint();
    }
}

void BitmapButton::OnButtonDown() noexcept
{
    ::SetCapture(Hwnd());
    if (::GetCapture() == Hwnd()) SetPressed(true);
}

void BitmapButton::OnButtonUp() noexcept
{
    HWND self = Hwnd();
    if (::GetCapture() != self) return;
    if (pressed_) {
        // Sent, so the command has run before the button lets go; the
        // handler may even destroy the button.
        ::SendMessageW(::GetParent(self), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(self), BN_CLICKED),
                       reinterpret_cast<LPARAM>(self));
    }
    if (::GetCapture() == self) ::ReleaseCapture();
}

void BitmapButton::OnCaptureLost() noexcept
{
    // Whoever took the capture (a dialog opened by the click, a menu, the
    // system), the press is over.
    SetPressed(false);
}

void BitmapButton::OnFocus(bool focus) noexcept
{
    focus_ = focus;
    if (!focus && ::GetCapture() != Hwnd()) pressed_ = false;  // a Space that never came up
    Repaint();
}

// Pushed while the key is down, clicked when it comes up, as the system's
// buttons do; a press the mouse holds is the mouse's.
bool BitmapButton::OnSpace(bool down, LPARAM lParam) noexcept
{
    if (::GetCapture() == Hwnd()) return true;
    if (down) {
        if (!(lParam & (1 << 30)) && ::IsWindowEnabled(Hwnd())) SetPressed(true);  // not a repeat
        return true;
    }
    if (!pressed_) return true;
    SetPressed(false);
    Click();
    return true;
}

void BitmapButton::SetPressed(bool pressed) noexcept
{
    if (pressed_ == pressed) return;
    pressed_ = pressed;
    Repaint();
}

void BitmapButton::RelayToToolTip(UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    if (!toolTip_) return;
    MSG relayed{Hwnd(), msg, wParam, lParam, 0, {}};
    ::SendMessageW(toolTip_.Get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void BitmapButton::AddToolTip() noexcept
{
    if (!toolTip_ || toolTipText_.empty()) return;
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_IDISHWND;
    info.hwnd = ::GetParent(Hwnd());
    info.uId = reinterpret_cast<UINT_PTR>(Hwnd());
    info.lpszText = const_cast<wchar_t*>(toolTipText_.c_str());
    ::SendMessageW(toolTip_.Get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    ::SendMessageW(toolTip_.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    ::SendMessageW(toolTip_.Get(), TTM_ACTIVATE, TRUE, 0);
}

}  // namespace vorlune
