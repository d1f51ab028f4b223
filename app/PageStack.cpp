#include "app/PageStack.h"

#include "win/Reflection.h"

namespace vorlune {
namespace {

const WindowClass kClass{L"WTL_PageStack"};

void AddExStyle(HWND hwnd, LONG_PTR add) noexcept
{
    ::SetWindowLongPtrW(hwnd, GWL_EXSTYLE, ::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) | add);
}

}  // namespace

PageStack::~PageStack() { Destroy(); }

HWND PageStack::Create(HWND parent, const RECT& rect, UINT id) noexcept
{
    return CreateWindowOf(kClass, parent, rect, kChildWindowStyle, WS_EX_CONTROLPARENT, id);
}

int PageStack::AddPage(HWND page) noexcept
{
    if (!Hwnd() || !page) return -1;
    try {
        pages_.push_back(page);
    } catch (...) {
        return -1;
    }
    ::ShowWindow(page, SW_HIDE);
    AddExStyle(page, WS_EX_CONTROLPARENT);
    Notify(kPageAdded);
    return PageCount() - 1;
}

HWND PageStack::GetPage(int index) const noexcept
{
    return index >= 0 && index < PageCount() ? pages_[index] : nullptr;
}

bool PageStack::SetActivePage(int index) noexcept
{
    if (index < 0 || index >= PageCount()) return false;
    if (index == current_) return true;
    if (Notify(kPageChanging) != 0) return false;

    HWND old = currentPage_, page = pages_[index];
    HWND focus = ::GetFocus();
    const bool focusInside = focus && ::IsChild(Hwnd(), focus);
    current_ = index;
    currentPage_ = page;
    FitToClient(page);
    constexpr UINT kShowOnly = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE;
    ::SetWindowPos(page, nullptr, 0, 0, 0, 0, kShowOnly | SWP_SHOWWINDOW);
    if (old) ::SetWindowPos(old, nullptr, 0, 0, 0, 0, kShowOnly | SWP_HIDEWINDOW);

    if (old && focusInside) {
        if (HWND first = ::GetWindow(page, GW_CHILD)) ::SetFocus(first);
    } else if (!old) {
        ::SetFocus(Hwnd());
    }
    Notify(kPageChanged);
    return true;
}

bool PageStack::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    switch (msg) {
    case WM_CREATE:
        OnCreate();
        return true;
    case WM_SIZE:
        OnSize();
        return true;
    case WM_SETFOCUS:
        OnSetFocus();
        return true;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_COMMAND:
        result = OnCommand(wParam, lParam);
        return true;
    }
    if (ReflectNotification(Hwnd(), msg, wParam, lParam, result)) return true;
    return Window::ProcessWindowMessage(msg, wParam, lParam, result);
}

void PageStack::OnCreate() noexcept
{
    ::SetWindowLongPtrW(Hwnd(), GWL_STYLE, ::GetWindowLongPtrW(Hwnd(), GWL_STYLE) | WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
    AddExStyle(Hwnd(), WS_EX_CONTROLPARENT);
    Notify(kCreated);
}

void PageStack::OnSize() noexcept
{
    if (currentPage_) FitToClient(currentPage_);
}

void PageStack::FitToClient(HWND page) noexcept
{
    const RECT client = ClientRect();
    ::SetWindowPos(page, nullptr, client.left, client.top, client.right - client.left, client.bottom - client.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void PageStack::OnSetFocus() noexcept
{
    if (!currentPage_) return;
    if (HWND first = ::GetNextDlgTabItem(currentPage_, nullptr, FALSE)) ::SetFocus(first);
}

LRESULT PageStack::OnCommand(WPARAM wParam, LPARAM lParam) noexcept
{
    LRESULT result = 0;
    const auto from = reinterpret_cast<HWND>(lParam);
    if (from && from != currentPage_) ReflectNotification(Hwnd(), WM_COMMAND, wParam, lParam, result);
    if (currentPage_) result = ::SendMessageW(currentPage_, WM_COMMAND, wParam, lParam);
    return result;
}

LRESULT PageStack::Notify(UINT code) noexcept
{
    HWND parent = ::GetParent(Hwnd());
    if (!parent) return 0;
    NMHDR header{Hwnd(), static_cast<UINT_PTR>(::GetDlgCtrlID(Hwnd())), code};
    return ::SendMessageW(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

}  // namespace vorlune
