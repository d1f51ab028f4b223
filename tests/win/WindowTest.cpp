// The window scheme every control follows, on real windows. Buffered painting
// is checked through the controls' pictures (tests/controls).

#include "win/Window.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "win/Reflection.h"

namespace vorlune {
namespace {

// Records what it sees, reflects its children's notifications to them and
// can be told to throw in a handler.
class Probe : public Window {
public:
    ~Probe() override { Destroy(); }
    HWND Create(HWND parent, const RECT& rect)
    {
        static const WindowClass cls{L"VorluneTestProbe"};
        return CreateWindowOf(cls, parent, rect, parent ? WS_CHILD | WS_VISIBLE : WS_POPUP);
    }

    std::vector<UINT> seen;
    std::vector<HWND> finals;
    bool throwOnCreate = false, throwOnCommand = false;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        seen.push_back(msg);
        if (msg == WM_CREATE && throwOnCreate) throw std::runtime_error("create");
        if (msg != kReflected + WM_COMMAND)
            return ReflectNotification(Hwnd(), msg, wParam, lParam, result) ||
                   Window::ProcessWindowMessage(msg, wParam, lParam, result);
        if (throwOnCommand) throw std::runtime_error("command");
        result = 77;
        return true;
    }
    void OnFinalMessage(HWND hwnd) noexcept override { finals.push_back(hwnd); }
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(parent.Create(nullptr, RECT{0, 0, 300, 200}), nullptr); }
    Probe parent;
};

TEST_F(WindowTest, ObjectRidesWithItsWindowToTheFinalMessageAndNoExceptionLeaves)
{
    Probe probe;
    HWND hwnd = probe.Create(parent.Hwnd(), RECT{0, 0, 40, 30});
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(::GetWindowLongPtrW(hwnd, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&probe));
    EXPECT_EQ(probe.seen.front(), static_cast<UINT>(WM_NCCREATE));
    ::DestroyWindow(hwnd);
    EXPECT_FALSE(probe.IsAlive());
    EXPECT_EQ(probe.seen.back(), static_cast<UINT>(WM_NCDESTROY));
    EXPECT_EQ(probe.finals, std::vector<HWND>{hwnd});

    // The object can make a new window; destroying the object destroys it.
    ASSERT_NE(probe.Create(parent.Hwnd(), RECT{0, 0, 40, 30}), nullptr);
    auto scoped = std::make_unique<Probe>();
    HWND gone = scoped->Create(parent.Hwnd(), RECT{0, 0, 5, 5});
    ASSERT_NE(gone, nullptr);
    scoped.reset();
    EXPECT_FALSE(::IsWindow(gone));

    // A throwing WM_CREATE fails the creation; a throwing handler answers 0.
    Probe refused;
    refused.throwOnCreate = true;
    EXPECT_EQ(refused.Create(parent.Hwnd(), RECT{0, 0, 10, 10}), nullptr);
    EXPECT_FALSE(refused.IsAlive());
    EXPECT_EQ(refused.finals.size(), 1u);
    probe.throwOnCommand = true;
    EXPECT_EQ(::SendMessageW(probe.Hwnd(), kReflected + WM_COMMAND, 0, 0), 0);
    EXPECT_TRUE(probe.IsAlive());
}

TEST_F(WindowTest, ParentsReflectControlNotificationsToTheirSender)
{
    Probe control;
    ASSERT_NE(control.Create(parent.Hwnd(), RECT{0, 0, 10, 10}), nullptr);
    control.seen.clear();
    const LPARAM sender = reinterpret_cast<LPARAM>(control.Hwnd());
    EXPECT_EQ(::SendMessageW(parent.Hwnd(), WM_COMMAND, MAKEWPARAM(12, BN_CLICKED), sender), 77);
    NMHDR hdr{control.Hwnd(), 12, static_cast<UINT>(-2)};
    ::SendMessageW(parent.Hwnd(), WM_NOTIFY, 12, reinterpret_cast<LPARAM>(&hdr));
    EXPECT_EQ(control.seen, (std::vector<UINT>{kReflected + WM_COMMAND, kReflected + WM_NOTIFY}));
    LRESULT result = 0;
    EXPECT_FALSE(ReflectNotification(parent.Hwnd(), WM_COMMAND, 57601, 0, result));  // a menu's: no control
}

}  // namespace
}  // namespace vorlune
