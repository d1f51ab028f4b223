#include "controls/VePlayTimeCtrl.h"

#include <cstdlib>

#include "controls/SkinArt.h"
#include "controls/TimeTextDrawing.h"
#include "gfx/ImageResource.h"
#include "res/resource.h"
#include "win/Accessible.h"
#include "win/AppModule.h"

namespace vorlune {
namespace {

const WindowClass kClass{L"VePlayTimeCtrl"};

constexpr COLORREF kTextColour = RGB(77, 97, 123);
constexpr int64_t kUnitsPerSecond = 10000000;
constexpr int kSmallestFont = 7;

}  // namespace

VePlayTimeCtrl::~VePlayTimeCtrl() { Destroy(); }

HWND VePlayTimeCtrl::Create(HWND parent, POINT at) noexcept
{
    return CreateWindowOf(kClass, parent, RECT{at.x, at.y, at.x, at.y}, kChildWindowStyle);
}

bool VePlayTimeCtrl::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (msg == WM_CREATE) {
        // A background that fails to decode leaves the control at the size
        // the skin gives it, drawing only its text.
        LoadSkinJpeg(IDJ_PLAY_TIME, background_);
        SIZE size{background_.Width(), background_.Height()};
        if (background_.IsEmpty() && !ResourceImageSize(IDJ_PLAY_TIME, size, AppModule::ResourceInstance())) {
            result = -1;
            return true;
        }
        ResizeClient(size.cx, size.cy);
        result = 0;
        return true;
    }
    return BufferedWindow::ProcessWindowMessage(msg, wParam, lParam, result);
}

void VePlayTimeCtrl::SetPosition(int64_t position, bool repaint) noexcept
{
    position_ = position;
    if (repaint) Repaint();
}

void VePlayTimeCtrl::SetDuration(int64_t duration, bool repaint) noexcept
{
    duration_ = duration;
    if (repaint) Repaint();
}

std::wstring VePlayTimeCtrl::Text(int64_t position, int64_t duration)
{
    if (duration <= 0 || position < 0 || position > duration) return std::wstring();
    // The duration decides whether both show hours.
    const int64_t ds = duration / kUnitsPerSecond, hours = ds / 3600, r = ds % 3600;
    const int64_t ps = position / kUnitsPerSecond, q = ps % 3600;
    if (hours <= 0)
        return TwoDigits(q / 60) + L':' + TwoDigits(q % 60) + L" / " + TwoDigits(r / 60) + L':' + TwoDigits(r % 60);
    // Hours without a leading zero: the longer form does not fit the control.
    return std::to_wstring(ps / 3600) + L':' + TwoDigits(q / 60) + L':' + TwoDigits(q % 60) + L" / " +
           std::to_wstring(hours) + L':' + TwoDigits(r / 60) + L':' + TwoDigits(r % 60);
}

UniqueFont VePlayTimeCtrl::FontFitting(HDC dc, const std::wstring& text, int width) noexcept
{
    LOGFONTW lf{};
    HFONT shared = TimeDisplayFont();
    if (!shared || !::GetObjectW(shared, sizeof(lf), &lf)) return UniqueFont();
    for (int height = std::abs(lf.lfHeight) - 1; height >= kSmallestFont; --height) {
        lf.lfHeight = height;
        UniqueFont font(::CreateFontIndirectW(&lf));
        if (!font) return font;
        SIZE extent{};
        const SelectGuard selected(dc, font.Get());
        if (::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent) &&
            (extent.cx <= width || height == kSmallestFont))
            return font;
    }
    return UniqueFont();
}

// Read as the text it shows; a screen reader asks when it wants it, so the
// ticks of playback raise no events.
bool VePlayTimeCtrl::Describe(AccessibleInfo& info) const
{
    info.name = L"Play time";
    info.value = Text(position_, duration_);
    info.role = ROLE_SYSTEM_STATICTEXT;
    info.state = STATE_SYSTEM_READONLY;
    return true;
}

void VePlayTimeCtrl::Paint(HDC dc)
{
    RECT client = ClientRect();
    if (::IsRectEmpty(&client)) return;
    background_.DrawAt(dc, client.left, client.top);
    TimeTextDrawing text(dc, kTextColour);
    const std::wstring label = Text(position_, duration_);
    // Songs of an hour or more may need a smaller size of the font.
    SIZE extent{};
    UniqueFont smaller;
    if (::GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &extent) &&
        extent.cx > client.right - client.left)
        smaller = FontFitting(dc, label, client.right - client.left);
    const SelectGuard font(dc, smaller ? smaller.Get() : nullptr);
    ::DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &client, DT_VCENTER | DT_SINGLELINE);
}

}  // namespace vorlune
