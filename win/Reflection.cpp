#include "win/Reflection.h"

namespace vorlune {
namespace {

HWND SenderOf(HWND parent, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (msg) {
    case WM_COMMAND:
        return reinterpret_cast<HWND>(lParam);  // null for menus and accelerators
    case WM_NOTIFY:
        return lParam ? reinterpret_cast<const NMHDR*>(lParam)->hwndFrom : nullptr;
    case WM_PARENTNOTIFY:
        switch (LOWORD(wParam)) {
        case WM_CREATE:
        case WM_DESTROY:
            return reinterpret_cast<HWND>(lParam);
        default:
            return ::GetDlgItem(parent, HIWORD(wParam));
        }
    case WM_DRAWITEM:
        return wParam && lParam ? reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem : nullptr;
    case WM_MEASUREITEM:
        return wParam && lParam ? ::GetDlgItem(parent, reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam)->CtlID)
                                : nullptr;
    case WM_COMPAREITEM:
        return wParam && lParam ? reinterpret_cast<const COMPAREITEMSTRUCT*>(lParam)->hwndItem : nullptr;
    case WM_DELETEITEM:
        return wParam && lParam ? reinterpret_cast<const DELETEITEMSTRUCT*>(lParam)->hwndItem : nullptr;
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<HWND>(lParam);
    default:
        return nullptr;
    }
}

}  // namespace

bool ReflectNotification(HWND parent, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept
{
    HWND child = SenderOf(parent, msg, wParam, lParam);
    if (!child || !::IsWindow(child)) return false;
    result = ::SendMessageW(child, kReflected + msg, wParam, lParam);
    return true;
}

}  // namespace vorlune
