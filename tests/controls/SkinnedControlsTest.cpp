// The bitmap button, header, footer, check box and link on real windows:
// their looks compared with the skin's own pictures, their clicks made of
// mouse messages.

#include <gtest/gtest.h>

#include "controls/BitmapButton.h"
#include "controls/ControlTesting.h"
#include "controls/SkinArt.h"
#include "controls/VeCheckboxCtrl.h"
#include "controls/VeViewFooter.h"
#include "controls/VeViewHeader.h"
#include "res/resource.h"

namespace vorlune {
namespace {

using test::Click;
using test::CommandOf;
using test::MouseMove;
using test::SkinDifferences;
using Commands = std::vector<test::Command>;
using Place = std::array<LONG, 4>;

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
    BitmapButton back, choose;
    HWND hwnd = MakeButton(back, IDB_BACK, 4), other = MakeButton(choose, IDB_CHOOSE_SONG, 3);
    ASSERT_TRUE(hwnd && other);
    // Each look fills the button exactly: it took the size of one cell.
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

TEST_F(SkinnedControls, ButtonSendsOneClickOnlyWhenReleasedOverIt)
{
    BitmapButton back;
    HWND hwnd = MakeButton(back, IDB_BACK, 4, 4321);
    ASSERT_NE(hwnd, nullptr);
    ::SetFocus(host.Hwnd());
    const HWND focus = ::GetFocus();

    Click(hwnd, {10, 10}, {300, 10}, {{40, 10}, {300, 10}});  // out and released outside
    Release(hwnd);                                            // a release without a press
    EXPECT_TRUE(host.commands.empty());
    EXPECT_FALSE(back.IsPressed());

    Click(hwnd, {10, 10}, {20, 20}, {{-5, 10}, {20, 20}});  // out and back in: sent before the release returns
    EXPECT_EQ(host.commands, Commands{CommandOf(4321, BN_CLICKED, hwnd)});
    EXPECT_EQ(::GetFocus(), focus);
    EXPECT_NE(::GetCapture(), hwnd);
    test::PumpPending();
    EXPECT_EQ(host.commands.size(), 1u);
}

TEST_F(SkinnedControls, ButtonPressEndsWhenTheCaptureGoes)
{
    BitmapButton back;
    HWND hwnd = MakeButton(back, IDB_BACK, 4);
    ASSERT_NE(hwnd, nullptr);
    Press(hwnd);
    ASSERT_TRUE(back.IsPressed());
    ::SetCapture(host.Hwnd());
    EXPECT_FALSE(back.IsPressed());
    EXPECT_EQ(SkinDifferences(hwnd, IDB_BACK, 4, 0), 0);
    ::ReleaseCapture();
    Release(hwnd);
    EXPECT_TRUE(host.commands.empty());

    Press(hwnd);
    ::SendMessageW(hwnd, WM_CANCELMODE, 0, 0);
    EXPECT_FALSE(back.IsPressed());
    EXPECT_NE(::GetCapture(), hwnd);

    // The click opens something modal that captures the mouse: the button
    // does not stay pushed behind it.
    host.onCommand = [&] {
        ::SetCapture(host.Hwnd());
        EXPECT_FALSE(back.IsPressed());
        EXPECT_EQ(SkinDifferences(hwnd, IDB_BACK, 4, 2), 0);
        ::ReleaseCapture();
    };
    MouseMove(hwnd, {5, 5});
    Click(hwnd, {5, 5}, {5, 5});
    EXPECT_EQ(host.commands.size(), 1u);
}

TEST_F(SkinnedControls, HeaderShowsTheBannerOfTheCurrentStep)
{
    VeViewHeader header;
    HWND hwnd = header.Create(host.Hwnd(), RECT{0, 0, 600, 100});
    ASSERT_NE(hwnd, nullptr);
    auto shows = [&](int banner) {
        return SkinDifferences(hwnd, IDJ_HEADER) == 0 && SkinDifferences(hwnd, banner, 0, 0, {0, 65}) == 0;
    };
    header.PreviousStep();  // stays on the first
    for (int banner : {IDJ_STEP1, IDJ_STEP2, IDJ_STEP3, IDJ_STEP3}) {
        EXPECT_TRUE(shows(banner)) << banner;
        header.NextStep();
    }
    header.PreviousStep();
    EXPECT_TRUE(shows(IDJ_STEP2));
    header.FirstStep();
    EXPECT_TRUE(shows(IDJ_STEP1));
}

TEST_F(SkinnedControls, FooterPostsItsButtonsClicksUnchangedToTheTopLevelWindow)
{
    test::HostWindow view;  // as in the wizard: the clicks skip the view
    ASSERT_NE(view.Create(host.Hwnd(), RECT{0, 0, 600, 400}), nullptr);
    VeViewFooter footer;
    HWND hwnd = footer.Create(view.Hwnd(), RECT{0, 350, 600, 400});
    ASSERT_NE(hwnd, nullptr);
    HWND back = ::GetDlgItem(hwnd, ID_WIZARD_BACK), next = ::GetDlgItem(hwnd, ID_WIZARD_NEXT);
    ASSERT_TRUE(back == footer.BackButton().Hwnd() && next == footer.NextButton().Hwnd());
    EXPECT_EQ(test::PlaceIn(back, hwnd), (Place{356, 10, 467, 42}));
    EXPECT_EQ(test::PlaceIn(next, hwnd), (Place{475, 10, 586, 42}));
    EXPECT_EQ(test::PlaceIn(footer.Link().Hwnd(), hwnd), (Place{16, 18, 245, 35}));
    EXPECT_EQ(SkinDifferences(hwnd, IDJ_FOOTER), 0);
    EXPECT_EQ(SkinDifferences(next, IDB_NEXT, 4, 0), 0);

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
    struct Case {
        int unchecked, checked;
        UINT id;
        LONG x, width;
    };
    for (const Case& c : {Case{IDB_FADE_IN, IDB_FADE_IN_CHECKED, ID_STEP2_FADE_IN, 333, 70},
                          Case{IDB_FADE_OUT, IDB_FADE_OUT_CHECKED, ID_STEP2_FADE_OUT, 423, 80}}) {
        SCOPED_TRACE(c.id);
        host.commands.clear();
        VeCheckboxCtrl box(c.unchecked, c.checked, c.id);
        ASSERT_NE(box.Create(host.Hwnd(), POINT{c.x, 183}), nullptr);
        EXPECT_EQ(test::PlaceIn(box.Hwnd(), host.Hwnd()), (Place{c.x, 183, c.x + c.width, 183 + 18}));
        HWND inner = ::GetDlgItem(box.Hwnd(), c.id);
        ASSERT_EQ(inner, box.Button().Hwnd());
        EXPECT_EQ(SkinDifferences(inner, c.unchecked, 4, 0), 0);

        MouseMove(inner, {3, 3});
        Click(inner, {3, 3}, {3, 3});
        EXPECT_EQ(host.commands, Commands{CommandOf(c.id, 0, inner)});  // sent: here before any pumping
        EXPECT_TRUE(box.IsChecked());
        EXPECT_EQ(SkinDifferences(inner, c.checked, 4, 2), 0);  // still under the mouse
        ::SendMessageW(inner, WM_MOUSELEAVE, 0, 0);
        EXPECT_EQ(SkinDifferences(inner, c.checked, 4, 0), 0);

        Click(inner, {3, 3}, {3, 3});
        ::SendMessageW(inner, WM_MOUSELEAVE, 0, 0);
        test::PumpPending();
        EXPECT_EQ(host.commands.size(), 2u);
        EXPECT_FALSE(box.IsChecked());
        EXPECT_EQ(SkinDifferences(inner, c.unchecked, 4, 0), 0);
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
    ::SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
}

TEST_F(SkinnedControls, PaintHoverAndClickCyclesLeaveNoObjectsBehind)
{
    VeViewHeader header;
    VeViewFooter footer;
    VeCheckboxCtrl box(IDB_FADE_IN, IDB_FADE_IN_CHECKED, ID_STEP2_FADE_IN);
    ASSERT_NE(header.Create(host.Hwnd(), RECT{0, 0, 600, 100}), nullptr);
    ASSERT_NE(footer.Create(host.Hwnd(), RECT{0, 350, 600, 400}), nullptr);
    ASSERT_NE(box.Create(host.Hwnd(), POINT{333, 183}), nullptr);
    ::ShowWindow(host.Hwnd(), SW_SHOWNA);
    HWND link = footer.Link().Hwnd(), next = footer.NextButton().Hwnd(), inner = box.Button().Hwnd();
    test::ExpectNoObjectsLeftByCycles([&](int i) {
        for (HWND hwnd : {link, next, inner}) MouseMove(hwnd, {5, 5});
        Click(next, {5, 5}, {5, 5});
        Click(inner, {5, 5}, {5, 5});
        for (HWND hwnd : {link, next, inner}) ::SendMessageW(hwnd, WM_MOUSELEAVE, 0, 0);
        i % 2 ? header.NextStep() : header.FirstStep();
        ::RedrawWindow(host.Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        SkinDifferences(footer.Hwnd(), IDJ_FOOTER);
        SkinDifferences(next, IDB_NEXT, 4, 0);
        test::PumpPending();
    });
    EXPECT_EQ(host.commands.size(), 2 * 101u);  // every click arrived
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
        if (round == 1) user = test::UserObjectCount();  // after the first round has loaded the cursors
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
    EXPECT_EQ(test::UserObjectCount(), user);
}

}  // namespace
}  // namespace vorlune
