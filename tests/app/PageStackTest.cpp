// The page stack on real windows: what it tells its parent, which page shows,
// and its children's notifications coming back to them.

#include "app/PageStack.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <vector>

#include "win/Reflection.h"

namespace vorlune {
namespace {

// The stack's parent: records the notifications and can refuse a change.
class Parent : public Window {
public:
    ~Parent() override { Destroy(); }
    HWND Create()
    {
        static const WindowClass cls{L"VorluneTestStackParent"};
        return CreateWindowOf(cls, nullptr, RECT{0, 540, 400, 800}, WS_POPUP | WS_CLIPCHILDREN);
    }
    std::vector<int> codes;
    bool refuse = false;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        if (msg != WM_NOTIFY) return Window::ProcessWindowMessage(msg, wParam, lParam, result);
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        codes.push_back(static_cast<int>(header->code));
        result = refuse && header->code == PageStack::kPageChanging;
        return true;
    }
};

// A page or a control: records what reaches it.
class Child : public Window {
public:
    ~Child() override { Destroy(); }
    HWND Create(HWND parent, UINT id = 0)
    {
        static const WindowClass cls{L"VorluneTestStackChild"};
        return CreateWindowOf(cls, parent, RECT{0, 0, 10, 10}, kChildWindowStyle, 0, id);
    }
    std::vector<UINT> seen;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        if (msg == WM_COMMAND || (msg >= kReflected && msg != kReflected + WM_PARENTNOTIFY)) {
            seen.push_back(msg);
            result = 5;
            return true;
        }
        return Window::ProcessWindowMessage(msg, wParam, lParam, result);
    }
};

TEST(PageStack, NotifiesItsParentAroundEveryChangeAndShowsOnePage)
{
    Parent parent;
    ASSERT_NE(parent.Create(), nullptr);
    PageStack stack;
    ASSERT_NE(stack.Create(parent.Hwnd(), RECT{0, 100, 300, 250}), nullptr);
    EXPECT_EQ(parent.codes, std::vector<int>{-560});
    EXPECT_TRUE(::GetWindowLongPtrW(stack.Hwnd(), GWL_EXSTYLE) & WS_EX_CONTROLPARENT);

    Child pages[3];
    for (Child& page : pages) {
        ASSERT_NE(page.Create(stack.Hwnd()), nullptr);
        EXPECT_EQ(stack.AddPage(page.Hwnd()), &page - pages);
        EXPECT_FALSE(::IsWindowVisible(page.Hwnd()));
        EXPECT_TRUE(::GetWindowLongPtrW(page.Hwnd(), GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
    }
    EXPECT_EQ(parent.codes, (std::vector<int>{-560, -561, -561, -561}));
    EXPECT_EQ(stack.GetActivePage(), -1);
    EXPECT_EQ(stack.GetPage(3), nullptr);

    auto shown = [&] {
        std::vector<int> visible;
        for (Child& page : pages)
            if (::IsWindowVisible(page.Hwnd())) visible.push_back(static_cast<int>(&page - pages));
        return visible;
    };
    parent.codes.clear();
    ::ShowWindow(parent.Hwnd(), SW_SHOWNOACTIVATE);
    ASSERT_TRUE(stack.SetActivePage(0));
    ASSERT_TRUE(stack.SetActivePage(2));
    EXPECT_TRUE(stack.SetActivePage(2));  // already there: nothing said
    EXPECT_FALSE(stack.SetActivePage(3));
    EXPECT_FALSE(stack.SetActivePage(-1));
    EXPECT_EQ(parent.codes, (std::vector<int>{-552, -551, -552, -551}));
    EXPECT_EQ(shown(), std::vector<int>{2});
    RECT rc{};
    ::GetWindowRect(pages[2].Hwnd(), &rc);
    ::MapWindowPoints(nullptr, stack.Hwnd(), reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ((std::vector<LONG>{rc.left, rc.top, rc.right, rc.bottom}), (std::vector<LONG>{0, 0, 300, 150}));

    // The parent may keep the current page.
    parent.codes.clear();
    parent.refuse = true;
    EXPECT_FALSE(stack.SetActivePage(1));
    EXPECT_EQ(parent.codes, std::vector<int>{-552});
    EXPECT_EQ(stack.GetActivePage(), 2);
    EXPECT_EQ(shown(), std::vector<int>{2});

    // Resizing the stack resizes the page it shows.
    ::SetWindowPos(stack.Hwnd(), nullptr, 0, 0, 200, 80, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::GetClientRect(pages[2].Hwnd(), &rc);
    EXPECT_EQ((std::vector<LONG>{rc.right, rc.bottom}), (std::vector<LONG>{200, 80}));
}

TEST(PageStack, ReflectsControlNotificationsAndPassesCommandsToThePage)
{
    Parent parent;
    ASSERT_NE(parent.Create(), nullptr);
    PageStack stack;
    ASSERT_NE(stack.Create(parent.Hwnd(), RECT{0, 0, 300, 200}), nullptr);
    Child page, control;
    ASSERT_NE(page.Create(stack.Hwnd()), nullptr);
    ASSERT_EQ(stack.AddPage(page.Hwnd()), 0);
    ASSERT_TRUE(stack.SetActivePage(0));
    ASSERT_NE(control.Create(stack.Hwnd(), 77), nullptr);

    NMHDR header{control.Hwnd(), 77, NM_CLICK};
    EXPECT_EQ(::SendMessageW(stack.Hwnd(), WM_NOTIFY, 77, reinterpret_cast<LPARAM>(&header)), 5);
    ::SendMessageW(stack.Hwnd(), WM_COMMAND, MAKEWPARAM(77, BN_CLICKED), reinterpret_cast<LPARAM>(control.Hwnd()));
    ::SendMessageW(stack.Hwnd(), WM_CTLCOLORSTATIC, 0, reinterpret_cast<LPARAM>(control.Hwnd()));
    ::SendMessageW(stack.Hwnd(), WM_HSCROLL, 0, reinterpret_cast<LPARAM>(control.Hwnd()));
    EXPECT_EQ(control.seen, (std::vector<UINT>{kReflected + WM_NOTIFY, kReflected + WM_COMMAND,
                                               kReflected + WM_CTLCOLORSTATIC, kReflected + WM_HSCROLL}));

    // A command goes on to the current page: from a control, and from a menu
    // or accelerator (no control).
    EXPECT_EQ(::SendMessageW(stack.Hwnd(), WM_COMMAND, 33142, 0), 5);
    EXPECT_EQ(page.seen, (std::vector<UINT>{WM_COMMAND, WM_COMMAND}));
}

}  // namespace
}  // namespace vorlune
