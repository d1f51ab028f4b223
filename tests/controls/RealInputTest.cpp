// Hover with the real cursor. Wine sends the leave notification only after
// the cursor really moves, so these tests move it; they share one ctest
// RESOURCE_LOCK (every test of the RealInput suite, see tests/CMakeLists.txt).

#include <gtest/gtest.h>

#include "controls/BitmapButton.h"
#include "controls/ControlTesting.h"
#include "controls/SkinArt.h"
#include "controls/VeViewFooter.h"
#include "res/resource.h"
#include "support/ProgramSkin.h"

namespace vorlune {
namespace {

class RealInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(test::UseProgramSkin(), nullptr);
        ASSERT_NE(host.Create(nullptr, RECT{40, 40, 680, 520}), nullptr);
        ::SetWindowPos(host.Hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        ::SetForegroundWindow(host.Hwnd());
        ::UpdateWindow(host.Hwnd());
        Away();
        test::Settle(200);
    }

    static void Over(HWND hwnd)
    {
        RECT r{};
        ::GetWindowRect(hwnd, &r);
        ::SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    static void Away() { ::SetCursorPos(1000, 900); }

    test::HostWindow host;
};

TEST_F(RealInput, ButtonAndLinkFollowTheCursorInAndOut)
{
    VeViewFooter footer;
    ASSERT_NE(footer.Create(host.Hwnd(), RECT{0, 350, 600, 400}), nullptr);
    BitmapButton& next = footer.NextButton();
    VeFooterLinkCtrl& link = footer.Link();
    test::PumpPending();

    long user = 0;
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        if (round == 1) user = test::UserObjectCount();  // after the first round has loaded the cursors
        Over(next.Hwnd());
        ASSERT_TRUE(test::PumpUntil([&] { return next.IsHovered(); }, 5000));
        Surface24 shot;
        ASSERT_TRUE(test::PrintClient(next.Hwnd(), shot));
        EXPECT_EQ(test::CountCellDifferences(shot, IDB_NEXT, 4, 2), 0);

        // Straight from the button onto the link: the button hears it left.
        Over(link.Hwnd());
        ASSERT_TRUE(test::PumpUntil([&] { return link.IsHovered() && !next.IsHovered(); }, 5000));
        ASSERT_TRUE(test::PrintClient(next.Hwnd(), shot));
        EXPECT_EQ(test::CountCellDifferences(shot, IDB_NEXT, 4, 0), 0);

        Away();
        ASSERT_TRUE(test::PumpUntil([&] { return !link.IsHovered(); }, 5000));
    }
    test::PumpPending();
    EXPECT_EQ(test::UserObjectCount(), user);
}

}  // namespace
}  // namespace vorlune
