// Header, footer, check box and link on real windows, compared with the
// skin pictures they show.

#include <gtest/gtest.h>

#include <vector>

#include "controls/ControlTesting.h"
#include "controls/VeCheckboxCtrl.h"
#include "controls/VeFooterLinkCtrl.h"
#include "controls/VeViewFooter.h"
#include "controls/VeViewHeader.h"
#include "res/resource.h"
#include "support/GdiObjectCount.h"
#include "support/ProgramSkin.h"

namespace vorlune {
namespace {

using test::Click;
using test::CountCellDifferences;
using test::CountDifferences;
using test::PointParam;

class SkinnedControls : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(test::UseProgramSkin(), nullptr) << "vorlune.exe is missing beside the tests folder";
        ASSERT_NE(host.Create(), nullptr);
    }

    static int DiffersFromJpeg(const Surface24& shot, POINT at, int id)
    {
        Surface24 skin;
        if (!test::DecodeSkin(id, ImageType::Jpeg, skin)) return -1;
        return CountDifferences(shot, at, skin, skin.Bounds());
    }

    static std::vector<LONG> Corners(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

    static RECT RectIn(HWND child, HWND parent)
    {
        RECT r{};
        ::GetWindowRect(child, &r);
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    test::HostWindow host;
};

TEST_F(SkinnedControls, HeaderShowsTheBannerOverTheCurrentStep)
{
    VeViewHeader header;
    ASSERT_NE(header.Create(host.Hwnd(), RECT{0, 0, 600, 100}), nullptr);
    auto shows = [&](int banner) {
        Surface24 shot;
        if (!test::PrintClient(header.Hwnd(), shot)) return false;
        return DiffersFromJpeg(shot, {0, 0}, IDJ_HEADER) == 0 && DiffersFromJpeg(shot, {0, 65}, banner) == 0;
    };
    EXPECT_TRUE(shows(IDJ_STEP1));
    header.PreviousStep();
    EXPECT_EQ(header.Step(), 0);
    header.NextStep();
    EXPECT_TRUE(shows(IDJ_STEP2));
    header.NextStep();
    header.NextStep();
    EXPECT_EQ(header.Step(), 2);
    EXPECT_TRUE(shows(IDJ_STEP3));
    header.PreviousStep();
    EXPECT_TRUE(shows(IDJ_STEP2));
    header.FirstStep();
    EXPECT_TRUE(shows(IDJ_STEP1));
}

TEST_F(SkinnedControls, FooterPlacesItsPartsAndPostsClicksToTheTopLevelWindow)
{
    // Inside a view, as in the wizard: the clicks skip the view.
    test::HostWindow view;
    ASSERT_NE(view.Create(host.Hwnd(), RECT{0, 0, 600, 400}), nullptr);
    VeViewFooter footer;
    ASSERT_NE(footer.Create(view.Hwnd(), RECT{0, 350, 600, 400}), nullptr);

    HWND back = ::GetDlgItem(footer.Hwnd(), ID_WIZARD_BACK);
    HWND next = ::GetDlgItem(footer.Hwnd(), ID_WIZARD_NEXT);
    ASSERT_EQ(back, footer.BackButton().Hwnd());
    ASSERT_EQ(next, footer.NextButton().Hwnd());
    const RECT backAt = RectIn(back, footer.Hwnd()), nextAt = RectIn(next, footer.Hwnd());
    const RECT linkAt = RectIn(footer.Link().Hwnd(), footer.Hwnd());
    EXPECT_EQ(Corners(backAt), Corners(RECT{356, 10, 467, 42}));
    EXPECT_EQ(Corners(nextAt), Corners(RECT{475, 10, 586, 42}));
    EXPECT_EQ(Corners(linkAt), Corners(RECT{16, 18, 245, 35}));

    Surface24 shot;
    ASSERT_TRUE(test::PrintClient(footer.Hwnd(), shot));
    EXPECT_EQ(DiffersFromJpeg(shot, {0, 0}, IDJ_FOOTER), 0);
    ASSERT_TRUE(test::PrintClient(next, shot));
    EXPECT_EQ(CountCellDifferences(shot, IDB_NEXT, 4, 0), 0);

    test::PumpPending();
    Click(back, {5, 5}, {5, 5});
    Click(next, {5, 5}, {5, 5});
    EXPECT_TRUE(host.commands.empty());  // posted, not sent
    test::PumpPending();
    ASSERT_EQ(host.commands.size(), 2u);
    EXPECT_EQ(host.commands[0].wParam, MAKEWPARAM(ID_WIZARD_BACK, BN_CLICKED));
    EXPECT_EQ(host.commands[0].lParam, reinterpret_cast<LPARAM>(back));
    EXPECT_EQ(host.commands[1].wParam, MAKEWPARAM(ID_WIZARD_NEXT, BN_CLICKED));
    EXPECT_EQ(host.commands[1].lParam, reinterpret_cast<LPARAM>(next));
    EXPECT_TRUE(view.commands.empty());

    // A disabled Next shows its fourth look and sends nothing.
    ::EnableWindow(next, FALSE);
    ASSERT_TRUE(test::PrintClient(next, shot));
    EXPECT_EQ(CountCellDifferences(shot, IDB_NEXT, 4, 3), 0);
}

TEST_F(SkinnedControls, CheckBoxFlipsItsLookAndSendsOneCommandPerClick)
{
    struct Case {
        int unchecked, checked;
        UINT id;
        POINT at;
        int width;
    };
    const Case cases[] = {{IDB_FADE_IN, IDB_FADE_IN_CHECKED, ID_STEP2_FADE_IN, {333, 183}, 70},
                          {IDB_FADE_OUT, IDB_FADE_OUT_CHECKED, ID_STEP2_FADE_OUT, {423, 183}, 80}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        host.commands.clear();
        VeCheckboxCtrl box(c.unchecked, c.checked, c.id);
        ASSERT_NE(box.Create(host.Hwnd(), c.at), nullptr);
        const RECT at = RectIn(box.Hwnd(), host.Hwnd());
        EXPECT_EQ(at.left, c.at.x);
        EXPECT_EQ(at.top, c.at.y);
        EXPECT_EQ(at.right - at.left, c.width);
        EXPECT_EQ(at.bottom - at.top, 18);
        HWND inner = ::GetDlgItem(box.Hwnd(), c.id);
        ASSERT_EQ(inner, box.Button().Hwnd());

        auto look = [&](int strip, int cell) {
            Surface24 shot;
            return test::PrintClient(inner, shot) ? CountCellDifferences(shot, strip, 4, cell) : -1;
        };
        EXPECT_EQ(look(c.unchecked, 0), 0);
        EXPECT_FALSE(box.IsChecked());

        ::SendMessageW(inner, WM_MOUSEMOVE, 0, PointParam(3, 3));
        Click(inner, {3, 3}, {3, 3});
        ASSERT_EQ(host.commands.size(), 1u);  // sent: here before any pumping
        EXPECT_EQ(host.commands[0].wParam, MAKEWPARAM(c.id, 0));
        EXPECT_EQ(host.commands[0].lParam, reinterpret_cast<LPARAM>(inner));
        EXPECT_TRUE(box.IsChecked());
        EXPECT_EQ(look(c.checked, 2), 0);  // still under the mouse
        ::SendMessageW(inner, WM_MOUSELEAVE, 0, 0);
        EXPECT_EQ(look(c.checked, 0), 0);

        Click(inner, {3, 3}, {3, 3});
        EXPECT_EQ(host.commands.size(), 2u);
        EXPECT_FALSE(box.IsChecked());
        ::SendMessageW(inner, WM_MOUSELEAVE, 0, 0);
        EXPECT_EQ(look(c.unchecked, 0), 0);
        test::PumpPending();
        EXPECT_EQ(host.commands.size(), 2u);
    }
}

TEST_F(SkinnedControls, LinkLightsUpUnderTheMouse)
{
    VeFooterLinkCtrl link;
    ASSERT_NE(link.Create(host.Hwnd(), RECT{16, 18, 16, 18}), nullptr);
    RECT client{};
    ::GetClientRect(link.Hwnd(), &client);
    EXPECT_EQ(client.right, 229);
    EXPECT_EQ(client.bottom, 17);
    auto shows = [&](int id) {
        Surface24 shot;
        return test::PrintClient(link.Hwnd(), shot) && DiffersFromJpeg(shot, {0, 0}, id) == 0;
    };
    EXPECT_TRUE(shows(IDJ_LINK));
    ::SendMessageW(link.Hwnd(), WM_MOUSEMOVE, 0, PointParam(100, 8));
    EXPECT_TRUE(shows(IDJ_LINK_HOVER));
    ::SendMessageW(link.Hwnd(), WM_MOUSEMOVE, 0, PointParam(300, 8));
    EXPECT_TRUE(shows(IDJ_LINK));
    ::SendMessageW(link.Hwnd(), WM_MOUSEMOVE, 0, PointParam(10, 8));
    ::SendMessageW(link.Hwnd(), WM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(shows(IDJ_LINK));
    EXPECT_FALSE(link.IsHovered());

    // The hand cursor over it.
    ::SendMessageW(link.Hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(link.Hwnd()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
}

TEST_F(SkinnedControls, PaintAndHoverCyclesLeaveNoObjectsBehind)
{
    VeViewHeader header;
    VeViewFooter footer;
    ASSERT_NE(header.Create(host.Hwnd(), RECT{0, 0, 600, 100}), nullptr);
    ASSERT_NE(footer.Create(host.Hwnd(), RECT{0, 350, 600, 400}), nullptr);
    ::ShowWindow(host.Hwnd(), SW_SHOWNA);
    HWND link = footer.Link().Hwnd();
    auto cycle = [&](int i) {
        ::SendMessageW(link, WM_MOUSEMOVE, 0, PointParam(5, 5));
        ::SendMessageW(link, WM_MOUSELEAVE, 0, 0);
        ::SendMessageW(footer.NextButton().Hwnd(), WM_MOUSEMOVE, 0, PointParam(5, 5));
        ::SendMessageW(footer.NextButton().Hwnd(), WM_MOUSELEAVE, 0, 0);
        i % 2 ? header.NextStep() : header.FirstStep();
        ::RedrawWindow(host.Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Surface24 shot;
        test::PrintClient(footer.Hwnd(), shot);
    };
    cycle(0);
    test::SettleObjects();
    const long gdi = test::GdiObjectCount(), user = test::UserObjectCount();
    for (int i = 0; i < 100; ++i) cycle(i);
    test::ExpectNoObjectsLeftPerCycle(gdi, user, 100);
}

}  // namespace
}  // namespace vorlune
