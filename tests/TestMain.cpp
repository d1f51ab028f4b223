#include <windows.h>

#include <shellapi.h>

#include <gmock/gmock.h>

#include <string>

namespace {

// Each test process gets a temporary folder of its own, so tests that count
// the files there do not see those of tests running beside them.
std::wstring UsePrivateTempFolder()
{
    wchar_t base[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, base);
    if (n == 0 || n > MAX_PATH) return {};
    const std::wstring dir = std::wstring(base, n) + L"vorlune-tests-" + std::to_wstring(GetCurrentProcessId());
    if (!CreateDirectoryW(dir.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return {};
    SetEnvironmentVariableW(L"TMP", dir.c_str());
    SetEnvironmentVariableW(L"TEMP", dir.c_str());
    return dir;
}

void RemoveFolder(const std::wstring& dir)
{
    if (dir.empty()) return;
    std::wstring from = dir;
    from.push_back(L'\0');  // the list ends with two nulls
    SHFILEOPSTRUCTW op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationW(&op);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    // No system dialogs for missing media or crashes: a test must fail, not hang.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    testing::InitGoogleMock(&argc, argv);
    const std::wstring temp = UsePrivateTempFolder();
    const int result = RUN_ALL_TESTS();
    RemoveFolder(temp);
    return result;
}
