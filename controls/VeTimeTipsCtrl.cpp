#include "controls/VeTimeTipsCtrl.h"

#include <cwchar>

#include "controls/TimeTextDrawing.h"
#include "win/Handle.h"

namespace vorlune {
namespace {

const WindowClass kClass{L"VeTimeTipsCtrl"};

constexpr COLORREF kFill = RGB(255, 255, 0);
constexpr COLORREF kFrame = RGB(150, 140, 0);

// The extent of text in the shared font on the screen, as the tip is drawn;
// {0, 0} when it cannot be measured.
SIZE ScreenTextExtent(const std::wstring& text) noexcept
{
    SIZE extent{};
    WindowDc screen(nullptr);
    if (!screen || text.empty()) return extent;
    const HDC dc = screen.Get();
    SelectGuard font(dc, TimeDisplayFont());
    const int oldMode = ::SetMapMode(dc, MM_TEXT);
    const int oldExtra = ::SetTextCharacterExtra(dc, 0);
    if (!::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent)) extent = SIZE{};
    if (oldExtra != static_cast<int>(0x80000000)) ::SetTextCharacterExtra(dc, oldExtra);
    if (oldMode) ::SetMapMode(dc, oldMode);
    return extent;
}

}  // namespace

HFONT TimeDisplayFont() noexcept
{
    static const UniqueFont font = [] {
        LOGFONTW lf{};
        if (!::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf)) return UniqueFont();
        std::wcsncpy(lf.lfFaceName, L"Tahoma", LF_FACESIZE - 1);
        lf.lfFaceName[LF_FACESIZE - 1] = L'\0';
        lf.lfHeight = 12;
        return UniqueFont(::CreateFontIndirectW(&lf));
    }();
    return font.Get();
}

VeTimeTipsCtrl::~VeTimeTipsCtrl() { Destroy(); }

HWND VeTimeTipsCtrl::Create(HWND parent) noexcept
{
    return CreateWindowOf(kClass, parent, RECT{}, WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
}

std::wstring VeTimeTipsCtrl::Text(int milliseconds)
{
    const int minutes = milliseconds / 60000;
    const int seconds = milliseconds / 1000 - minutes * 60;
    return TwoDigits(minutes) + L':' + TwoDigits(seconds);
}

void VeTimeTipsCtrl::SetTime(int milliseconds) noexcept
{
    milliseconds_ = milliseconds;
    SIZE extent{};
    try {
        extent = ScreenTextExtent(Text(milliseconds));
    } catch (...) {
        // Out of memory for the text: the tip shrinks to its frame.
    }
    ::SetWindowPos(Hwnd(), nullptr, 0, 0, extent.cx + 6, extent.cy + 4, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Repaint();
}

void VeTimeTipsCtrl::Paint(HDC dc)
{
    RECT client = ClientRect();
    if (::IsRectEmpty(&client)) return;
    const COLORREF oldBack = ::SetBkColor(dc, kFill);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
    ::SetBkColor(dc, oldBack);

    TimeTextDrawing text(dc, RGB(0, 0, 0));
    const UniqueBrush frame(::CreateSolidBrush(kFrame));
    if (frame) ::FrameRect(dc, &client, frame.Get());
    const std::wstring label = Text(milliseconds_);
    ::DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

}  // namespace vorlune
