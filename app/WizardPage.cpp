#include "app/WizardPage.h"

#include <cwchar>

#include "app/WizardView.h"
#include "controls/SkinArt.h"
#include "res/resource.h"
#include "win/Accessible.h"
#include "win/Handle.h"

namespace vorlune {
namespace {

const WindowClass kClass{L"VePage"};

}  // namespace

WizardPage::~WizardPage() { Destroy(); }

HWND WizardPage::Create(HWND stack) noexcept { return CreateWindowOf(kClass, stack, RECT{}, kChildWindowStyle); }

RingtoneProject& WizardPage::Project() const noexcept { return view_->Project(); }

HFONT WizardPage::AppFont() noexcept
{
    static const UniqueFont font = [] {
        LOGFONTW lf{};
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
        std::wcscpy(lf.lfFaceName, L"Tahoma");
        lf.lfHeight = 16;
        return UniqueFont(::CreateFontIndirectW(&lf));
    }();
    return font.Get();
}

bool WizardPage::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (msg == WM_CREATE) {
        if (!CreateContent()) {
            result = -1;
            return true;
        }
        LoadSkinJpeg(IDJ_PAGE, background_);  // a missing picture leaves the page blank
        result = 0;
        return true;
    }
    return BufferedWindow::ProcessWindowMessage(msg, wParam, lParam, result);
}

bool WizardPage::FocusFirstStop() const noexcept
{
    try {
        for (HWND stop : TabStops())
            if (CanTakeFocus(stop)) {
                ::SetFocus(stop);
                return true;
            }
    } catch (...) {
    }
    return false;
}

bool WizardPage::Describe(AccessibleInfo& info) const
{
    info.name = AccessibleName();
    info.role = ROLE_SYSTEM_PROPERTYPAGE;
    return true;
}

void WizardPage::Paint(HDC dc)
{
    const RECT client = ClientRect();
    if (::IsRectEmpty(&client)) return;
    background_.DrawAt(dc, client.left, client.top);
    DrawContent(dc);
}

}  // namespace vorlune
