#include "controls/VeCheckboxCtrl.h"

#include <utility>

#include "controls/SkinArt.h"
#include "gfx/ImageResource.h"
#include "win/AppModule.h"

namespace vorlune {
namespace {

const WindowClass kClass{L"VeCheckboxCtrl"};

}  // namespace

VeCheckboxCtrl::~VeCheckboxCtrl() { Destroy(); }

HWND VeCheckboxCtrl::Create(HWND parent, POINT at) noexcept
{
    return CreateWindowOf(kClass, parent, RECT{at.x, at.y, at.x, at.y}, kChildWindowStyle);
}

bool VeCheckboxCtrl::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    switch (msg) {
    case WM_CREATE:
        result = OnCreate();
        return true;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && reinterpret_cast<HWND>(lParam) == button_.Hwnd()) {
            OnClicked();
            return true;
        }
        break;
    }
    return BufferedWindow::ProcessWindowMessage(msg, wParam, lParam, result);
}

LRESULT VeCheckboxCtrl::OnCreate() noexcept
{
    SIZE strip{};
    if (!ResourceImageSize(uncheckedBitmap_, strip, AppModule::ResourceInstance())) return -1;
    const int width = strip.cx / 4, height = strip.cy;
    if (!button_.CreateFromStrip(Hwnd(), POINT{0, 0}, commandId_, LoadSkinStripCells(uncheckedBitmap_, width), 4,
                                 name_))
        return -1;
    button_.SetCheckState(false);
    spare_ = LoadSkinStripCells(checkedBitmap_, width);
    ResizeClient(width, height);
    return 0;
}

void VeCheckboxCtrl::OnClicked() noexcept
{
    checked_ = !checked_;
    spare_ = button_.SetImageList(std::move(spare_));
    button_.SetCheckState(checked_);
    button_.Repaint();
    ::SendMessageW(::GetParent(Hwnd()), WM_COMMAND, MAKEWPARAM(commandId_, 0),
                   reinterpret_cast<LPARAM>(button_.Hwnd()));
}

}  // namespace vorlune
