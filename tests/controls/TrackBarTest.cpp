// The range track bar as a real window: columns and fractions, drags and
// seeks made of mouse messages with what the parent hears, and its look
// through WM_PRINTCLIENT against the skin's own pictures.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <array>
#include <utility>
#include <vector>

#include "controls/ControlTesting.h"
#include "controls/VeTrackBarCtrl.h"
#include "gfx/ImageResource.h"
#include "gfx/JpegPicture.h"
#include "gfx/PngPicture.h"
#include "res/resource.h"
#include "win/AppModule.h"

namespace vorlune {
namespace {

using test::ColourAt;
constexpr UINT kRange = WM_TRACKBAR_RANGECHANGED, kSeek = WM_TRACKBAR_SEEK;
// A message, its wParam and the moved column, as the parent heard them.
using Heard = std::vector<std::array<WPARAM, 3>>;

// Hears the track bar, noting whether it had repainted by then.
class TrackHost : public test::HostWindow {
public:
    VeTrackBarCtrl* track = nullptr;
    Heard heard;
    bool heardBeforePaint = false;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        if (msg != kRange && msg != kSeek) return test::HostWindow::ProcessWindowMessage(msg, wParam, lParam, result);
        const int column = msg == kSeek ? 0 : wParam ? track->StartX() : track->EndX();
        heard.push_back({msg, wParam, static_cast<WPARAM>(column)});
        heardBeforePaint |= msg == kRange && ::GetUpdateRect(track->Hwnd(), nullptr, FALSE);
        return true;
    }
};

LRESULT CALLBACK CountPaints(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR count)
{
    if (msg == WM_PAINT) ++*reinterpret_cast<int*>(count);
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

class TrackBar : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(test::UseProgramSkin(), nullptr) << "vorlune.exe is missing beside the tests folder";
        ASSERT_NE(host.Create(), nullptr);
        host.track = &track;
        ASSERT_NE(hwnd = track.Create(host.Hwnd(), POINT{91, 111}), nullptr);
        ::ShowWindow(host.Hwnd(), SW_SHOWNA);  // so that repaints really paint
        ::UpdateWindow(hwnd);
        ASSERT_TRUE(::SetWindowSubclass(hwnd, &CountPaints, 1, reinterpret_cast<DWORD_PTR>(&paints)));
    }
    void TearDown() override { ::RemoveWindowSubclass(hwnd, &CountPaints, 1); }

    // Button down at (x, y), moves through xs on row y, button up.
    void Drag(int x, int y, std::vector<int> xs)
    {
        std::vector<POINT> path;
        for (int to : xs) path.push_back({to, y});
        test::Click(hwnd, {x, y}, {x, y}, path);
    }
    Heard Take() { return std::exchange(host.heard, {}); }

    TrackHost host;
    VeTrackBarCtrl track;
    HWND hwnd = nullptr;
    int paints = 0;
};

TEST_F(TrackBar, StartsOnTheDefaultRangeAndConvertsColumnsOfTheTrack)
{
    RECT client{}, window{};
    ::GetClientRect(hwnd, &client);
    ::GetWindowRect(hwnd, &window);
    ::MapWindowPoints(nullptr, host.Hwnd(), reinterpret_cast<POINT*>(&window), 2);
    EXPECT_EQ(::GetWindowLongPtrW(hwnd, GWL_STYLE), 0x56000000);
    EXPECT_EQ((std::array<LONG, 4>{window.left, window.top, client.right, client.bottom}),
              (std::array<LONG, 4>{91, 111, 418, 47}));
    // Before any song: both thumbs on the track, the marker on the song's start.
    EXPECT_EQ((std::array<int, 3>{track.StartX(), track.EndX(), track.PlayX()}), (std::array<int, 3>{90, 210, 10}));
    EXPECT_DOUBLE_EQ(track.GetStartFraction(), 80.0 / 398);
    EXPECT_DOUBLE_EQ(track.GetEndFraction(), 200.0 / 398);
    for (auto [x, fraction] : {std::pair{5, 0.0}, {10, 0.0}, {209, 199.0 / 398}, {408, 1.0}, {500, 1.0}})
        EXPECT_DOUBLE_EQ(track.FractionFromX(x), fraction) << x;

    // The play column is f x 398 + 10 rounded, f clamped to [0, 1]; only a
    // changed column repaints, and only when asked to.
    for (auto [fraction, x] : {std::pair{0.49 / 398, 10}, {0.51 / 398, 11}, {1.5, 408}, {-0.2, 10}, {0.5, 209}}) {
        track.SetPlayFraction(fraction, false);
        EXPECT_EQ(track.PlayX(), x) << fraction;
    }
    track.SetPlayFraction(0.5001, true);
    EXPECT_EQ(paints, 0) << "the same column painted again";
    track.SetPlayFraction(0.6, true);
    EXPECT_EQ(paints, 1);

    Drag(85, 35, {300});
    ASSERT_EQ(track.StartX(), 210);
    track.ResetRange(false);
    EXPECT_EQ((std::array<int, 3>{track.StartX(), track.EndX(), paints}), (std::array<int, 3>{90, 210, 2}));
    track.ResetRange(true);
    EXPECT_EQ(paints, 3);
}

