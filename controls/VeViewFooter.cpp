#include "controls/VeViewFooter.h"

#include "controls/SkinArt.h"
#include "res/resource.h"

namespace vorlune {
namespace {

const WindowClass kClass{L"VeViewFooter"};

constexpr POINT kLinkAt{16, 18};

}  // namespace

VeViewFooter::~VeViewFooter() { Destroy(); }

HWND VeViewFooter::Create(HWND parent, const RECT& rect) noexcept
{
    return CreateWindowOf(kClass, parent, rect, kChildWindowStyle);
}

bool VeViewFooter::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    switch (msg) {
    case WM_CREATE:
        result = OnCreate();
        return true;
    case WM_SIZE:
        OnSize();
        return true;
    case WM_COMMAND:
        if (OnCommand(wParam, lParam)) return true;
        break;
    }
    return BufferedWindow::ProcessWindowMessage(msg, wParam, lParam, result);
}

LRESULT VeViewFooter::OnCreate() noexcept
{
    LoadSkinJpeg(IDJ_FOOTER, background_);
    // Back and Next have four looks each: normal, pushed, hover, disabled.
    if (!link_.Create(Hwnd(), RECT{}) ||
        !back_.CreateFromStrip(Hwnd(), POINT{356, 10}, ID_WIZARD_BACK, LoadSkinStrip(IDB_BACK, 4), 4, L"Back") ||
        !next_.CreateFromStrip(Hwnd(), POINT{475, 10}, ID_WIZARD_NEXT, LoadSkinStrip(IDB_NEXT, 4), 4, L"Next"))
        return -1;
    back_.SetShortcut(L"Alt+Left");
    next_.SetShortcut(L"Alt+Right");
    return 0;
}

void VeViewFooter::OnSize() noexcept
{
    const RECT client = ClientRect();
    if (::IsRectEmpty(&client) || !link_.IsAlive()) return;
    ::SetWindowPos(link_.Hwnd(), nullptr, kLinkAt.x, kLinkAt.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool VeViewFooter::OnCommand(WPARAM wParam, LPARAM lParam) noexcept
{
    const auto from = reinterpret_cast<HWND>(lParam);
    if (!from || (from != back_.Hwnd() && from != next_.Hwnd())) return false;
    ::PostMessageW(::GetAncestor(Hwnd(), GA_ROOT), WM_COMMAND, wParam, lParam);
    return true;
}

void VeViewFooter::Paint(HDC dc) { background_.DrawAt(dc, 0, 0); }

}  // namespace vorlune
