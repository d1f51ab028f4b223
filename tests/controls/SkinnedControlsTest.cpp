// The bitmap button, footer, check box and link on real windows: their looks
// compared with the skin's own pictures, their clicks made of mouse messages.
// The header's banners are checked in the frame's test.

#include <gtest/gtest.h>

#include "controls/BitmapButton.h"
#include "controls/ControlTesting.h"
#include "controls/SkinArt.h"
#include "controls/VeCheckboxCtrl.h"
#include "controls/VePlayTimeCtrl.h"
#include "controls/VeProgressCtrl.h"
#include "controls/VeTimeTipsCtrl.h"
#include "controls/VeTrackBarCtrl.h"
#include "controls/VeViewFooter.h"
#include "controls/VeViewHeader.h"
#include "res/resource.h"
#include "support/GdiObjectCount.h"

namespace vorlune {
namespace {

using test::Click;
using test::CommandOf;
using test::MouseMove;
using test::SkinDifferences;
using Commands = std::vector<test::Command>;

// USER objects: this thread's windows (Wine's GetGuiResources counts none).
BOOL CALLBACK CountWindows(HWND hwnd, LPARAM count)
{
    ++*reinterpret_cast<long*>(count);
    if (!(::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD)) ::EnumChildWindows(hwnd, &CountWindows, count);
    return TRUE;
}

long UserObjectCount()
{
    long count = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CountWindows, reinterpret_cast<LPARAM>(&count));
    return count;
}

void Press(HWND hwnd) { ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)); }
void Release(HWND hwnd) { ::SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5)); }

class SkinnedControls : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(test::UseProgramSkin(), nullptr) << "vorlune.exe is missing beside the tests folder";
        ASSERT_NE(host.Create(), nullptr);
    }

    // A button of `cells` looks from the strip, created in the host.
    HWND MakeButton(BitmapButton& button, int strip, int cells, UINT id = ID_WIZARD_BACK)
    {
        button.SetImageList(LoadSkinStrip(strip, cells));
        button.SetImages(0, 1, 2, cells > 3 ? 3 : -1);
        return button.Create(host.Hwnd(), RECT{20, 10, 30, 20}, id);
    }

    test::HostWindow host;
};

