// The save's progress bar as a real window: its size and look at the awkward
// positions, and that every move is on the screen before the mover goes on.

#include <gtest/gtest.h>

#include <windows.h>
// after windows.h
#include <commctrl.h>

#include "controls/ControlTesting.h"
#include "controls/VeProgressCtrl.h"
#include "res/resource.h"
#include "win/Handle.h"

namespace vorlune {
namespace {

using test::ColourAt;
constexpr COLORREF kBar = RGB(123, 134, 175);

// Can put the position past the range, which the range's own operations
// never do.
class OverrunBar : public VeProgressCtrl {
public:
    void Overrun(uint32_t position)
    {
        StorePosition(position);
        OnPositionChanged();
    }
};

// The bar's painted extent: the background everywhere outside `bar`, the bar's
// colour everywhere inside it.
void ExpectBar(HWND hwnd, const RECT& bar)
{
    Surface24 shot;
    ASSERT_TRUE(test::PrintClient(hwnd, shot));
    EXPECT_EQ(test::SkinDifferences(shot, IDB_PROGRESS, 1, 0, {0, 0}, bar), 0) << "the background outside the bar";
    int coloured = 0;
    for (int y = bar.top; y < bar.bottom; ++y)
        for (int x = bar.left; x < bar.right; ++x) coloured += ColourAt(shot, x, y) == kBar;
    EXPECT_EQ(coloured, (bar.right - bar.left) * (bar.bottom - bar.top));
}

class ProgressBar : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(test::UseProgramSkin(), nullptr) << "vorlune.exe is missing beside the tests folder";
        ASSERT_NE(host.Create(), nullptr);
        hwnd = bar.Create(host.Hwnd(), POINT{130, 91});
        ASSERT_NE(hwnd, nullptr);
    }
    test::HostWindow host;
    OverrunBar bar;
    HWND hwnd = nullptr;
};

TEST_F(ProgressBar, FillsFromFourPixelsInByThePercentAndNeverPastTheMargin)
{
    wchar_t cls[32]{};
    ::GetClassNameW(hwnd, cls, 32);
    EXPECT_STREQ(cls, L"VeProgressCtrl");
    EXPECT_EQ(::GetWindowLongPtrW(hwnd, GWL_STYLE), 0x46000000);
    EXPECT_FALSE(::IsWindowVisible(hwnd)) << "its owner shows it";
    RECT window{}, client{};
    ::GetWindowRect(hwnd, &window);
    ::MapWindowPoints(nullptr, host.Hwnd(), reinterpret_cast<POINT*>(&window), 2);
    ::GetClientRect(hwnd, &client);
    EXPECT_EQ(window.left, 130);
    EXPECT_EQ(window.top, 91);
    EXPECT_EQ(client.right, 341);
    EXPECT_EQ(client.bottom, 32);

    EXPECT_EQ(bar.Range(), 0u);
    ExpectBar(hwnd, RECT{});  // no range: the background only
    bar.SetRange(3100);
    bar.Advance(1550);
    ExpectBar(hwnd, RECT{4, 4, 4 + 166, 28});  // 50 % of 333, truncated
    bar.Advance(31);
    ExpectBar(hwnd, RECT{4, 4, 4 + 169, 28});  // 51 % gives 169.83
    bar.Complete();
    ExpectBar(hwnd, RECT{4, 4, 337, 28});
    bar.Overrun(5000);
    ExpectBar(hwnd, RECT{4, 4, 337, 28});  // past the range: still inside the margin
    bar.SetRange(0);
    ExpectBar(hwnd, RECT{});
}

DWORD WINAPI AdvanceFive(void* bar)
{
    static_cast<VeProgressCtrl*>(bar)->Advance(5);
    return 0;
}

LRESULT CALLBACK CountPaints(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR count)
{
    if (msg == WM_PAINT) ++*reinterpret_cast<int*>(count);
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

// Each move paints the control before it returns, so the bar keeps up with
// a job whose messages come faster than the queue empties.
TEST_F(ProgressBar, EveryMoveThatShowsIsPaintedBeforeItReturnsButNeverWaitsForAnotherThread)
{
    int paints = 0;
    ASSERT_TRUE(::SetWindowSubclass(hwnd, CountPaints, 1, reinterpret_cast<DWORD_PTR>(&paints)));
    ::ShowWindow(host.Hwnd(), SW_SHOWNA);
    ::ShowWindow(hwnd, SW_SHOWNA);
    test::PumpPending();
    bar.SetRange(40);
    for (int i = 1; i <= 40; ++i) {
        const int before = paints;
        bar.Advance(1);
        RECT pending{};
        ASSERT_GT(paints, before) << "move " << i << " waited for the queue";
        ASSERT_FALSE(::GetUpdateRect(hwnd, &pending, FALSE)) << "move " << i << " left part unpainted";
    }
    ExpectBar(hwnd, RECT{4, 4, 337, 28});

    // The job's 3100 units on 333 pixels: a move too small to show paints
    // nothing, the next pixel is painted at once.
    bar.Init(3100, 0);
    bar.Repaint();
    test::PumpPending();
    int before = paints;
    bar.Advance(9);
    EXPECT_EQ(paints, before);
    bar.Advance(1);
    EXPECT_GT(paints, before);
    ExpectBar(hwnd, RECT{4, 4, 5, 28});

    // Moved from another thread while this one waits for it (as the page
    // waits for a cancelled job), the bar must not wait for this thread.
    bar.Init(10, 0);
    KernelHandle mover(::CreateThread(nullptr, 0, AdvanceFive, &bar, 0, nullptr));
    ASSERT_TRUE(mover);
    const DWORD waited = ::WaitForSingleObject(mover.Get(), 5000);
    // Let a move stuck in a paint finish, so the test ends either way.
    ASSERT_TRUE(test::PumpUntil([&] { return ::WaitForSingleObject(mover.Get(), 0) == WAIT_OBJECT_0; }, 10000));
    EXPECT_EQ(waited, WAIT_OBJECT_0) << "the move waited for the window's thread";
    test::PumpPending();
    ExpectBar(hwnd, RECT{4, 4, 4 + 166, 28});
    ::RemoveWindowSubclass(hwnd, CountPaints, 1);
}

}  // namespace
}  // namespace vorlune
