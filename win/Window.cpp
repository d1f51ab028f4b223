#include "win/Window.h"

#include <cwchar>
#include <new>
#include <vector>

#include "win/Accessible.h"
#include "win/AppModule.h"

namespace vorlune {
namespace {

struct Registered {
    const wchar_t* name;
    ATOM atom;
    WNDPROC base;
};

// Only grows; read and written under the module's lock.
std::vector<Registered>& Table()
{
    static std::vector<Registered> table;
    return table;
}

WNDPROC Register(const WindowClass& cls, WNDPROC proc) noexcept
{
    ModuleLock lock;
    for (const Registered& r : Table())
        if (std::wcscmp(r.name, cls.name) == 0) return r.base;

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    WNDPROC base = ::DefWindowProcW;
    if (cls.superclassOf) {
        if (!::GetClassInfoExW(nullptr, cls.superclassOf, &wc)) return nullptr;
        base = wc.lpfnWndProc;
    } else {
        wc.style = 0;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = cls.background;
        if (cls.iconId) {
            const HINSTANCE res = AppModule::ResourceInstance();
            wc.hIcon = static_cast<HICON>(
                ::LoadImageW(res, MAKEINTRESOURCEW(cls.iconId), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
            wc.hIconSm = static_cast<HICON>(
                ::LoadImageW(res, MAKEINTRESOURCEW(cls.iconId), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
        }
    }
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = AppModule::Instance();
    wc.lpszClassName = cls.name;
    const ATOM atom = ::RegisterClassExW(&wc);
    if (!atom) return nullptr;
    try {
        Table().push_back({cls.name, atom, base});
    } catch (const std::bad_alloc&) {
        ::UnregisterClassW(cls.name, AppModule::Instance());
        return nullptr;
    }
    return base;
}

// For the few messages a window gets before WM_NCCREATE.
WNDPROC BaseOf(HWND hwnd) noexcept
{
    const auto atom = static_cast<ATOM>(::GetClassLongPtrW(hwnd, GCW_ATOM));
    ModuleLock lock;
    for (const Registered& r : Table())
        if (r.atom == atom) return r.base;
    return ::DefWindowProcW;
}

}  // namespace

Window::~Window() { Destroy(); }

bool Window::Destroy() noexcept
{
    return hwnd_ && ::IsWindow(hwnd_) && ::DestroyWindow(hwnd_);
}

void Window::Repaint() noexcept
{
    if (!hwnd_) return;
    ::InvalidateRect(hwnd_, nullptr, FALSE);
    ::UpdateWindow(hwnd_);
}

bool Window::ResizeClient(int width, int height) noexcept
{
    if (!hwnd_) return false;
    RECT rc{0, 0, width, height};
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
    const bool menu = !(style & WS_CHILD) && ::GetMenu(hwnd_) != nullptr;
    if (!::AdjustWindowRectEx(&rc, style, menu, exStyle)) return false;
    return ::SetWindowPos(hwnd_, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                          SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW) != FALSE;
}

RECT Window::ClientRect() const noexcept
{
    RECT rc{};
    if (hwnd_) ::GetClientRect(hwnd_, &rc);
    return rc;
}

HWND Window::CreateWindowOf(const WindowClass& cls, HWND parent, const RECT& rect, DWORD style, DWORD exStyle,
                            UINT_PTR idOrMenu, const wchar_t* title) noexcept
{
    if (hwnd_) return nullptr;
    base_ = Register(cls, &Window::Proc);
    if (!base_) return nullptr;
    HWND hwnd = ::CreateWindowExW(exStyle, cls.name, title, style, rect.left, rect.top, rect.right - rect.left,
                                  rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(idOrMenu),
                                  AppModule::Instance(), this);
    if (!hwnd) hwnd_ = nullptr;  // a refused creation may end without WM_NCDESTROY
    return hwnd;
}

bool Window::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (msg) {
    case WM_GETOBJECT: {
        // The id comes as a DWORD, sign-extended or not.
        AccessibleInfo info;
        if (static_cast<LONG>(static_cast<DWORD>(lParam)) != OBJID_CLIENT || !Describe(info)) return false;
        result = AnswerGetObject(hwnd_, wParam);
        return true;
    }
    case WM_ACCESSIBLE_QUERY:
        if (wParam == 0) {
            auto* info = reinterpret_cast<AccessibleInfo*>(lParam);
            result = info && Describe(*info) ? 1 : 0;
        } else {
            result = DoDefaultAction() ? 1 : 0;
        }
        return true;
    }
    return false;
}

LRESULT Window::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    return ::CallWindowProcW(base_ ? base_ : ::DefWindowProcW, hwnd_, msg, wParam, lParam);
}

LRESULT CALLBACK Window::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE && !self) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (self) {
            self->hwnd_ = hwnd;
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    }
    if (!self) return ::CallWindowProcW(BaseOf(hwnd), hwnd, msg, wParam, lParam);

    LRESULT result = 0;
    bool handled;
    try {
        handled = self->ProcessWindowMessage(msg, wParam, lParam, result);
    } catch (...) {
        handled = true;
        result = msg == WM_CREATE ? -1 : 0;  // 0 also fails WM_NCCREATE
    }
    if (!handled) result = self->DefaultProc(msg, wParam, lParam);

    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        self->OnFinalMessage(hwnd);
    }
    return result;
}

bool CenterWindow(HWND hwnd, HWND over) noexcept
{
    if (!hwnd) return false;
    if (!over) over = ::GetWindow(hwnd, GW_OWNER);
    RECT rc{}, target{};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!::GetWindowRect(hwnd, &rc) ||
        !::GetMonitorInfoW(::MonitorFromWindow(over ? over : hwnd, MONITOR_DEFAULTTONEAREST), &monitor))
        return false;
    const RECT& work = monitor.rcWork;
    if (!over || !::GetWindowRect(over, &target)) target = work;
    const int width = rc.right - rc.left, height = rc.bottom - rc.top;
    int x = target.left + (target.right - target.left - width) / 2;
    int y = target.top + (target.bottom - target.top - height) / 2;
    // Off the screen only when it is larger than the work area.
    if (x + width > work.right) x = work.right - width;
    if (y + height > work.bottom) y = work.bottom - height;
    if (x < work.left) x = work.left;
    if (y < work.top) y = work.top;
    return ::SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}

bool FocusCuesShown(HWND hwnd) noexcept
{
    HWND top = hwnd ? ::GetAncestor(hwnd, GA_ROOT) : nullptr;
    return top && !(::SendMessageW(top, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

void SetFocusCuesShown(HWND hwnd, bool shown) noexcept
{
    HWND top = hwnd ? ::GetAncestor(hwnd, GA_ROOT) : nullptr;
    if (top) ::SendMessageW(top, WM_CHANGEUISTATE, MAKEWPARAM(shown ? UIS_CLEAR : UIS_SET, UISF_HIDEFOCUS), 0);
}

bool CanTakeFocus(HWND hwnd) noexcept { return hwnd && ::IsWindowVisible(hwnd) && ::IsWindowEnabled(hwnd); }

void DrawFocusCue(HDC dc, const RECT& rect) noexcept
{
    // DrawFocusRect inverts with the text and background colours in force.
    const COLORREF oldText = ::SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF oldBack = ::SetBkColor(dc, RGB(255, 255, 255));
    ::DrawFocusRect(dc, &rect);
    ::SetBkColor(dc, oldBack);
    ::SetTextColor(dc, oldText);
}

}  // namespace vorlune
