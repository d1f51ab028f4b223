// The frame as the program starts it, and the web links it opens.

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

TEST(MainFrame, HostsHeaderAndFooterAndStepsWithTheirButtons)
{
    ASSERT_NE(test::UseProgramSkin(), nullptr);
    MainFrame frame;
    HWND hwnd = frame.Create();
    ASSERT_NE(hwnd, nullptr);
    RECT client{};
    ::GetClientRect(hwnd, &client);
    using Place = std::array<LONG, 4>;
    EXPECT_EQ((Place{client.left, client.top, client.right, client.bottom}), (Place{0, 0, 600, 400}));
    EXPECT_EQ(test::PlaceIn(frame.Header().Hwnd(), hwnd), (Place{0, 0, 600, 100}));
    EXPECT_EQ(test::PlaceIn(frame.Footer().Hwnd(), hwnd), (Place{0, 350, 600, 400}));

    HWND back = frame.Footer().BackButton().Hwnd(), next = frame.Footer().NextButton().Hwnd();
    EXPECT_FALSE(::IsWindowEnabled(back));
    for (int step = 1; step <= 2; ++step) {
        EXPECT_TRUE(::IsWindowEnabled(next));
        test::Click(next, {5, 5}, {5, 5});
        test::PumpPending();
        EXPECT_EQ(frame.Header().Step(), step);
    }
    EXPECT_FALSE(::IsWindowEnabled(next));
    EXPECT_TRUE(::IsWindowEnabled(back));
    test::Click(back, {5, 5}, {5, 5});
    test::PumpPending();
    EXPECT_EQ(frame.Header().Step(), 1);
    ::SendMessageW(hwnd, WM_COMMAND, ID_STEP3_NEW, 0);
    EXPECT_EQ(frame.Header().Step(), 0);

    ::SendMessageW(hwnd, WM_COMMAND, ID_APP_EXIT, 0);
    test::PumpPending();
    EXPECT_FALSE(::IsWindow(hwnd));
}

// Web links never open a real browser here: Wine runs the program named in
// HKCU\Software\Wine\WineBrowser "Browsers" (at most 256 characters), for
// one test a script in /tmp (Wine's Z:) that appends its address to a file.
class RecordingBrowser {
public:
    RecordingBrowser()
    {
        const std::wstring name = L"vorlune-browser-" + std::to_wstring(::GetCurrentProcessId());
        script_ = L"Z:\\tmp\\" + name + L".sh";
        log_ = L"Z:\\tmp\\" + name + L".log";
        const std::wstring value = L"/bin/sh /tmp/" + name + L".sh /tmp/" + name + L".log";
        const char body[] = "#!/bin/sh\nprintf '%s\\n' \"$2\" >> \"$1\"\n";
        ok_ = test::WriteAll(script_, body, sizeof(body) - 1) && test::WriteAll(log_, "", 0) &&
              ::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"Browsers", REG_SZ, value.c_str(),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    ~RecordingBrowser()
    {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"Browsers");  // the build's own Wine prefix
        ::DeleteFileW(script_.c_str());
        ::DeleteFileW(log_.c_str());
    }
    bool Ok() const { return ok_; }

    // The addresses recorded so far; a line still being written is left out.
    std::vector<std::string> Addresses() const
    {
        const std::vector<uint8_t> bytes = test::ReadAll(log_);
        std::istringstream in(std::string(bytes.begin(), bytes.end()));
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line) && !in.eof();) lines.push_back(line);
        return lines;
    }
    // The next address the browser is started with; empty after the timeout.
    std::string Next()
    {
        test::PumpUntil([&] { return Addresses().size() > taken_; }, 20000);
        const std::vector<std::string> all = Addresses();
        return all.size() > taken_ ? all[taken_++] : std::string();
    }

private:
    static constexpr const wchar_t* kKey = L"Software\\Wine\\WineBrowser";
    std::wstring script_, log_;
    bool ok_ = false;
    size_t taken_ = 0;
};

TEST(WebLinks, FooterLinkAndBothCommandsOpenTheirAddresses)
{
    ASSERT_NE(test::UseProgramSkin(), nullptr);
    if (!::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) GTEST_SKIP() << "needs Wine";
    RecordingBrowser browser;
    ASSERT_TRUE(browser.Ok());
    const std::string website(kWebsiteUrl, kWebsiteUrl + wcslen(kWebsiteUrl));
    const std::string second(kSecondWebsiteUrl, kSecondWebsiteUrl + wcslen(kSecondWebsiteUrl));
    for (const std::string& url : {website, second})
        EXPECT_TRUE(std::regex_match(url, std::regex(R"(http://[^/?#]+/\?ref=zelk)"))) << url;
    EXPECT_NE(website, second);

    MainFrame frame;
    ASSERT_NE(frame.Create(), nullptr);
    HWND link = frame.Footer().Link().Hwnd();
    // Pressed on the link, released outside: no browser. Released inside: the website.
    test::Click(link, {20, 8}, {400, 8}, {{400, 8}});
    test::Click(link, {20, 8}, {30, 9}, {{300, 8}, {30, 9}});
    EXPECT_EQ(browser.Next(), website);
    EXPECT_EQ(::SendMessageW(frame.Hwnd(), WM_COMMAND, ID_HELP_WEBSITE, 0), 0);
    EXPECT_EQ(browser.Next(), website);
    EXPECT_EQ(::SendMessageW(frame.Hwnd(), WM_COMMAND, ID_STEP1_MONO_TO_STEREO, 0), 0);
    EXPECT_EQ(browser.Next(), second);
    EXPECT_EQ(browser.Addresses().size(), 3u);
}

}  // namespace
}  // namespace vorlune
