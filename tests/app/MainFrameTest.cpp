// The frame as the program starts it: its header and footer at work, and the
// web links it opens.

#include "app/MainFrame.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "controls/ControlTesting.h"
#include "controls/WebLinks.h"
#include "res/resource.h"
#include "support/Fixtures.h"

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

// Web links never open a real browser here: Wine runs the program named in
// HKCU\Software\Wine\WineBrowser "Browsers" (at most 256 characters), for
// one test a script in /tmp (Wine's Z:) that appends its address to a file.
struct RecordingBrowser {
    RecordingBrowser()
    {
        const std::wstring value = L"/bin/sh /tmp/" + name + L".sh /tmp/" + name + L".log";
        const char body[] = "printf '%s\\n' \"$2\" >> \"$1\"\n";
        ok = test::WriteAll(script, body, sizeof(body) - 1) && test::WriteAll(log, "", 0) &&
             ::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"Browsers", REG_SZ, value.c_str(),
                               static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    ~RecordingBrowser()
    {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"Browsers");  // the build's own Wine prefix
        ::DeleteFileW(script.c_str());
        ::DeleteFileW(log.c_str());
    }
    // The addresses recorded, once there are `count` or after 20 s; a line
    // still being written is left out.
    std::vector<std::string> Addresses(size_t count) const
    {
        std::vector<std::string> lines;
        test::PumpUntil([&] {
            const std::vector<uint8_t> bytes = test::ReadAll(log);
            std::istringstream in(std::string(bytes.begin(), bytes.end()));
            lines.clear();
            for (std::string line; std::getline(in, line) && !in.eof();) lines.push_back(line);
            return lines.size() >= count;
        }, 20000);
        return lines;
    }

    static constexpr const wchar_t* kKey = L"Software\\Wine\\WineBrowser";
    const std::wstring name = L"vorlune-browser-" + std::to_wstring(::GetCurrentProcessId());
    const std::wstring script = L"Z:\\tmp\\" + name + L".sh", log = L"Z:\\tmp\\" + name + L".log";
    bool ok = false;
};

TEST(WebLinks, FooterLinkAndBothCommandsOpenTheirAddresses)
{
    ASSERT_NE(test::UseProgramSkin(), nullptr);
    if (!::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) GTEST_SKIP() << "needs Wine";
    RecordingBrowser browser;
    ASSERT_TRUE(browser.ok);
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
