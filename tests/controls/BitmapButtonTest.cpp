// The bitmap button on real windows: its looks come from the skin's strips,
// its clicks from mouse messages.

#include "controls/BitmapButton.h"

#include <gtest/gtest.h>

#include "controls/ControlTesting.h"
#include "controls/SkinArt.h"
#include "res/resource.h"
#include "support/GdiObjectCount.h"
#include "support/ProgramSkin.h"

namespace vorlune {
namespace {

using test::Click;
using test::CountCellDifferences;
using test::PointParam;

class BitmapButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(test::UseProgramSkin(), nullptr) << "vorlune.exe is missing beside the tests folder";
        ASSERT_NE(host.Create(), nullptr);
    }

    // A Back button (four looks) at (20, 10), as the footer makes it.
    HWND MakeBack(BitmapButton& button, UINT id = ID_WIZARD_BACK)
    {
        button.SetImageList(LoadSkinStrip(IDB_BACK, 4));
        button.SetImages(0, 1, 2, 3);
        return button.Create(host.Hwnd(), RECT{20, 10, 30, 20}, id);
    }

    // Which cell of the strip the button shows; -1 when none matches exactly.
    static int ShownCell(const BitmapButton& button, int strip, int cells)
    {
        Surface24 shot;
        if (!test::PrintClient(button.Hwnd(), shot)) return -2;
        for (int i = 0; i < cells; ++i)
            if (CountCellDifferences(shot, strip, cells, i) == 0) return i;
        return -1;
    }

    test::HostWindow host;
};

TEST_F(BitmapButtonTest, EachStateShowsItsImageAndMinusOneFallsBackToNormal)
{
    BitmapButton back;
    HWND hwnd = MakeBack(back);
    ASSERT_NE(hwnd, nullptr);
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    EXPECT_STREQ(name, L"WTL_BitmapButton");
    EXPECT_EQ(::GetWindowLongPtrW(hwnd, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    RECT client{};
    ::GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 111);  // sized to one image
    EXPECT_EQ(client.bottom, 32);

    EXPECT_EQ(ShownCell(back, IDB_BACK, 4), 0);
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, PointParam(5, 5));
    EXPECT_TRUE(back.IsHovered());
    EXPECT_EQ(ShownCell(back, IDB_BACK, 4), 2);
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(5, 5));
    EXPECT_EQ(ShownCell(back, IDB_BACK, 4), 1);
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, PointParam(5, 5));
    ::SendMessageW(hwnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(ShownCell(back, IDB_BACK, 4), 0);
    ::EnableWindow(hwnd, FALSE);
    EXPECT_EQ(ShownCell(back, IDB_BACK, 4), 3);

    // A three-look strip without a disabled image shows the normal one.
    BitmapButton choose;
    choose.SetImageList(LoadSkinStrip(IDB_CHOOSE_SONG, 3));
    choose.SetImages(0, 1, 2, -1);
    ASSERT_NE(choose.Create(host.Hwnd(), RECT{0, 100, 10, 110}, ID_STEP1_CHOOSE_SONG), nullptr);
    ::EnableWindow(choose.Hwnd(), FALSE);
    EXPECT_EQ(ShownCell(choose, IDB_CHOOSE_SONG, 3), 0);
    ::EnableWindow(choose.Hwnd(), TRUE);
    ::SendMessageW(choose.Hwnd(), WM_MOUSEMOVE, 0, PointParam(5, 5));
    EXPECT_EQ(ShownCell(choose, IDB_CHOOSE_SONG, 3), 2);

    // Hover and pushed missing too: always the normal image.
    choose.SetImages(0);
    ::SendMessageW(choose.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, PointParam(5, 5));
    EXPECT_EQ(ShownCell(choose, IDB_CHOOSE_SONG, 3), 0);
    ::SendMessageW(choose.Hwnd(), WM_LBUTTONUP, 0, PointParam(5, 5));
}