TEST_F(TrackBar, ThumbDragsStopAtTheOtherThumbAndTheTrackEndsWithOneMessagePerColumn)
{
    // The start thumb hangs left of its column, grabbed here 5 columns left:
    // moved, the same column, stopped at the end thumb, stopped at the track.
    Drag(85, 35, {85, 95, 95, 300, 310, -50});
    EXPECT_EQ(Take(), (Heard{{kRange, 1, 100}, {kRange, 1, 210}, {kRange, 1, 10}}));
    EXPECT_EQ(paints, 3);
    test::MouseMove(hwnd, {200, 35}, MK_LBUTTON);  // released: ignored
    // The end thumb hangs right of its column, grabbed 2 columns right.
    Drag(212, 40, {500, 600, 0});
    EXPECT_EQ(Take(), (Heard{{kRange, 0, 408}, {kRange, 0, 10}}));
    // On one column: the start thumb left of it cannot pass the end, the end
    // thumb from it on moves. Below, between and above the thumbs: nothing.
    Drag(5, 35, {60});
    Drag(12, 35, {403});
    for (POINT p : {POINT{85, 46}, POINT{100, 35}, POINT{100, 5}}) Drag(p.x, p.y, {150});
    EXPECT_EQ(Take(), (Heard{{kRange, 0, 401}}));
    EXPECT_FALSE(host.heardBeforePaint) << "the parent heard of a move before the control showed it";
}

TEST_F(TrackBar, SeeksOnlyInsideTheSelectionAndHoldsToItsEdges)
{
    // Outside the selection, on its right edge, above and below the groove.
    for (POINT p : {POINT{50, 15}, POINT{250, 15}, POINT{210, 15}, POINT{150, 10}, POINT{150, 21}})
        Drag(p.x, p.y, {150});
    EXPECT_TRUE(Take().empty());
    Drag(150, 15, {170, 170, 20, 400});
    test::MouseMove(hwnd, {160, 15}, MK_LBUTTON);
    EXPECT_EQ(Take(), (Heard{{kSeek, 150, 0}, {kSeek, 170, 0}, {kSeek, 170, 0}, {kSeek, 90, 0}, {kSeek, 210, 0}}));
    EXPECT_EQ(track.PlayX(), 10) << "the parent moves the marker, not the control";
}

TEST_F(TrackBar, PaintsBandSelectionPlayedPartAndThumbsBlendedOverTheBackground)
{
    const HMODULE skin = AppModule::ResourceInstance();
    JpegPicture background;
    Surface24 band, played, shot;
    PngPicture thumbs[2];
    ASSERT_TRUE(background.LoadFromResource(IDJ_TRACK, skin) && LoadBitmapResource(band, IDB_RANGE_BAND, 24, skin) &&
                LoadBitmapResource(played, IDB_PLAYED_BAND, 24, skin) &&
                thumbs[0].LoadFromResource(IDP_START_THUMB, skin) && thumbs[1].LoadFromResource(IDP_END_THUMB, skin));
    track.SetPlayFraction(140.0 / 398, false);  // column 150
    ASSERT_TRUE(test::PrintClient(hwnd, shot));

    // Each row of the two bands is one colour, so a stretch keeps it.
    int wrong = 0, blended = 0;
    for (int y = 0; y < 47; ++y)
        for (int x = 0; x < 418; ++x) {
            COLORREF want = ColourAt(background.ColorSurface(), x, y);
            const bool selected = x >= 90 && x < 210;
            if (selected && y >= 11 && y < 21)
                want = x < 150 ? ColourAt(played, 0, y - 11) : RGB(75, 75, 75);
            else if (selected && (y < 9 || (y >= 23 && y < 31)))
                want = ColourAt(band, 0, y);
            for (int t = 0, left = 81; t < 2; ++t, left = 210) {
                if (x < left || x >= left + 9 || y < 31) continue;
                const COLORREF c = ColourAt(thumbs[t].Image().Colour(), x - left, y - 31);
                const int a = thumbs[t].Image().Alpha().GetIndex(x - left, y - 31);
                blended += a > 0 && a < 255;
                auto mix = [a](int d, int s) { return a == 255 ? s : d + ((a * (s - d)) >> 8); };
                want = RGB(mix(GetRValue(want), GetRValue(c)), mix(GetGValue(want), GetGValue(c)),
                           mix(GetBValue(want), GetBValue(c)));
            }
            const COLORREF got = ColourAt(shot, x, y);
            if (got != want && ++wrong <= 5)
                ADD_FAILURE() << x << ", " << y << ": " << std::hex << got << ", not " << want;
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(blended, 10) << "the thumbs should have half-transparent pixels";
}

}  // namespace
}  // namespace vorlune
