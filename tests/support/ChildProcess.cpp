#include "support/ChildProcess.h"

#include <cstdio>
#include <string>
#include <vector>

#include "io/FileUtil.h"
#include "support/Fixtures.h"

namespace vorlune::test {

bool StartProcess(const std::wstring& exe, std::wstring command, DWORD flags, void* environment,
                  const wchar_t* folder, STARTUPINFOW& si, PROCESS_INFORMATION& pi)
{
    for (int attempt = 1;; ++attempt) {
        if (CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, TRUE, flags, environment, folder, &si, &pi))
            return true;
        const DWORD error = GetLastError();
        if (attempt == 2 || !FileExists(exe) || error == ERROR_BAD_EXE_FORMAT) {
            SetLastError(error);
            return false;
        }
        std::fprintf(stderr, "[ child    ] %ls did not start (error %lu): once more\n", exe.c_str(),
                     static_cast<unsigned long>(error));
    }
}

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

    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out;
    si.hStdError = out;
    PROCESS_INFORMATION pi = {};
    result.started = StartProcess(exe, L"\"" + exe + L"\" " + arguments, 0, nullptr,
                                  folder.empty() ? nullptr : folder.c_str(), si, pi);
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
