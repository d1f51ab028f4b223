// The web links reach the browser through the shell. Wine runs the program
// named in HKCU\Software\Wine\WineBrowser "Browsers"; here that is a small
// script that appends the address it is given to a file.

#include "controls/WebLinks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/MainFrame.h"
#include "controls/ControlTesting.h"
#include "controls/VeFooterLinkCtrl.h"
#include "res/resource.h"
#include "support/Fixtures.h"
#include "support/ProgramSkin.h"

namespace vorlune {
namespace {

std::string UnixPath(const std::wstring& path)
{
    using ToUnix = char*(CDECL*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) return {};
    char* unix = toUnix(path.c_str());
    if (!unix) return {};
    std::string result(unix);
    ::HeapFree(::GetProcessHeap(), 0, unix);
    return result;
}

const wchar_t kBrowserKey[] = L"Software\\Wine\\WineBrowser";

// Points Wine's browser at the recording script for one test.
class RecordingBrowser {
public:
    // Under /tmp: Wine reads at most 256 characters of the setting.
    RecordingBrowser()
        : script_(L"Z:\\tmp\\vorlune-browser-" + std::to_wstring(::GetCurrentProcessId()) + L".sh"),
          log_(L"Z:\\tmp\\vorlune-browser-" + std::to_wstring(::GetCurrentProcessId()) + L".log")
    {
        const char body[] = "#!/bin/sh\nprintf '%s\\n' \"$2\" >> \"$1\"\n";
        test::WriteAll(script_, body, sizeof(body) - 1);
        test::WriteAll(log_, "", 0);
        const std::string script = UnixPath(script_), log = UnixPath(log_);
        if (script.empty() || log.empty() || script.size() + log.size() > 200) return;
        const std::string command = "/bin/sh \"" + script + "\" \"" + log + "\"";
        const std::wstring value(command.begin(), command.end());
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, kBrowserKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_,
                              nullptr) != ERROR_SUCCESS)
            return;
        DWORD size = sizeof(old_);
        hadOld_ = ::RegQueryValueExW(key_, L"Browsers", nullptr, nullptr, reinterpret_cast<BYTE*>(old_), &size) ==
                  ERROR_SUCCESS;
        oldSize_ = size;
        ok_ = ::RegSetValueExW(key_, L"Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                               static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    ~RecordingBrowser()
    {
        ::DeleteFileW(script_.c_str());
        ::DeleteFileW(log_.c_str());
        if (!key_) return;
        if (hadOld_)
            ::RegSetValueExW(key_, L"Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(old_), oldSize_);
        else
            ::RegDeleteValueW(key_, L"Browsers");
        ::RegCloseKey(key_);
    }
    bool Ok() const { return ok_; }

    std::vector<std::string> Addresses() const
    {
        std::vector<std::string> lines;
        const std::vector<uint8_t> bytes = test::ReadAll(log_);
        std::string line;
        for (uint8_t b : bytes) {
            if (b == '\n') {
                lines.push_back(line);
                line.clear();
            } else {
                line += static_cast<char>(b);
            }
        }
        return lines;
    }
    // The next address the browser is started with; empty after the timeout.
    std::string Next(DWORD timeoutMs = 20000)
    {
        const size_t seen = taken_;
        test::PumpUntil([&] { return Addresses().size() > seen; }, timeoutMs);
        const std::vector<std::string> all = Addresses();
        return all.size() > seen ? all[taken_++] : std::string();
    }

private:
    std::wstring script_, log_;
    HKEY key_ = nullptr;
    bool ok_ = false;
    bool hadOld_ = false;
    wchar_t old_[1024] = {};
    DWORD oldSize_ = 0;
    size_t taken_ = 0;
};

std::string Narrow(const wchar_t* s) { return std::string(s, s + wcslen(s)); }

TEST(WebLinks, FooterLinkAndBothCommandsOpenTheirAddresses)
{
    ASSERT_NE(test::UseProgramSkin(), nullptr);
    RecordingBrowser browser;
    if (UnixPath(L"C:\\").empty()) GTEST_SKIP() << "needs Wine's browser setting";
    ASSERT_TRUE(browser.Ok());

    // Both addresses: the plain web scheme, path "/", query "?ref=zelk".
    for (const wchar_t* url : {kWebsiteUrl, kSecondWebsiteUrl}) {
        const std::string u = Narrow(url);
        EXPECT_EQ(u.rfind("http://", 0), 0u) << u;
        EXPECT_NE(u.find("/?ref=zelk"), std::string::npos) << u;
        EXPECT_EQ(u.size() - u.find("/?ref=zelk"), std::string("/?ref=zelk").size()) << u;
        EXPECT_EQ(u.find('/', 7), u.size() - 10) << u;
    }
    EXPECT_NE(Narrow(kWebsiteUrl), Narrow(kSecondWebsiteUrl));

    MainFrame frame;
    ASSERT_NE(frame.Create(), nullptr);
    HWND link = frame.Footer().Link().Hwnd();

    // Pressed on the link, released outside: no browser. Released inside: the website.
    test::Click(link, {20, 8}, {400, 8}, {{400, 8}});
    test::Click(link, {20, 8}, {30, 9}, {{300, 8}, {30, 9}});
    EXPECT_EQ(browser.Next(), Narrow(kWebsiteUrl));

    EXPECT_EQ(::SendMessageW(frame.Hwnd(), WM_COMMAND, ID_HELP_WEBSITE, 0), 0);
    EXPECT_EQ(browser.Next(), Narrow(kWebsiteUrl));
    EXPECT_EQ(::SendMessageW(frame.Hwnd(), WM_COMMAND, ID_STEP1_MONO_TO_STEREO, 0), 0);
    EXPECT_EQ(browser.Next(), Narrow(kSecondWebsiteUrl));

    // About is taken and does nothing.
    EXPECT_EQ(::SendMessageW(frame.Hwnd(), WM_COMMAND, ID_APP_ABOUT, 0), 0);
    EXPECT_EQ(browser.Next(1500), "");
    EXPECT_EQ(browser.Addresses().size(), 3u);
}

}  // namespace
}  // namespace vorlune
