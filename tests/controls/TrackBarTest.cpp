// The range track bar as a real window: its columns and fractions, drags and
// seeks made of mouse messages with what its parent hears, and its look
// through WM_PRINTCLIENT against the skin's own pictures.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "controls/ControlTesting.h"
#include "controls/VeTrackBarCtrl.h"
#include "gfx/ImageResource.h"
#include "gfx/JpegPicture.h"
#include "gfx/PngPicture.h"
#include "res/resource.h"
#include "win/AppModule.h"
#include "win/Handle.h"

namespace vorlune {
namespace {

struct Heard {
    UINT msg;
    WPARAM wParam;
    int startX, endX;
    bool painted;  // the control had repainted when the parent heard it
};

// Records the track bar's messages with the control's state at that moment.
class TrackHost : public test::HostWindow {
public:
    VeTrackBarCtrl* track = nullptr;
    std::vector<Heard> heard;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        if (msg != WM_TRACKBAR_RANGECHANGED && msg != WM_TRACKBAR_SEEK)
            return test::HostWindow::ProcessWindowMessage(msg, wParam, lParam, result);
        RECT update{};
        heard.push_back({msg, wParam, track->StartX(), track->EndX(), !::GetUpdateRect(track->Hwnd(), &update, FALSE)});
        result = 0;
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
        hwnd = track.Create(host.Hwnd(), POINT{91, 111});
        ASSERT_NE(hwnd, nullptr);
        ::ShowWindow(host.Hwnd(), SW_SHOWNA);  // so that repaints really paint
        ASSERT_TRUE(::SetWindowSubclass(hwnd, &CountPaints, 1, reinterpret_cast<DWORD_PTR>(&paints)));
        ::UpdateWindow(hwnd);
        paints = 0;
    }
    void TearDown() override
    {
        if (hwnd) ::RemoveWindowSubclass(hwnd, &CountPaints, 1);
    }

