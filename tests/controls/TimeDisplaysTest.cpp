// The play-time display and the time tips: their texts for the awkward
// times, and as real windows their size, look and GDI objects.

#include <gtest/gtest.h>

#include "controls/ControlTesting.h"
#include "controls/VePlayTimeCtrl.h"
#include "controls/VeTimeTipsCtrl.h"
#include "controls/VeTrackBarCtrl.h"
#include "gfx/JpegPicture.h"
#include "res/resource.h"
#include "support/GdiObjectCount.h"
#include "win/AppModule.h"
#include "win/Handle.h"

namespace vorlune {
namespace {

constexpr int64_t kSecond = 10000000;

TEST(TimeDisplays, TextsKeepWholeSecondsAndTheDurationDecidesTheFields)
{
    EXPECT_EQ(VePlayTimeCtrl::Text(0, 0), L"");
    EXPECT_EQ(VePlayTimeCtrl::Text(5 * kSecond, 4 * kSecond), L"");
    EXPECT_EQ(VePlayTimeCtrl::Text(-1, 4 * kSecond), L"");
    EXPECT_EQ(VePlayTimeCtrl::Text(0, 3600 * kSecond), L"00:00:00 / 01:00:00");
    EXPECT_EQ(VePlayTimeCtrl::Text(3725 * kSecond + kSecond / 2, 7200 * kSecond), L"01:02:05 / 02:00:00");
    EXPECT_EQ(VePlayTimeCtrl::Text(0, 3599 * kSecond), L"00:00 / 59:59");
    EXPECT_EQ(VePlayTimeCtrl::Text(99900000, 200 * kSecond), L"00:09 / 03:20");
    EXPECT_EQ(VePlayTimeCtrl::Text(3599 * kSecond, 3599 * kSecond + kSecond - 1), L"59:59 / 59:59");

    EXPECT_EQ(VeTimeTipsCtrl::Text(0), L"00:00");
    EXPECT_EQ(VeTimeTipsCtrl::Text(9990), L"00:09");
    EXPECT_EQ(VeTimeTipsCtrl::Text(59999), L"00:59");
    EXPECT_EQ(VeTimeTipsCtrl::Text(3600000), L"60:00");
    EXPECT_EQ(VeTimeTipsCtrl::Text(4500000), L"75:00");
}

class TimeWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(test::UseProgramSkin(), nullptr) << "vorlune.exe is missing beside the tests folder";
        ASSERT_NE(host.Create(), nullptr);
    }
    test::HostWindow host;
};

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

// Columns of the shot with a pixel inside `area` that differs from the same
// pixel of `plain`; each such pixel must pass `ink` (the text's colour
// blended over the plain one).
template <class Ink>
int InkedColumns(const Surface& shot, const RECT& area, const Surface& plain, Ink ink)
{
    int columns = 0;
    for (int x = area.left; x < area.right; ++x) {
        bool inked = false;
        for (int y = area.top; y < area.bottom; ++y) {
            const COLORREF c = ColourAt(shot, x, y);
            if (c == ColourAt(plain, x, y)) continue;
            EXPECT_TRUE(ink(c)) << std::hex << c << " at " << std::dec << x << ", " << y;
            inked = true;
        }
        columns += inked;
    }
    return columns;
}

SIZE TextSize(const wchar_t* text)
{
    SIZE size{};
    WindowDc screen(nullptr);
    SelectGuard font(screen.Get(), TimeDisplayFont());
    ::GetTextExtentPoint32W(screen.Get(), text, lstrlenW(text), &size);
    return size;
}

TEST_F(TimeWindows, PlayTimeShowsItsTextOnlyForAPositionInsideTheSong)
{
    VePlayTimeCtrl time;
    HWND hwnd = time.Create(host.Hwnd(), POINT{512, 122});
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(::GetWindowLongPtrW(hwnd, GWL_STYLE), 0x56000000);
    RECT client{};
    ::GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 69);
    EXPECT_EQ(client.bottom, 10);
    EXPECT_EQ(test::SkinDifferences(hwnd, IDJ_PLAY_TIME), 0) << "no duration: nothing but the background";

    // Antialiased slate-blue text over the background's near-white.
    Surface24 shot;
    time.SetDuration(200 * kSecond, false);
    time.SetPosition(65 * kSecond, true);
    ASSERT_TRUE(PrintClient(hwnd, shot));
    JpegPicture background;
    ASSERT_TRUE(background.LoadFromResource(IDJ_PLAY_TIME, AppModule::ResourceInstance()));
    bool solid = false;
    auto slate = [&](COLORREF c) {
        solid |= c == RGB(77, 97, 123);
        return GetRValue(c) >= 77 && GetGValue(c) >= 97 && GetBValue(c) >= 123 && GetRValue(c) < GetBValue(c);
    };
    EXPECT_GT(InkedColumns(shot, RECT{0, 0, 69, 10}, background.ColorSurface(), slate), 30) << "01:05 / 03:20 across the display";
    EXPECT_TRUE(solid);

    time.SetPosition(3601 * kSecond, false);
    EXPECT_EQ(test::SkinDifferences(hwnd, IDJ_PLAY_TIME), 0) << "a position beyond the song shows nothing";
}

