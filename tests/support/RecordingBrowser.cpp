#include "support/RecordingBrowser.h"

#include <sstream>

#include "controls/ControlTesting.h"
#include "support/Fixtures.h"

namespace vorlune::test {
namespace {
constexpr const wchar_t* kKey = L"Software\\Wine\\WineBrowser";
}

RecordingBrowser::RecordingBrowser()
    : name_(L"vorlune-browser-" + std::to_wstring(::GetCurrentProcessId())),
      script_(L"Z:\\tmp\\" + name_ + L".sh"),
      log_(L"Z:\\tmp\\" + name_ + L".log")
{
    turn_ = ::CreateMutexW(nullptr, FALSE, L"vorlune-tests-recording-browser");
    const DWORD waited = turn_ ? ::WaitForSingleObject(turn_, 120000) : WAIT_FAILED;
    held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    if (!held_) return;
    const std::wstring value = L"/bin/sh /tmp/" + name_ + L".sh /tmp/" + name_ + L".log";
    const char body[] = "printf '%s\\n' \"$2\" >> \"$1\"\n";
    ok_ = WriteAll(script_, body, sizeof(body) - 1) && WriteAll(log_, "", 0) &&
          ::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"Browsers", REG_SZ, value.c_str(),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

RecordingBrowser::~RecordingBrowser()
{
    if (held_) {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"Browsers");
        ::DeleteFileW(script_.c_str());
        ::DeleteFileW(log_.c_str());
        ::ReleaseMutex(turn_);
    }
    if (turn_) ::CloseHandle(turn_);
}

std::vector<std::string> RecordingBrowser::Addresses(size_t count) const
{
    std::vector<std::string> lines;
    PumpUntil([&] {
        const std::vector<uint8_t> bytes = ReadAll(log_);
        std::istringstream in(std::string(bytes.begin(), bytes.end()));
        lines.clear();
        for (std::string line; std::getline(in, line) && !in.eof();) lines.push_back(line);
        return lines.size() >= count;
    }, 20000);
    return lines;
}

}  // namespace vorlune::test
