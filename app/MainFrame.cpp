#include "app/MainFrame.h"

#include "controls/SkinArt.h"
#include "controls/WebLinks.h"
#include "res/resource.h"
#include "win/AppModule.h"

namespace vorlune {
namespace {

const WindowClass kClass{L"ZELK-MainFrame-{723C16B7-7785-4b23-B783-227EE6D92655}", nullptr,
                         reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), IDR_MAINFRAME};

constexpr int kWidth = 600, kHeight = 400;
constexpr int kHeaderHeight = 100, kFooterHeight = 50;

}  // namespace

MainFrame::~MainFrame() { Destroy(); }

HWND MainFrame::Create() noexcept
{
    const HINSTANCE res = AppModule::ResourceInstance();
    wchar_t title[64] = L"Vorlune";
    ::LoadStringW(res, IDR_MAINFRAME, title, 64);
    HMENU menu = ::LoadMenuW(res, MAKEINTRESOURCEW(IDR_MAINFRAME));
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    const DWORD exStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
    HWND hwnd = CreateWindowOf(kClass, nullptr, RECT{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT},
                               style, exStyle, reinterpret_cast<UINT_PTR>(menu), title);
    if (!hwnd) {
        if (menu) ::DestroyMenu(menu);
        return nullptr;
    }
    accelerators_ = ::LoadAcceleratorsW(res, MAKEINTRESOURCEW(IDR_MAINFRAME));
    return hwnd;
}

bool MainFrame::PreTranslateMessage(MSG& msg) noexcept
{
    return Hwnd() && accelerators_ && ::TranslateAcceleratorW(Hwnd(), accelerators_, &msg);
}

bool MainFrame::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    switch (msg) {
    case WM_CREATE:
        result = OnCreate();
        return true;
    case WM_COMMAND:
        if (OnCommand(LOWORD(wParam))) return true;
        break;
    case WM_DESTROY:
        ::PostQuitMessage(1);
        return true;
    }
    return BufferedWindow::ProcessWindowMessage(msg, wParam, lParam, result);
}

LRESULT MainFrame::OnCreate() noexcept
{
    // The menu only names the commands; no menu bar is shown.
    if (HMENU menu = ::GetMenu(Hwnd())) {
        ::SetMenu(Hwnd(), nullptr);
        ::DestroyMenu(menu);
    }
    LoadSkinJpeg(IDJ_PAGE, page_);
    if (!header_.Create(Hwnd(), RECT{0, 0, kWidth, kHeaderHeight}) ||
        !footer_.Create(Hwnd(), RECT{0, kHeight - kFooterHeight, kWidth, kHeight}))
        return -1;

    // Fixed size: caption, system menu and minimise box only.
    const LONG_PTR style = ::GetWindowLongPtrW(Hwnd(), GWL_STYLE) & ~static_cast<LONG_PTR>(WS_THICKFRAME | WS_MAXIMIZEBOX);
    ::SetWindowLongPtrW(Hwnd(), GWL_STYLE, style);
    RECT rc{0, 0, kWidth, kHeight};
    ::AdjustWindowRectEx(&rc, static_cast<DWORD>(style), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrW(Hwnd(), GWL_EXSTYLE)));
    const int width = rc.right - rc.left, height = rc.bottom - rc.top;
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    ::SetWindowPos(Hwnd(), nullptr, work.left + (work.right - work.left - width) / 2,
                   work.top + (work.bottom - work.top - height) / 2, width, height,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    UpdateButtons();
    return 0;
}

bool MainFrame::OnCommand(UINT id) noexcept
{
    switch (id) {
    case ID_WIZARD_BACK:
        header_.PreviousStep();
        break;
    case ID_WIZARD_NEXT:
        header_.NextStep();
        break;
    case ID_STEP3_NEW:
        header_.FirstStep();
        break;
    case ID_HELP_WEBSITE:
        OpenWebsite();
        break;
    case ID_STEP1_MONO_TO_STEREO:
        OpenSecondWebsite();
        break;
    case ID_APP_ABOUT:
        break;
    case ID_APP_EXIT:
        ::PostMessageW(Hwnd(), WM_CLOSE, 0, 0);
        break;
    default:
        return false;
    }
    UpdateButtons();
    return true;
}

void MainFrame::UpdateButtons() noexcept
{
    const int step = header_.Step();
    if (footer_.BackButton().IsAlive()) ::EnableWindow(footer_.BackButton().Hwnd(), step > 0);
    if (footer_.NextButton().IsAlive()) ::EnableWindow(footer_.NextButton().Hwnd(), step < VeViewHeader::kSteps - 1);
}

void MainFrame::Paint(HDC dc) { page_.DrawAt(dc, 0, kHeaderHeight); }

}  // namespace vorlune
