#include "controls/VeFooterLinkCtrl.h"

#include <windowsx.h>

#include "controls/SkinArt.h"
#include "controls/WebLinks.h"
#include "res/resource.h"
#include "win/Accessible.h"

namespace vorlune {
namespace {

const WindowClass kClass{L"VeFooterLinkCtrl"};

bool Inside(HWND hwnd, LPARAM lParam) noexcept
{
    RECT client{};
    ::GetClientRect(hwnd, &client);
    const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    return ::PtInRect(&client, pt) != FALSE;
}

}  // namespace

VeFooterLinkCtrl::~VeFooterLinkCtrl() { Destroy(); }

HWND VeFooterLinkCtrl::Create(HWND parent, const RECT& rect) noexcept
{
    return CreateWindowOf(kClass, parent, rect, kChildWindowStyle);
}

bool VeFooterLinkCtrl::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    switch (msg) {
    case WM_CREATE:
        OnCreate();
        return true;
    case WM_SETCURSOR:
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        result = TRUE;
        return true;
    case WM_MOUSEMOVE:
        OnMouseMove(lParam);
        return true;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return true;
    case WM_LBUTTONDOWN:
        ::SetCapture(Hwnd());
        return true;
    case WM_LBUTTONUP:
        OnButtonUp(lParam);
        return true;
    }
    return BufferedWindow::ProcessWindowMessage(msg, wParam, lParam, result);
}

void VeFooterLinkCtrl::OnCreate() noexcept
{
    LoadSkinJpeg(IDJ_LINK, normal_);
    LoadSkinJpeg(IDJ_LINK_HOVER, hoverLook_);
    ResizeClient(hoverLook_.Width(), hoverLook_.Height());
}

void VeFooterLinkCtrl::OnMouseMove(LPARAM lParam) noexcept
{
    SetHover(Inside(Hwnd(), lParam));
    // Ask for the leave on the first move, or a quick exit would be missed.
    if (!tracking_) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Hwnd(), 0};
        tracking_ = ::TrackMouseEvent(&track) != FALSE;
    }
}

void VeFooterLinkCtrl::OnMouseLeave() noexcept
{
    tracking_ = false;
    SetHover(false);
}

void VeFooterLinkCtrl::OnButtonUp(LPARAM lParam) noexcept
{
    if (::GetCapture() != Hwnd()) return;
    ::ReleaseCapture();
    if (Inside(Hwnd(), lParam)) OpenWebsite();
}

void VeFooterLinkCtrl::SetHover(bool hover) noexcept
{
    if (hover_ == hover) return;
    hover_ = hover;
    Repaint();
}

bool VeFooterLinkCtrl::Describe(AccessibleInfo& info) const
{
    info.name = L"Vorlune website";
    info.role = ROLE_SYSTEM_LINK;
    info.state = STATE_SYSTEM_LINKED | (hover_ ? STATE_SYSTEM_HOTTRACKED : 0);
    info.defaultAction = L"Jump";
    return true;
}

bool VeFooterLinkCtrl::DoDefaultAction()
{
    OpenWebsite();
    return true;
}

void VeFooterLinkCtrl::Paint(HDC dc) { (hover_ ? hoverLook_ : normal_).DrawAt(dc, 0, 0); }

}  // namespace vorlune