    void Down(int x, int y) { ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
    void Move(int x, int y = 20) { test::MouseMove(hwnd, {x, y}, MK_LBUTTON); }
    void Up() { ::SendMessageW(hwnd, WM_LBUTTONUP, 0, 0); }
    // What the parent heard since the last call: (message, wParam) pairs.
    std::vector<std::pair<UINT, WPARAM>> TakeHeard()
    {
        std::vector<std::pair<UINT, WPARAM>> out;
        for (const Heard& h : host.heard) out.emplace_back(h.msg, h.wParam);
        host.heard.clear();
        return out;
    }

    TrackHost host;
    VeTrackBarCtrl track;
    HWND hwnd = nullptr;
    int paints = 0;
};

using Pairs = std::vector<std::pair<UINT, WPARAM>>;
constexpr UINT kRange = WM_TRACKBAR_RANGECHANGED, kSeek = WM_TRACKBAR_SEEK;

TEST_F(TrackBar, StartsOnTheDefaultRangeAndConvertsColumnsOfTheTrack)
{
    wchar_t name[32] = {};
    ::GetClassNameW(hwnd, name, 32);
    EXPECT_STREQ(name, L"VeTrackBarCtrl");
    EXPECT_EQ(::GetWindowLongPtrW(hwnd, GWL_STYLE), 0x56000000);
    RECT client{}, window{};
    ::GetClientRect(hwnd, &client);
    ::GetWindowRect(hwnd, &window);
    ::MapWindowPoints(nullptr, host.Hwnd(), reinterpret_cast<POINT*>(&window), 2);
    EXPECT_EQ(client.right, 418);
    EXPECT_EQ(client.bottom, 47);
    EXPECT_EQ(window.left, 91);
    EXPECT_EQ(window.top, 111);

    // Before any song: both thumbs on the track, the marker at the song's start.
    EXPECT_EQ(track.StartX(), 90);
    EXPECT_EQ(track.EndX(), 210);
    EXPECT_EQ(track.PlayX(), 10);
    EXPECT_DOUBLE_EQ(track.GetStartFraction(), 80.0 / 398);
    EXPECT_DOUBLE_EQ(track.GetEndFraction(), 200.0 / 398);
    EXPECT_EQ(track.FractionFromX(5), 0.0);
    EXPECT_EQ(track.FractionFromX(10), 0.0);
    EXPECT_DOUBLE_EQ(track.FractionFromX(209), 199.0 / 398);
    EXPECT_EQ(track.FractionFromX(408), 1.0);
    EXPECT_EQ(track.FractionFromX(500), 1.0);

    // The play column rounds f x 398 + 10 and clamps f to [0, 1]; only a
    // changed column repaints, and only when asked to.
    const std::pair<double, int> plays[] = {{0.49 / 398, 10}, {0.51 / 398, 11}, {0.5, 209}, {1.0, 408},
                                            {1.5, 408},       {-0.2, 10},       {140.0 / 398, 150}};
    for (auto [fraction, column] : plays) {
        track.SetPlayFraction(fraction, false);
        EXPECT_EQ(track.PlayX(), column) << fraction;
    }
    EXPECT_EQ(paints, 0);
    track.SetPlayFraction(140.2 / 398, true);
    EXPECT_EQ(paints, 0) << "the same column painted again";
    track.SetPlayFraction(0.5, true);
    EXPECT_EQ(paints, 1);
    EXPECT_EQ(track.PlayX(), 209);

    Down(85, 35);
    Move(300);
    Up();
    ASSERT_EQ(track.StartX(), 210);
    paints = 0;
    track.ResetRange(false);
    EXPECT_EQ(paints, 0);
    EXPECT_EQ(track.StartX(), 90);
    EXPECT_EQ(track.EndX(), 210);
    track.ResetRange(true);
    EXPECT_EQ(paints, 1);
}

TEST_F(TrackBar, ThumbDragsStopAtTheOtherThumbAndTheTrackEndsWithOneMessagePerColumn)
{
    // The start thumb hangs left of its column: grabbed 5 columns left of it.
    Down(85, 35);
    for (int x : {85, 95, 95, 300, 310, -50}) Move(x);
    Up();
    ASSERT_EQ(host.heard.size(), 3u);
    const int starts[] = {100, 210, 10};  // moved, stopped at the end thumb, at the track's left
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(host.heard[i].msg, kRange);
        EXPECT_EQ(host.heard[i].wParam, 1u);
        EXPECT_EQ(host.heard[i].startX, starts[i]);
        EXPECT_TRUE(host.heard[i].painted) << "the parent heard before the control repainted";
    }
    EXPECT_EQ(paints, 3);
    host.heard.clear();
    Move(200);  // released: moves are ignored
    EXPECT_TRUE(host.heard.empty());

    // The end thumb hangs right of its column: grabbed 2 columns right of it.
    Down(212, 40);
    for (int x : {500, 600, 0}) Move(x);
    Up();
    EXPECT_EQ(TakeHeard(), (Pairs{{kRange, 0}, {kRange, 0}}));
    EXPECT_EQ(track.EndX(), 10);  // stopped at the start thumb: an empty selection
    EXPECT_EQ(track.StartX(), 10);

    // Thumbs on one column: left of it is the start thumb, from it on the end thumb.
    Down(5, 35);
    Move(60);
    Up();
    EXPECT_TRUE(host.heard.empty()) << "the start thumb passed the end thumb";
    Down(12, 35);
    Move(403);
    Up();
    EXPECT_EQ(TakeHeard(), (Pairs{{kRange, 0}}));
    EXPECT_EQ(track.EndX(), 401);

