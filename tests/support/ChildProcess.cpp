#include "support/ChildProcess.h"

#include <vector>

#include "support/Fixtures.h"

namespace vorlune::test {

ChildResult RunChild(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder,
                     DWORD timeoutMs, const std::function<bool()>& killWhen)
{
    ChildResult result;
    TempPath log(L".log");
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE out = CreateFileW(log.Path().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return result;

    std::wstring command = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out;
    si.hStdError = out;
    PROCESS_INFORMATION pi = {};
    result.started = CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                    folder.empty() ? nullptr : folder.c_str(), &si, &pi) != 0;
    CloseHandle(out);
    if (!result.started) return result;
    const DWORD step = killWhen ? 1 : timeoutMs;
    for (DWORD waited = 0; !result.finished && waited < timeoutMs && !(killWhen && killWhen()); waited += step)
        result.finished = WaitForSingleObject(pi.hProcess, step) == WAIT_OBJECT_0;
    if (!result.finished) {
        TerminateProcess(pi.hProcess, 99);
        WaitForSingleObject(pi.hProcess, INFINITE);
    }
    GetExitCodeProcess(pi.hProcess, &result.exitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    const std::vector<uint8_t> bytes = ReadAll(log);
    result.output.assign(bytes.begin(), bytes.end());
    return result;
}

std::wstring FromBuildPath(const char* unixPath)
{
    std::wstring path;
    for (const char* p = unixPath; *p; ++p) path += wchar_t(uint8_t(*p));
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

}  // namespace vorlune::test