TEST_F(TimeWindows, TipsFitTheirTextInAFramedYellowLabel)
{
    HFONT font = TimeDisplayFont();
    LOGFONTW lf{};
    ASSERT_TRUE(::GetObjectW(font, sizeof(lf), &lf));
    EXPECT_STREQ(lf.lfFaceName, L"Tahoma");
    EXPECT_EQ(lf.lfHeight, 12);
    EXPECT_EQ(TimeDisplayFont(), font) << "one font for the life of the process";

    VeTimeTipsCtrl tip;
    HWND hwnd = tip.Create(host.Hwnd());
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(::GetWindowLongPtrW(hwnd, GWL_STYLE), 0x46000000);
    ::SetWindowPos(hwnd, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    for (int ms : {59999, 100 * 60000 + 5000, 0}) {
        SCOPED_TRACE(ms);
        tip.SetTime(ms);
        const SIZE text = TextSize(VeTimeTipsCtrl::Text(ms).c_str());
        RECT window{};
        ::GetWindowRect(hwnd, &window);
        ::MapWindowPoints(nullptr, host.Hwnd(), reinterpret_cast<POINT*>(&window), 2);
        EXPECT_EQ(window.left, 30) << "sizing keeps the place";
        EXPECT_EQ(window.top, 40);
        EXPECT_EQ(window.right - window.left, text.cx + 6);
        EXPECT_EQ(window.bottom - window.top, text.cy + 4);
        EXPECT_FALSE(::IsWindowVisible(hwnd)) << "the owner shows the tip";

        Surface24 shot;
        ASSERT_TRUE(PrintClient(hwnd, shot));
        const int w = shot.Width(), h = shot.Height();
        for (POINT p : {POINT{0, 0}, POINT{w - 1, h - 1}, POINT{w / 2, 0}, POINT{0, h / 2}})
            EXPECT_EQ(ColourAt(shot, p.x, p.y), RGB(150, 140, 0)) << p.x << ", " << p.y;
        EXPECT_EQ(ColourAt(shot, 1, 1), RGB(255, 255, 0));
        EXPECT_EQ(ColourAt(shot, w - 2, h - 2), RGB(255, 255, 0));
        auto black = [](COLORREF c) { return GetBValue(c) == 0 && GetRValue(c) == GetGValue(c); };
        Surface24 yellow;
        ASSERT_TRUE(yellow.Create(w, h, 24) && yellow.FillAll(RGB(255, 255, 0)));
        EXPECT_GT(InkedColumns(shot, RECT{1, 1, w - 1, h - 1}, yellow, black), text.cx / 2)
            << "black text across the label";
    }
}

TEST_F(TimeWindows, DragsAndTimeChangesLeaveNoObjectsBehind)
{
    VeTrackBarCtrl track;
    VePlayTimeCtrl time;
    VeTimeTipsCtrl tip;
    ASSERT_TRUE(track.Create(host.Hwnd(), POINT{91, 111}) && time.Create(host.Hwnd(), POINT{512, 122}) &&
                tip.Create(host.Hwnd()));
    ::ShowWindow(tip.Hwnd(), SW_SHOW);
    ::ShowWindow(host.Hwnd(), SW_SHOWNA);
    time.SetDuration(300 * kSecond, false);
    auto cycle = [&](int i) {
        test::Click(track.Hwnd(), {85, 35}, {0, 0}, {{85 + i % 50, 20}, {90, 20}});
        track.SetPlayFraction(i / 100.0, true);
        time.SetPosition(i * kSecond, true);
        tip.SetTime(i * 1000);
        test::PumpPending();
    };
    cycle(0);
    test::PumpUntil([] { return false; }, 250);
    const long gdi = test::GdiObjectCount();
    for (int i = 1; i <= 100; ++i) cycle(i);
    test::PumpUntil([] { return false; }, 250);
    EXPECT_LT(test::GdiObjectCount() - gdi, 10) << "GDI objects left behind";
}

}  // namespace
}  // namespace vorlune
