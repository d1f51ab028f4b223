// The frame as the program starts it: fixed 600 x 400 client area, the
// header on top, the footer at the bottom, its buttons' commands coming back
// through the frame's queue.

#include "app/MainFrame.h"

#include <gtest/gtest.h>

#include "controls/ControlTesting.h"
#include "res/resource.h"
#include "support/ProgramSkin.h"

namespace vorlune {
namespace {

RECT RectIn(HWND child, HWND parent)
{
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TEST(MainFrame, HostsHeaderAndFooterAndStepsWithTheirButtons)
{
    ASSERT_NE(test::UseProgramSkin(), nullptr);
    MainFrame frame;
    HWND hwnd = frame.Create();
    ASSERT_NE(hwnd, nullptr);

    wchar_t text[64] = {};
    ::GetWindowTextW(hwnd, text, 64);
    EXPECT_STREQ(text, L"Vorlune");
    EXPECT_EQ(::GetMenu(hwnd), nullptr);
    const LONG_PTR style = ::GetWindowLongPtrW(hwnd, GWL_STYLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
    EXPECT_NE(style & WS_MINIMIZEBOX, 0);
    RECT client{};
    ::GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 600);
    EXPECT_EQ(client.bottom, 400);
    const RECT header = RectIn(frame.Header().Hwnd(), hwnd), footer = RectIn(frame.Footer().Hwnd(), hwnd);
    EXPECT_EQ(header.top, 0);
    EXPECT_EQ(header.bottom, 100);
    EXPECT_EQ(footer.top, 350);
    EXPECT_EQ(footer.bottom, 400);

    HWND back = frame.Footer().BackButton().Hwnd(), next = frame.Footer().NextButton().Hwnd();
    EXPECT_FALSE(::IsWindowEnabled(back));
    EXPECT_TRUE(::IsWindowEnabled(next));
    for (int step = 1; step <= 2; ++step) {
        test::Click(next, {5, 5}, {5, 5});
        test::PumpPending();
        EXPECT_EQ(frame.Header().Step(), step);
    }
    EXPECT_TRUE(::IsWindowEnabled(back));
    EXPECT_FALSE(::IsWindowEnabled(next));
    test::Click(back, {5, 5}, {5, 5});
    test::PumpPending();
    EXPECT_EQ(frame.Header().Step(), 1);
    ::SendMessageW(hwnd, WM_COMMAND, ID_STEP3_NEW, 0);
    EXPECT_EQ(frame.Header().Step(), 0);

    ::SendMessageW(hwnd, WM_COMMAND, ID_APP_EXIT, 0);
    test::PumpPending();
    EXPECT_FALSE(::IsWindow(hwnd));
}

}  // namespace
}  // namespace vorlune
