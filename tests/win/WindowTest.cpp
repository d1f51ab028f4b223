// The window scheme every control follows, on real windows.

#include "win/Window.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "gfx/Surface.h"
#include "controls/ControlTesting.h"
#include "win/BufferedWindow.h"
#include "win/Reflection.h"

namespace vorlune {
namespace {

const WindowClass kProbeClass{L"VorluneTestProbe"};

// Records what it sees; can be told to throw in a handler.
class Probe : public BufferedWindow {
public:
    ~Probe() override { Destroy(); }
    HWND Create(HWND parent, const RECT& rect) { return CreateWindowOf(kProbeClass, parent, rect, WS_CHILD | WS_VISIBLE); }

    std::vector<UINT> seen;
    std::vector<HWND> finals;
    bool throwOnCreate = false;
    bool throwOnCommand = false;
    COLORREF colour = RGB(10, 200, 30);

protected:
    void Paint(HDC dc) override
    {
        // Fills the whole client area; the buffer's origin makes a partial
        // update land in the right place.
        RECT rc = ClientRect();
        ::SetBkColor(dc, colour);
        ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    }
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        seen.push_back(msg);
        if (msg == WM_CREATE && throwOnCreate) throw std::runtime_error("create");
        if (msg == kReflected + WM_COMMAND) {
            if (throwOnCommand) throw std::runtime_error("command");
            result = 77;
            return true;
        }
        return BufferedWindow::ProcessWindowMessage(msg, wParam, lParam, result);
    }
    void OnFinalMessage(HWND hwnd) noexcept override { finals.push_back(hwnd); }
};

// Reflects control notifications back to their sender.
class Reflector : public Window {
public:
    ~Reflector() override { Destroy(); }
    HWND Create()
    {
        static const WindowClass cls{L"VorluneTestReflector"};
        return CreateWindowOf(cls, nullptr, RECT{0, 0, 300, 200}, WS_OVERLAPPED | WS_CLIPCHILDREN);
    }

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        return ReflectNotification(Hwnd(), msg, wParam, lParam, result) ||
               Window::ProcessWindowMessage(msg, wParam, lParam, result);
    }
};

TEST(Window, ObjectRidesWithItsWindowFromCreationToTheFinalMessage)
{
    Reflector parent;
    ASSERT_NE(parent.Create(), nullptr);
    Probe probe;
    HWND hwnd = probe.Create(parent.Hwnd(), RECT{0, 0, 40, 30});
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(probe.Hwnd(), hwnd);
    EXPECT_EQ(::GetWindowLongPtrW(hwnd, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&probe));
    ASSERT_FALSE(probe.seen.empty());
    EXPECT_EQ(probe.seen.front(), static_cast<UINT>(WM_NCCREATE));

    // The class: registered once, style 0, no background, the arrow cursor.
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    ASSERT_TRUE(::GetClassInfoExW(::GetModuleHandleW(nullptr), L"VorluneTestProbe", &wc));
    EXPECT_EQ(wc.style, 0u);
    EXPECT_EQ(wc.hbrBackground, nullptr);
    EXPECT_EQ(wc.hCursor, ::LoadCursorW(nullptr, IDC_ARROW));
    Probe second;
    ASSERT_NE(second.Create(parent.Hwnd(), RECT{50, 0, 60, 10}), nullptr);

    ::DestroyWindow(hwnd);
    EXPECT_FALSE(probe.IsAlive());
    EXPECT_EQ(probe.seen.back(), static_cast<UINT>(WM_NCDESTROY));
    EXPECT_EQ(probe.finals, std::vector<HWND>{hwnd});

    // The object can make a new window; destroying the object destroys it.
    HWND again = probe.Create(parent.Hwnd(), RECT{0, 0, 40, 30});
    ASSERT_NE(again, nullptr);
    auto scoped = std::make_unique<Probe>();
    HWND gone = scoped->Create(parent.Hwnd(), RECT{0, 0, 5, 5});
    ASSERT_NE(gone, nullptr);
    scoped.reset();
    EXPECT_FALSE(::IsWindow(gone));
}

TEST(Window, NoExceptionLeavesTheWindowProcedure)
{
    Reflector parent;
    ASSERT_NE(parent.Create(), nullptr);
    Probe refused;
    refused.throwOnCreate = true;
    EXPECT_EQ(refused.Create(parent.Hwnd(), RECT{0, 0, 10, 10}), nullptr);
    EXPECT_FALSE(refused.IsAlive());
    EXPECT_EQ(refused.finals.size(), 1u);

    Probe probe;
    ASSERT_NE(probe.Create(parent.Hwnd(), RECT{0, 0, 10, 10}), nullptr);
    probe.throwOnCommand = true;
    EXPECT_EQ(::SendMessageW(probe.Hwnd(), kReflected + WM_COMMAND, 0, 0), 0);
    EXPECT_TRUE(probe.IsAlive());
}

TEST(Window, ParentsReflectControlNotificationsToTheirSender)
{
    Reflector parent;
    ASSERT_NE(parent.Create(), nullptr);
    Probe control;
    ASSERT_NE(control.Create(parent.Hwnd(), RECT{0, 0, 10, 10}), nullptr);
    const WPARAM wParam = MAKEWPARAM(12, BN_CLICKED);
    control.seen.clear();
    EXPECT_EQ(::SendMessageW(parent.Hwnd(), WM_COMMAND, wParam, reinterpret_cast<LPARAM>(control.Hwnd())), 77);
    EXPECT_EQ(control.seen, std::vector<UINT>{kReflected + WM_COMMAND});

    // A menu command names no control: nothing is reflected.
    control.seen.clear();
    LRESULT result = 0;
    EXPECT_FALSE(ReflectNotification(parent.Hwnd(), WM_COMMAND, 57601, 0, result));
    NMHDR hdr{control.Hwnd(), 12, static_cast<UINT>(-2)};
    ::SendMessageW(parent.Hwnd(), WM_NOTIFY, 12, reinterpret_cast<LPARAM>(&hdr));
    EXPECT_EQ(control.seen, std::vector<UINT>{kReflected + WM_NOTIFY});
}

TEST(Window, BufferedPaintCoversTheClientAreaAndKeepsTheTargetDcAsItWas)
{
    Reflector parent;
    ASSERT_NE(parent.Create(), nullptr);
    Probe probe;
    ASSERT_NE(probe.Create(parent.Hwnd(), RECT{0, 0, 37, 21}), nullptr);
    EXPECT_EQ(::SendMessageW(probe.Hwnd(), WM_ERASEBKGND, 0, 0), 1);

    Surface24 shot;
    ASSERT_TRUE(test::PrintClient(probe.Hwnd(), shot));
    ASSERT_EQ(shot.Width(), 37);
    int wrong = 0;
    for (int y = 0; y < shot.Height(); ++y)
        for (int x = 0; x < shot.Width(); ++x) {
            RGBQUAD p{};
            shot.GetColor(x, y, p);
            if (RGB(p.rgbRed, p.rgbGreen, p.rgbBlue) != probe.colour) ++wrong;
        }
    EXPECT_EQ(wrong, 0);

    // Whatever the target DC had selected is still selected afterwards.
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = ::CreateCompatibleBitmap(dc, 8, 8);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    HGDIOBJ brush = ::GetCurrentObject(dc, OBJ_BRUSH);
    ::SendMessageW(probe.Hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_BITMAP), bitmap);
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_BRUSH), brush);
    POINT origin{1, 1};
    ::GetViewportOrgEx(dc, &origin);
    EXPECT_EQ(origin.x, 0);
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
}

}  // namespace
}  // namespace vorlune