    // Neither thumb: below them, between them, above the groove.
    for (POINT p : {POINT{85, 46}, POINT{100, 35}, POINT{100, 5}}) {
        Down(p.x, p.y);
        Move(150);
        Up();
    }
    EXPECT_TRUE(host.heard.empty());
    EXPECT_EQ(track.StartX(), 10);
    EXPECT_EQ(track.EndX(), 401);
}

TEST_F(TrackBar, SeeksOnlyInsideTheSelectionAndHoldsToItsEdges)
{
    // The groove outside the selection, its right edge and above it: nothing.
    for (POINT p : {POINT{50, 15}, POINT{250, 15}, POINT{210, 15}, POINT{150, 5}, POINT{150, 21}}) {
        Down(p.x, p.y);
        Move(150, 15);
        Up();
    }
    EXPECT_TRUE(host.heard.empty());

    Down(150, 15);
    for (int x : {170, 170, 20, 400}) Move(x, 40);
    Up();
    Move(160);
    EXPECT_EQ(TakeHeard(), (Pairs{{kSeek, 150}, {kSeek, 170}, {kSeek, 170}, {kSeek, 90}, {kSeek, 210}}));
    EXPECT_EQ(track.PlayX(), 10) << "the parent moves the marker, not the control";
    EXPECT_EQ(paints, 0);
}

// The window's client area as WM_PRINTCLIENT paints it.
bool PrintClient(HWND hwnd, Surface24& shot)
{
    RECT client{};
    if (!::GetClientRect(hwnd, &client) || !shot.Create(client.right, client.bottom, 24)) return false;
    MemoryDc dc(::CreateCompatibleDC(nullptr));
    SelectGuard selected(dc.Get(), shot.Data()->Bitmap());
    ::SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT);
    ::GdiFlush();
    return selected.Ok();
}

COLORREF ColourAt(const Surface& s, int x, int y)
{
    RGBQUAD q{};
    s.GetColor(x, y, q);
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

TEST_F(TrackBar, PaintsBandSelectionPlayedPartAndThumbsBlendedOverTheBackground)
{
    const HMODULE skin = AppModule::ResourceInstance();
    JpegPicture background;
    Surface24 band, played;
    PngPicture thumbs[2];
    ASSERT_TRUE(background.LoadFromResource(IDJ_TRACK, skin));
    ASSERT_TRUE(LoadBitmapResource(band, IDB_RANGE_BAND, 24, skin));
    ASSERT_TRUE(LoadBitmapResource(played, IDB_PLAYED_BAND, 24, skin));
    ASSERT_TRUE(thumbs[0].LoadFromResource(IDP_START_THUMB, skin));
    ASSERT_TRUE(thumbs[1].LoadFromResource(IDP_END_THUMB, skin));

    track.SetPlayFraction(140.0 / 398, false);  // column 150
    Surface24 shot;
    ASSERT_TRUE(PrintClient(hwnd, shot));
    const Surface24& bg = background.ColorSurface();
    // The band's and the played band's rows are each one colour, so a stretch
    // keeps every row's colour whatever columns it repeats.
    int wrong = 0, partial = 0;
    for (int y = 0; y < 47; ++y)
        for (int x = 0; x < 418; ++x) {
            COLORREF want = ColourAt(bg, x, y);
            const bool inSelection = x >= 90 && x < 210;
            if (inSelection && y >= 11 && y < 21)
                want = x < 150 ? ColourAt(played, 0, y - 11) : RGB(75, 75, 75);
            else if (inSelection && y < 31 && (y < 9 || y >= 23))
                want = ColourAt(band, 0, y);
            for (int t = 0; t < 2; ++t) {
                const int left = t ? 210 : 81;
                if (x < left || x >= left + 9 || y < 31) continue;
                RGBQUAD c{}, a{};
                thumbs[t].Image().Colour().GetColor(x - left, y - 31, c);
                thumbs[t].Image().Alpha().GetColor(x - left, y - 31, a);
                const int alpha = a.rgbBlue;
                partial += alpha > 0 && alpha < 255;
                auto blend = [alpha](int d, int s) { return alpha == 255 ? s : d + ((alpha * (s - d)) >> 8); };
                want = RGB(blend(GetRValue(want), c.rgbRed), blend(GetGValue(want), c.rgbGreen),
                           blend(GetBValue(want), c.rgbBlue));
            }
            const COLORREF got = ColourAt(shot, x, y);
            if (got != want && ++wrong <= 5)
                ADD_FAILURE() << "(" << x << ", " << y << "): " << std::hex << got << " instead of " << want;
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(partial, 10) << "the thumbs should have half-transparent pixels to blend";
}

}  // namespace
}  // namespace vorlune
