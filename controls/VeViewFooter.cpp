#include "controls/VeViewFooter.h"

#include "controls/SkinArt.h"
#include "res/resource.h"

namespace vorlune {
namespace {

const WindowClass kClass{L"VeViewFooter"};

constexpr POINT kLinkAt{16, 18};

// Four looks each: normal, pushed, hover, disabled.
bool MakeButton(BitmapButton& button, HWND parent, int x, int bitmap, UINT id) noexcept
{
    UniqueImageList images = LoadSkinStrip(bitmap, 4);
    int width = 0, height = 0;
    if (images) ::ImageList_GetIconSize(images.Get(), &width, &height);
    button.SetImageList(std::move(images));
    button.SetImages(0, 1, 2, 3);
    button.SetExtendedStyle(BitmapButton::kDefaultStyle);
    return button.Create(parent, RECT{x, 10, x + width, 10 + height}, id) != nullptr;
}

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
    if (!link_.Create(Hwnd(), RECT{}) || !MakeButton(back_, Hwnd(), 356, IDB_BACK, ID_WIZARD_BACK) ||
        !MakeButton(next_, Hwnd(), 475, IDB_NEXT, ID_WIZARD_NEXT))
        return -1;
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