TEST_F(BitmapButtonTest, OnlyAReleaseOverTheButtonSendsOneClickAndTheFocusStays)
{
    BitmapButton back;
    HWND hwnd = MakeBack(back, 4321);
    ASSERT_NE(hwnd, nullptr);
    ::SetFocus(host.Hwnd());
    HWND focus = ::GetFocus();

    // Out and released outside: nothing.
    Click(hwnd, {10, 10}, {300, 10}, {{40, 10}, {300, 10}});
    EXPECT_TRUE(host.commands.empty());
    EXPECT_FALSE(back.IsPressed());
    EXPECT_NE(::GetCapture(), hwnd);

    // Out and back in: one click, sent before the release returns.
    Click(hwnd, {10, 10}, {20, 20}, {{-5, 10}, {20, 20}});
    ASSERT_EQ(host.commands.size(), 1u);
    EXPECT_EQ(host.commands[0].wParam, MAKEWPARAM(4321, BN_CLICKED));
    EXPECT_EQ(host.commands[0].lParam, reinterpret_cast<LPARAM>(hwnd));
    EXPECT_EQ(::GetFocus(), focus);
    EXPECT_NE(::GetCapture(), hwnd);
    test::PumpPending();
    EXPECT_EQ(host.commands.size(), 1u);

    // A release without a press sends nothing either.
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, PointParam(5, 5));
    EXPECT_EQ(host.commands.size(), 1u);
}

TEST_F(BitmapButtonTest, LosingTheCaptureEndsThePress)
{
    BitmapButton back;
    HWND hwnd = MakeBack(back);
    ASSERT_NE(hwnd, nullptr);

    // Someone else takes the capture mid-press.
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(5, 5));
    ASSERT_TRUE(back.IsPressed());
    ::SetCapture(host.Hwnd());
    EXPECT_FALSE(back.IsPressed());
    EXPECT_EQ(ShownCell(back, IDB_BACK, 4), 0);
    ::ReleaseCapture();
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, PointParam(5, 5));
    EXPECT_TRUE(host.commands.empty());

    // The system cancels the mode.
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(5, 5));
    ::SendMessageW(hwnd, WM_CANCELMODE, 0, 0);
    EXPECT_FALSE(back.IsPressed());
    EXPECT_NE(::GetCapture(), hwnd);

    // The click opens something modal that captures the mouse: the button
    // does not stay pushed behind it.
    host.onCommand = [&](WPARAM, LPARAM) {
        ::SetCapture(host.Hwnd());
        EXPECT_FALSE(back.IsPressed());
        EXPECT_EQ(ShownCell(back, IDB_BACK, 4), 2);
        ::ReleaseCapture();
    };
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, PointParam(5, 5));
    Click(hwnd, {5, 5}, {5, 5});
    EXPECT_EQ(host.commands.size(), 1u);
    EXPECT_FALSE(back.IsPressed());
}

TEST_F(BitmapButtonTest, PaintAndHoverCyclesLeaveNoObjectsBehind)
{
    BitmapButton back;
    HWND hwnd = MakeBack(back);
    ASSERT_NE(hwnd, nullptr);
    ::ShowWindow(host.Hwnd(), SW_SHOWNA);
    auto cycle = [&] {
        ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, PointParam(5, 5));
        Surface24 shot;
        test::PrintClient(hwnd, shot);
        Click(hwnd, {5, 5}, {5, 5});
        ::SendMessageW(hwnd, WM_MOUSELEAVE, 0, 0);
        ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    };
    cycle();
    test::SettleObjects();
    const long gdi = test::GdiObjectCount(), user = test::UserObjectCount();
    for (int i = 0; i < 100; ++i) cycle();
    test::ExpectNoObjectsLeftPerCycle(gdi, user, 100);
    EXPECT_EQ(host.commands.size(), 101u);
}

}  // namespace
}  // namespace vorlune
