#include "controls/ControlTesting.h"

#include <cstdlib>

#include <gtest/gtest.h>
#include <memory>

#include "gfx/ImageResource.h"
#include "gfx/JpegPicture.h"
#include "gfx/PngPicture.h"
#include "support/GdiObjectCount.h"
#include "win/AppModule.h"
#include "win/Handle.h"

namespace vorlune::test {

namespace {

const WindowClass kHostClass{L"VorluneTestHost", nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)};

}  // namespace

HWND HostWindow::Create(HWND parent, const RECT& rect)
{
    // No caption: activation by other programs would paint one, and the
    // system makes its caption objects the first time it does.
    const DWORD style = parent ? WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN : WS_POPUP | WS_CLIPCHILDREN;
    return CreateWindowOf(kHostClass, parent, rect, style);
}

bool HostWindow::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (msg == WM_COMMAND) {
        commands.push_back({wParam, lParam});
        if (onCommand) onCommand(wParam, lParam);
        result = 0;
        return true;
    }
    return Window::ProcessWindowMessage(msg, wParam, lParam, result);
}

bool PrintClient(HWND hwnd, Surface24& out)
{
    RECT client{};
    if (!::GetClientRect(hwnd, &client) || !out.Create(client.right, client.bottom, 24)) return false;
    out.FillAll(kUnpainted);
    MemoryDc dc(::CreateCompatibleDC(nullptr));
    if (!dc) return false;
    {
        SelectGuard selected(dc.Get(), out.Data()->Bitmap());
        if (!selected.Ok()) return false;
        ::SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT);
        ::GdiFlush();
    }
    return true;
}

bool DecodeSkin(int id, ImageType type, Surface24& out)
{
    const HMODULE module = AppModule::ResourceInstance();
    if (type == ImageType::Bmp) return LoadBitmapResource(out, id, 24, module);
    std::unique_ptr<Picture> picture;
    if (type == ImageType::Jpeg)
        picture = std::make_unique<JpegPicture>();
    else
        picture = std::make_unique<PngPicture>();
    return picture->LoadFromResource(id, module) && out.Take(picture->ColorSurface());
}

int CountDifferences(const Surface24& a, POINT at, const Surface24& b, const RECT& part)
{
    int n = 0;
    for (int y = part.top; y < part.bottom; ++y)
        for (int x = part.left; x < part.right; ++x) {
            RGBQUAD p{}, q{};
            const bool inside = a.GetColor(at.x + x - part.left, at.y + y - part.top, p);
            b.GetColor(x, y, q);
            if (!inside || p.rgbRed != q.rgbRed || p.rgbGreen != q.rgbGreen || p.rgbBlue != q.rgbBlue) ++n;
        }
    return n;
}

int CountCellDifferences(const Surface24& shown, int stripId, int cells, int index)
{
    Surface24 strip;
    if (!DecodeSkin(stripId, ImageType::Bmp, strip)) return -1;
    const int cell = strip.Width() / cells;
    if (shown.Width() != cell || shown.Height() != strip.Height()) return -1;
    return CountDifferences(shown, POINT{0, 0}, strip, RECT{index * cell, 0, (index + 1) * cell, strip.Height()});
}

void PumpPending()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    while (!done()) {
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= timeoutMs) return done();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        PumpPending();
    }
    return true;
}

void SettleObjects()
{
    long last = GdiObjectCount();
    for (int i = 0; i < 20; ++i) {
        Settle(250);
        const long now = GdiObjectCount();
        if (now == last && i > 0) return;
        last = now;
    }
}

void ExpectNoObjectsLeftPerCycle(long gdiBefore, long userBefore, int cycles)
{
    SettleObjects();
    EXPECT_EQ(UserObjectCount(), userBefore);
    const long grown = GdiObjectCount() - gdiBefore;
    EXPECT_GE(grown, 0);
    EXPECT_LT(grown, cycles / 10) << "GDI objects left behind by the cycles";
}

namespace {

BOOL CALLBACK CountChild(HWND, LPARAM count)
{
    ++*reinterpret_cast<long*>(count);
    return TRUE;
}

BOOL CALLBACK CountTop(HWND hwnd, LPARAM count)
{
    ++*reinterpret_cast<long*>(count);
    ::EnumChildWindows(hwnd, &CountChild, count);
    return TRUE;
}

}  // namespace

long UserObjectCount()
{
    const DWORD objects = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    if (objects != 0) return static_cast<long>(objects);
    long count = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CountTop, reinterpret_cast<LPARAM>(&count));
    return count;
}

void Click(HWND hwnd, POINT down, POINT up, const std::vector<POINT>& path)
{
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(down.x, down.y));
    for (POINT p : path) ::SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, PointParam(p.x, p.y));
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, PointParam(up.x, up.y));
}

}  // namespace vorlune::test
