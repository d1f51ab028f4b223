#pragma once

#include <windows.h>

#include <oleacc.h>

#include <string>

namespace vorlune {

// What a window of ours tells a screen reader about itself: its Active
// Accessibility name, role, value and the states it knows best. Visibility,
// availability and focus come from the window itself.
struct AccessibleInfo {
    std::wstring name;
    std::wstring value;
    std::wstring description;
    std::wstring shortcut;       // a key that does the same, e.g. "Alt+Right"
    std::wstring defaultAction;  // e.g. "Press"; empty: none
    long role = ROLE_SYSTEM_CLIENT;
    long state = 0;  // e.g. STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_CHECKED
};

// Sent by the accessible object to its window: wParam 0 fills the
// AccessibleInfo at lParam and answers 1, wParam 1 does the default action
// and answers 1 when there was one. Windows of ours answer through
// Window::Describe and Window::DoDefaultAction.
constexpr UINT WM_ACCESSIBLE_QUERY = WM_APP + 3001;

// The answer to WM_GETOBJECT for the client area: a new IAccessible for the
// window, handed over with LresultFromObject. It holds only the window
// handle and asks the window each time, so it may outlive the window
// (it then answers that it is gone).
LRESULT AnswerGetObject(HWND hwnd, WPARAM wParam) noexcept;

// Tells accessibility clients that an object of the window's client area
// changed (EVENT_OBJECT_NAMECHANGE, _VALUECHANGE, _STATECHANGE, ...).
void NotifyAccessible(DWORD event, HWND hwnd) noexcept;

}  // namespace vorlune
