#include "controls/VeProgressCtrl.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "gfx/ImageResource.h"
#include "res/resource.h"
#include "win/Accessible.h"
#include "win/AppModule.h"

namespace vorlune {
namespace {

const WindowClass kClass{L"VeProgressCtrl"};

constexpr DWORD kHiddenChildStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr int kMargin = 4;
constexpr COLORREF kBarColour = RGB(123, 134, 175);

}  // namespace

VeProgressCtrl::~VeProgressCtrl() { Destroy(); }

HWND VeProgressCtrl::Create(HWND parent, POINT at) noexcept
{
    return CreateWindowOf(kClass, parent, RECT{at.x, at.y, at.x, at.y}, kHiddenChildStyle);
}

bool VeProgressCtrl::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (msg == WM_CREATE) {
        if (!LoadBitmapResource(background_, IDB_PROGRESS, 8, AppModule::ResourceInstance())) {
            result = -1;
            return true;
        }
        ResizeClient(background_.Width(), background_.Height());
        result = 0;
        return true;
    }
    return BufferedWindow::ProcessWindowMessage(msg, wParam, lParam, result);
}

double VeProgressCtrl::ExactPercent() const noexcept
{
    const uint32_t range = Range();
    if (range == 0) return 0.0;
    return std::min(100.0, double(Position()) * 100.0 / range);
}

RECT VeProgressCtrl::BarRect(const RECT& client, double percent) noexcept
{
    RECT bar = client;
    ::InflateRect(&bar, -kMargin, -kMargin);
    const int width = std::max(0, int(bar.right - bar.left));
    const double filled = std::trunc(std::clamp(percent, 0.0, 100.0) * width * 0.01);
    bar.right = bar.left + std::min(width, static_cast<int>(filled));
    return bar;
}

void VeProgressCtrl::OnPositionChanged() noexcept
{
    if (!IsAlive()) return;
    // The job moves it thousands of times across a few hundred pixels, and
    // under Wine each paint costs the worker about as much as its own work.
    const LONG right = BarRect(ClientRect(), ExactPercent()).right;
    if (barRight_.exchange(right) == right) return;
    ::InvalidateRect(Hwnd(), nullptr, FALSE);
    // Painting now from another thread would wait for the window's thread,
    // which may itself be waiting for this one; that thread paints it later.
    if (::GetWindowThreadProcessId(Hwnd(), nullptr) == ::GetCurrentThreadId()) ::UpdateWindow(Hwnd());
}

bool VeProgressCtrl::Describe(AccessibleInfo& info) const
{
    info.name = L"Progress";
    info.value = std::to_wstring(static_cast<int>(ExactPercent())) + L"%";
    info.role = ROLE_SYSTEM_PROGRESSBAR;
    info.state = STATE_SYSTEM_READONLY;
    return true;
}

void VeProgressCtrl::Paint(HDC dc)
{
    const RECT client = ClientRect();
    if (::IsRectEmpty(&client)) return;
    background_.DrawAt(dc, client.left, client.top);
    const RECT bar = BarRect(client, ExactPercent());
    barRight_.store(bar.right);
    if (::IsRectEmpty(&bar)) return;
    const COLORREF old = ::SetBkColor(dc, kBarColour);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &bar, nullptr, 0, nullptr);
    ::SetBkColor(dc, old);
}

}  // namespace vorlune
