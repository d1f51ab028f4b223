#include "support/ChildProcess.h"

#include <string>
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
    if (out == INVALID_HANDLE_VALUE) {
        result.problem = "cannot create the output log: error " + std::to_string(GetLastError());
        return result;
    }

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
    const DWORD startError = GetLastError();
    CloseHandle(out);
    if (!result.started) {
        result.problem = "cannot start the program: error " + std::to_string(startError);
        return result;
    }
    const DWORD step = killWhen ? 1 : timeoutMs;
    for (DWORD waited = 0; !result.finished && waited < timeoutMs && !(killWhen && killWhen()); waited += step) {
        const DWORD waitResult = WaitForSingleObject(pi.hProcess, step);
        result.finished = waitResult == WAIT_OBJECT_0;
        if (waitResult == WAIT_FAILED) {
            result.problem = "cannot wait for the program: error " + std::to_string(GetLastError());
            break;
        }
    }
    if (!result.finished) {
        if (result.problem.empty()) result.problem = "killed before it finished";
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