TEST_F(SkinnedControls, ButtonShowsTheCellOfEachStateAndMinusOneShowsNormal)
{
    // Each look fills the button exactly: it took the size of one cell.
    BitmapButton back, choose;
    HWND hwnd = MakeButton(back, IDB_BACK, 4), other = MakeButton(choose, IDB_CHOOSE_SONG, 3);
    ASSERT_TRUE(hwnd && other);
    EXPECT_EQ(SkinDifferences(hwnd, IDB_BACK, 4, 0), 0);
    MouseMove(hwnd, {5, 5});
    EXPECT_EQ(SkinDifferences(hwnd, IDB_BACK, 4, 2), 0);
    Press(hwnd);
    EXPECT_EQ(SkinDifferences(hwnd, IDB_BACK, 4, 1), 0);
    Release(hwnd);
    ::SendMessageW(hwnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(SkinDifferences(hwnd, IDB_BACK, 4, 0), 0);
    ::EnableWindow(hwnd, FALSE);
    EXPECT_EQ(SkinDifferences(hwnd, IDB_BACK, 4, 3), 0);

    // No disabled look: the normal one. Then no hover or pushed look either.
    ::EnableWindow(other, FALSE);
    EXPECT_EQ(SkinDifferences(other, IDB_CHOOSE_SONG, 3, 0), 0);
    ::EnableWindow(other, TRUE);
    MouseMove(other, {5, 5});
    EXPECT_EQ(SkinDifferences(other, IDB_CHOOSE_SONG, 3, 2), 0);
    choose.SetImages(0);
    Press(other);
    EXPECT_EQ(SkinDifferences(other, IDB_CHOOSE_SONG, 3, 0), 0);
}

TEST_F(SkinnedControls, ButtonSendsOneClickOnlyForAPressReleasedOverItThatKeptTheCapture)
{
    BitmapButton back;
    HWND hwnd = MakeButton(back, IDB_BACK, 4, 4321);
    ASSERT_NE(hwnd, nullptr);
    ::SetFocus(host.Hwnd());
    const HWND focus = ::GetFocus();
    Click(hwnd, {10, 10}, {300, 10}, {{40, 10}, {300, 10}});  // out and released outside
    Release(hwnd);                                            // a release without a press
    Press(hwnd);
    ::SetCapture(host.Hwnd());  // someone else takes the capture
    EXPECT_FALSE(back.IsPressed());
    EXPECT_EQ(SkinDifferences(hwnd, IDB_BACK, 4, 0), 0);
    ::ReleaseCapture();
    Release(hwnd);
    Press(hwnd);
    ::SendMessageW(hwnd, WM_CANCELMODE, 0, 0);
    EXPECT_FALSE(back.IsPressed());
    EXPECT_NE(::GetCapture(), hwnd);
    Release(hwnd);
    EXPECT_TRUE(host.commands.empty());

    // Out and back in: one click, sent before the release returns. It opens
    // something modal that takes the capture: the button does not stay pushed.
    host.onCommand = [&] {
        ::SetCapture(host.Hwnd());
        EXPECT_FALSE(back.IsPressed());
        EXPECT_EQ(SkinDifferences(hwnd, IDB_BACK, 4, 2), 0);
        ::ReleaseCapture();
    };
    MouseMove(hwnd, {5, 5});
    Click(hwnd, {10, 10}, {20, 20}, {{-5, 10}, {20, 20}});
    EXPECT_EQ(host.commands, Commands{CommandOf(4321, BN_CLICKED, hwnd)});
    EXPECT_EQ(::GetFocus(), focus);
    EXPECT_NE(::GetCapture(), hwnd);
    test::PumpPending();
    EXPECT_EQ(host.commands.size(), 1u);
}

TEST_F(SkinnedControls, FooterPostsItsButtonsClicksUnchangedToTheTopLevelWindow)
{
    test::HostWindow view;  // as in the wizard: the clicks skip the view
    ASSERT_NE(view.Create(host.Hwnd(), RECT{0, 0, 600, 400}), nullptr);
    VeViewFooter footer;
    HWND hwnd = footer.Create(view.Hwnd(), RECT{0, 350, 600, 400});
    ASSERT_NE(hwnd, nullptr);
    HWND back = footer.BackButton().Hwnd(), next = footer.NextButton().Hwnd();
    EXPECT_EQ(SkinDifferences(hwnd, IDJ_FOOTER), 0);

    test::PumpPending();
    Click(back, {5, 5}, {5, 5});
    Click(next, {5, 5}, {5, 5});
    EXPECT_TRUE(host.commands.empty());  // posted, not sent
    test::PumpPending();
    EXPECT_EQ(host.commands,
              (Commands{CommandOf(ID_WIZARD_BACK, BN_CLICKED, back), CommandOf(ID_WIZARD_NEXT, BN_CLICKED, next)}));
    EXPECT_TRUE(view.commands.empty());
}

TEST_F(SkinnedControls, CheckBoxFlipsItsLookAndSendsOneCommandPerClick)
{
    for (const auto& [unchecked, checked, id] : {std::array{IDB_FADE_IN, IDB_FADE_IN_CHECKED, ID_STEP2_FADE_IN},
                                                  std::array{IDB_FADE_OUT, IDB_FADE_OUT_CHECKED, ID_STEP2_FADE_OUT}}) {
        SCOPED_TRACE(id);
        host.commands.clear();
        VeCheckboxCtrl box(unchecked, checked, id);
        ASSERT_NE(box.Create(host.Hwnd(), POINT{333, 183}), nullptr);
        HWND inner = box.Button().Hwnd();
        EXPECT_EQ(SkinDifferences(inner, unchecked, 4, 0), 0);

        MouseMove(inner, {3, 3});
        Click(inner, {3, 3}, {3, 3});
        EXPECT_EQ(host.commands, Commands{CommandOf(id, 0, inner)});  // sent: here before any pumping
        EXPECT_TRUE(box.IsChecked());
        EXPECT_EQ(SkinDifferences(inner, checked, 4, 2), 0);  // still under the mouse
        ::SendMessageW(inner, WM_MOUSELEAVE, 0, 0);
        EXPECT_EQ(SkinDifferences(inner, checked, 4, 0), 0);

        Click(inner, {3, 3}, {3, 3});
        ::SendMessageW(inner, WM_MOUSELEAVE, 0, 0);
        test::PumpPending();
        EXPECT_EQ(host.commands.size(), 2u);
        EXPECT_FALSE(box.IsChecked());
        EXPECT_EQ(SkinDifferences(inner, unchecked, 4, 0), 0);
    }
}

TEST_F(SkinnedControls, LinkLightsUpUnderTheMouse)
{
    VeFooterLinkCtrl link;
    HWND hwnd = link.Create(host.Hwnd(), RECT{16, 18, 16, 18});
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(SkinDifferences(hwnd, IDJ_LINK), 0);
    MouseMove(hwnd, {100, 8});
    EXPECT_EQ(SkinDifferences(hwnd, IDJ_LINK_HOVER), 0);
    MouseMove(hwnd, {300, 8});
    EXPECT_EQ(SkinDifferences(hwnd, IDJ_LINK), 0);
    MouseMove(hwnd, {10, 8});
    ::SendMessageW(hwnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(SkinDifferences(hwnd, IDJ_LINK), 0);
}

TEST_F(SkinnedControls, PaintHoverClickAndKeyCyclesOfEveryControlLeaveNoObjectsBehind)
{
    VeViewHeader header;
    VeViewFooter footer;
    VeCheckboxCtrl box(IDB_FADE_IN, IDB_FADE_IN_CHECKED, ID_STEP2_FADE_IN);
    VeTrackBarCtrl bar;
    VePlayTimeCtrl time;
    VeTimeTipsCtrl tip;
    VeProgressCtrl progress;
    ASSERT_NE(header.Create(host.Hwnd(), RECT{0, 0, 600, 100}), nullptr);
    ASSERT_NE(footer.Create(host.Hwnd(), RECT{0, 350, 600, 400}), nullptr);
    ASSERT_NE(box.Create(host.Hwnd(), POINT{333, 183}), nullptr);
    ASSERT_TRUE(bar.Create(host.Hwnd(), POINT{91, 211}) && time.Create(host.Hwnd(), POINT{512, 222}) &&
                tip.Create(host.Hwnd()) && progress.Create(host.Hwnd(), POINT{130, 120}));
    ::ShowWindow(tip.Hwnd(), SW_SHOWNA);
    ::ShowWindow(progress.Hwnd(), SW_SHOWNA);
    progress.Init(100, 0);
    time.SetDuration(2400000000, false);
    ::ShowWindow(host.Hwnd(), SW_SHOWNA);
    HWND link = footer.Link().Hwnd(), next = footer.NextButton().Hwnd(), inner = box.Button().Hwnd();
    auto cycle = [&](int i) {
        // Each control repainted, the focus drawn on the button and the
        // track bar by turns, the bar moved by keys.
        tip.SetTime(i * 1000);
        time.SetPosition(int64_t{i} * 10000000, true);
        progress.Advance(1);
        bar.SetPlayFraction(i % 10 / 10.0, true);
        ::SetFocus(i % 2 ? bar.Hwnd() : next);
        ::SendMessageW(bar.Hwnd(), WM_KEYDOWN, i % 2 ? VK_RIGHT : VK_LEFT, 0);
        for (HWND hwnd : {link, next, inner}) MouseMove(hwnd, {5, 5});
        Click(next, {5, 5}, {5, 5});
        Click(inner, {5, 5}, {5, 5});
        for (HWND hwnd : {link, next, inner}) ::SendMessageW(hwnd, WM_MOUSELEAVE, 0, 0);
        i % 2 ? header.NextStep() : header.FirstStep();
        ::RedrawWindow(host.Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        SkinDifferences(footer.Hwnd(), IDJ_FOOTER);
        SkinDifferences(next, IDB_NEXT, 4, 0);
        test::PumpPending();
    };
    // Counted once the GDI count stays still: a newly shown window gets its
    // display events late, more so on a busy machine, and objects with them.
    auto settle = [] {
        for (long i = 0, last = -1, now = 0; i < 20 && now != last; ++i) {
            last = now;
            test::PumpUntil([] { return false; }, 250);
            now = test::GdiObjectCount();
        }
    };
    cycle(0);  // loads what the controls load once
    settle();
    const long gdi = test::GdiObjectCount(), user = UserObjectCount();
    for (int i = 1; i <= 100; ++i) cycle(i);
    settle();
    EXPECT_EQ(UserObjectCount(), user);
    EXPECT_EQ(host.commands.size(), 2 * 101u);  // every click arrived
    // Wine now and then makes a few objects of its own for a shown window;
    // a leak of ours grows with the rounds.
    EXPECT_GE(test::GdiObjectCount(), gdi);
    EXPECT_LT(test::GdiObjectCount() - gdi, 10) << "GDI objects left behind by the cycles";
}

// Hover with the real cursor: Wine sends the leave notification only after
// the cursor really moves. The RealInput suite shares one ctest RESOURCE_LOCK.
void CursorTo(HWND hwnd)
{
    RECT r{1000, 900, 1000, 900};  // away from every window
    if (hwnd) ::GetWindowRect(hwnd, &r);
    ::SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

TEST(RealInput, ButtonAndLinkFollowTheCursorInAndOut)
{
    ASSERT_NE(test::UseProgramSkin(), nullptr);
    test::HostWindow host;
    ASSERT_NE(host.Create(nullptr, RECT{40, 40, 680, 520}), nullptr);
    ::SetWindowPos(host.Hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ::SetForegroundWindow(host.Hwnd());
    VeViewFooter footer;
    ASSERT_NE(footer.Create(host.Hwnd(), RECT{0, 350, 600, 400}), nullptr);
    BitmapButton& next = footer.NextButton();
    VeFooterLinkCtrl& link = footer.Link();
    CursorTo(nullptr);
    test::PumpUntil([] { return false; }, 200);

    long user = 0;
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        if (round == 1) user = UserObjectCount();  // after the first round has loaded the cursors
        CursorTo(next.Hwnd());
        ASSERT_TRUE(test::PumpUntil([&] { return next.IsHovered(); }, 5000));
        EXPECT_EQ(SkinDifferences(next.Hwnd(), IDB_NEXT, 4, 2), 0);
        CursorTo(link.Hwnd());  // straight from the button onto the link: the button hears it left
        ASSERT_TRUE(test::PumpUntil([&] { return link.IsHovered() && !next.IsHovered(); }, 5000));
        EXPECT_EQ(SkinDifferences(next.Hwnd(), IDB_NEXT, 4, 0), 0);
        CursorTo(nullptr);
        ASSERT_TRUE(test::PumpUntil([&] { return !link.IsHovered(); }, 5000));
    }
    test::PumpPending();
    EXPECT_EQ(UserObjectCount(), user);
}

}  // namespace
}  // namespace vorlune
