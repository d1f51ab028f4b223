// The frame as the program starts it: its header and footer at work, and the
// web links it opens.

#include "app/MainFrame.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "controls/ControlTesting.h"
#include "controls/WebLinks.h"
#include "res/resource.h"
#include "support/RecordingBrowser.h"

namespace vorlune {
namespace {

TEST(MainFrame, StepsThroughTheHeaderBannersWithTheFooterButtons)
{
    ASSERT_NE(test::UseProgramSkin(), nullptr);
    MainFrame frame;
    HWND hwnd = frame.Create(), header = frame.Header().Hwnd();
    ASSERT_NE(hwnd, nullptr);
    // A fixed 600 x 400 client area, the header on top, the footer at the bottom.
    RECT client{}, parts[2]{};
    ::GetClientRect(hwnd, &client);
    ::GetWindowRect(header, &parts[0]);
    ::GetWindowRect(frame.Footer().Hwnd(), &parts[1]);
    ::MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(parts), 4);
    EXPECT_EQ((std::vector<LONG>{client.right, client.bottom, parts[0].top, parts[0].bottom, parts[1].top,
                                 parts[1].bottom}),
              (std::vector<LONG>{600, 400, 0, 100, 350, 400}));

    const int banners[] = {IDJ_STEP1, IDJ_STEP2, IDJ_STEP3};
    auto onStep = [&](int step) {
        return frame.Header().Step() == step && test::SkinDifferences(header, IDJ_HEADER) == 0 &&
               test::SkinDifferences(header, banners[step], 0, 0, {0, 65}) == 0;
    };
    HWND back = frame.Footer().BackButton().Hwnd(), next = frame.Footer().NextButton().Hwnd();
    frame.Header().PreviousStep();  // none before the first
    EXPECT_TRUE(onStep(0));
    EXPECT_FALSE(::IsWindowEnabled(back));
    for (int step = 1; step <= 2; ++step) {
        EXPECT_TRUE(::IsWindowEnabled(next));
        test::Click(next, {5, 5}, {5, 5});
        test::PumpPending();
        EXPECT_TRUE(onStep(step));
    }
    frame.Header().NextStep();  // none after the last
    EXPECT_TRUE(onStep(2));
    EXPECT_FALSE(::IsWindowEnabled(next));
    test::Click(back, {5, 5}, {5, 5});
    test::PumpPending();
    EXPECT_TRUE(onStep(1));
    ::SendMessageW(hwnd, WM_COMMAND, ID_STEP3_NEW, 0);
    EXPECT_TRUE(onStep(0));

    ::SendMessageW(hwnd, WM_COMMAND, ID_APP_EXIT, 0);
    test::PumpPending();
    EXPECT_FALSE(::IsWindow(hwnd));
}

TEST(WebLinks, FooterLinkAndBothCommandsOpenTheirAddresses)
{
    ASSERT_NE(test::UseProgramSkin(), nullptr);
    if (!::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) GTEST_SKIP() << "needs Wine";
    test::RecordingBrowser browser;
    ASSERT_TRUE(browser.Ok());
    const std::string website(kWebsiteUrl, kWebsiteUrl + wcslen(kWebsiteUrl));
    const std::string second(kSecondWebsiteUrl, kSecondWebsiteUrl + wcslen(kSecondWebsiteUrl));
    for (const std::string& url : {website, second})
        EXPECT_TRUE(std::regex_match(url, std::regex(R"(http://[^/?#]+/\?ref=zelk)"))) << url;
    EXPECT_NE(website, second);

    MainFrame frame;
    ASSERT_NE(frame.Create(), nullptr);
    HWND link = frame.Footer().Link().Hwnd();
    // Pressed on the link, released outside: no browser. Released inside: the
    // website. One at a time: the browsers run side by side.
    using Urls = std::vector<std::string>;
    test::Click(link, {20, 8}, {400, 8}, {{400, 8}});
    test::Click(link, {20, 8}, {30, 9}, {{300, 8}, {30, 9}});
    EXPECT_EQ(browser.Addresses(1), Urls{website});
    EXPECT_EQ(::SendMessageW(frame.Hwnd(), WM_COMMAND, ID_HELP_WEBSITE, 0), 0);
    EXPECT_EQ(browser.Addresses(2), (Urls{website, website}));
    EXPECT_EQ(::SendMessageW(frame.Hwnd(), WM_COMMAND, ID_STEP1_MONO_TO_STEREO, 0), 0);
    EXPECT_EQ(browser.Addresses(3), (Urls{website, website, second}));
}

}  // namespace
}  // namespace vorlune
