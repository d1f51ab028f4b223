// The play-time display and the time tips: their texts for the awkward
// times, and as real windows their size and look.

#include <gtest/gtest.h>

#include <array>
#include <utility>

#include "controls/ControlTesting.h"
#include "controls/VePlayTimeCtrl.h"
#include "controls/VeTimeTipsCtrl.h"
#include "gfx/JpegPicture.h"
#include "res/resource.h"
#include "win/AppModule.h"
#include "win/Handle.h"

namespace vorlune {
namespace {

using test::ColourAt;
constexpr int64_t kSecond = 10000000;

TEST(TimeDisplays, TextsKeepWholeSecondsAndTheDurationDecidesTheFields)
{
    EXPECT_EQ(VePlayTimeCtrl::Text(0, 0), L"");
    EXPECT_EQ(VePlayTimeCtrl::Text(5 * kSecond, 4 * kSecond), L"");
    EXPECT_EQ(VePlayTimeCtrl::Text(-1, 4 * kSecond), L"");
    EXPECT_EQ(VePlayTimeCtrl::Text(0, 3600 * kSecond), L"0:00:00 / 1:00:00");
    EXPECT_EQ(VePlayTimeCtrl::Text(3725 * kSecond + kSecond / 2, 7200 * kSecond), L"1:02:05 / 2:00:00");
    EXPECT_EQ(VePlayTimeCtrl::Text(35999 * kSecond, 36000 * kSecond), L"9:59:59 / 10:00:00");
    EXPECT_EQ(VePlayTimeCtrl::Text(0, 3599 * kSecond), L"00:00 / 59:59");
    EXPECT_EQ(VePlayTimeCtrl::Text(99900000, 200 * kSecond), L"00:09 / 03:20");
    for (auto [ms, text] : {std::pair{0, L"00:00"}, {9990, L"00:09"}, {59999, L"00:59"}, {3600000, L"60:00"},
                            {4500000, L"75:00"}})
        EXPECT_EQ(VeTimeTipsCtrl::Text(ms), text);
}

// Columns of shot with a pixel in area unlike the same pixel of plain; each
// such pixel must pass ink (the text's colour blended over the plain one).
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

class TimeWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(test::UseProgramSkin(), nullptr) << "vorlune.exe is missing beside the tests folder";
        ASSERT_NE(host.Create(), nullptr);
    }
    test::HostWindow host;
};

TEST_F(TimeWindows, PlayTimeShowsItsTextOnlyForAPositionInsideTheSong)
{
    VePlayTimeCtrl time;
    HWND hwnd = time.Create(host.Hwnd(), POINT{512, 122});
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(::GetWindowLongPtrW(hwnd, GWL_STYLE), 0x56000000);
    EXPECT_EQ(test::SkinDifferences(hwnd, IDJ_PLAY_TIME), 0) << "no duration: the background alone, at its size";

    // Antialiased slate-blue text over the background.
    JpegPicture background;
    Surface24 shot;
    ASSERT_TRUE(background.LoadFromResource(IDJ_PLAY_TIME, AppModule::ResourceInstance()));
    time.SetDuration(200 * kSecond, false);
    time.SetPosition(65 * kSecond, true);
    ASSERT_TRUE(test::PrintClient(hwnd, shot));
    bool solid = false;
    auto slate = [&](COLORREF c) {
        solid |= c == RGB(77, 97, 123);
        return GetRValue(c) >= 77 && GetGValue(c) >= 97 && GetBValue(c) >= 123 && GetRValue(c) < GetBValue(c);
    };
    EXPECT_GT(InkedColumns(shot, RECT{0, 0, 69, 10}, background.ColorSurface(), slate), 40) << "01:05 / 03:20";
    EXPECT_TRUE(solid);
    time.SetPosition(201 * kSecond, false);
    EXPECT_EQ(test::SkinDifferences(hwnd, IDJ_PLAY_TIME), 0) << "a position beyond the song shows nothing";

    // Under an hour the text fits in the shared font; a ten-hour song's does
    // not, and is drawn whole in a smaller size of it.
    WindowDc screen(nullptr);
    auto width = [&](HFONT font, const std::wstring& text) {
        const SelectGuard selected(screen.Get(), font);
        SIZE extent{};
        ::GetTextExtentPoint32W(screen.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
        return extent.cx;
    };
    EXPECT_LE(width(TimeDisplayFont(), VePlayTimeCtrl::Text(3599 * kSecond, 3599 * kSecond)), 69);
    const std::wstring hours = VePlayTimeCtrl::Text(35999 * kSecond, 36000 * kSecond);
    EXPECT_GT(width(TimeDisplayFont(), hours), 69);
    const UniqueFont smaller = VePlayTimeCtrl::FontFitting(screen.Get(), hours, 69);
    ASSERT_TRUE(smaller);
    EXPECT_LE(width(smaller.Get(), hours), 69);
    time.SetDuration(36000 * kSecond, false);
    time.SetPosition(35999 * kSecond, true);
    ASSERT_TRUE(test::PrintClient(hwnd, shot));
    EXPECT_GT(InkedColumns(shot, RECT{0, 0, 69, 10}, background.ColorSurface(), slate), 50) << hours;
}

TEST_F(TimeWindows, TipsFitTheirTextInAFramedYellowLabel)
{
    LOGFONTW lf{};
    ASSERT_TRUE(::GetObjectW(TimeDisplayFont(), sizeof(lf), &lf));
    EXPECT_STREQ(lf.lfFaceName, L"Tahoma");
    EXPECT_EQ(lf.lfHeight, 12);

    VeTimeTipsCtrl tip;
    HWND hwnd = tip.Create(host.Hwnd());
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(::GetWindowLongPtrW(hwnd, GWL_STYLE), 0x46000000);
    ::SetWindowPos(hwnd, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (int ms : {59999, 100 * 60000 + 5000, 0}) {
        SCOPED_TRACE(ms);
        tip.SetTime(ms);
        SIZE text{};
        WindowDc screen(nullptr);
        SelectGuard font(screen.Get(), TimeDisplayFont());
        ::GetTextExtentPoint32W(screen.Get(), VeTimeTipsCtrl::Text(ms).c_str(), 5 + (ms > 6000000), &text);
        RECT window{};
        ::GetWindowRect(hwnd, &window);
        ::MapWindowPoints(nullptr, host.Hwnd(), reinterpret_cast<POINT*>(&window), 2);
        EXPECT_EQ((std::array<LONG, 4>{window.left, window.top, window.right, window.bottom}),
                  (std::array<LONG, 4>{30, 40, 30 + text.cx + 6, 40 + text.cy + 4}));
        EXPECT_FALSE(::IsWindowVisible(hwnd)) << "its owner shows the tip";

        Surface24 shot, yellow;
        ASSERT_TRUE(test::PrintClient(hwnd, shot));
        const int w = shot.Width(), h = shot.Height();
        for (POINT p : {POINT{0, 0}, POINT{w - 1, h - 1}, POINT{w / 2, 0}, POINT{0, h / 2}})
            EXPECT_EQ(ColourAt(shot, p.x, p.y), RGB(150, 140, 0)) << p.x << ", " << p.y;
        ASSERT_TRUE(yellow.Create(w, h, 24) && yellow.FillAll(RGB(255, 255, 0)));
        auto black = [](COLORREF c) { return GetBValue(c) == 0 && GetRValue(c) == GetGValue(c); };
        EXPECT_GT(InkedColumns(shot, RECT{1, 1, w - 1, h - 1}, yellow, black), text.cx / 2) << "black on yellow";
    }
}

}  // namespace
}  // namespace vorlune
