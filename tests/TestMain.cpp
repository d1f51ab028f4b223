#include <windows.h>

#include <gmock/gmock.h>

#include <string>

#include "support/Fixtures.h"
#include "support/TempDir.h"

namespace {

// Each test process gets a temporary folder of its own, so tests that count
// the files there do not see those of tests running beside them.
std::wstring UsePrivateTempFolder()
{
    const std::wstring base = vorlune::test::TempDirectory();
    if (base.empty()) return {};
    const std::wstring dir = base + L"vorlune-tests-" + std::to_wstring(GetCurrentProcessId());
    if (!CreateDirectoryW(dir.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return {};
    SetEnvironmentVariableW(L"TMP", dir.c_str());
    SetEnvironmentVariableW(L"TEMP", dir.c_str());
    return dir;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    // No system dialogs for missing media or crashes: a test must fail, not hang.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    testing::InitGoogleMock(&argc, argv);
    const std::wstring temp = UsePrivateTempFolder();
    const int result = RUN_ALL_TESTS();
    if (!temp.empty()) vorlune::test::RemoveTree(temp);
    return result;
}
