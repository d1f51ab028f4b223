#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace vorlune::test {

struct ChildResult {
    bool started = false;
    bool finished = false;  // within the time allowed; killed otherwise
    DWORD exitCode = 0;
    std::string output;     // standard output and error together
    std::string problem;    // why it did not start or finish, for a test's message
};

// CreateProcessW with the program's own name and a command line. Now and
// then Wine loses a new process while it starts: the call fails at once
// though the program is in place. That failure is reported on standard error
// and the start is tried once more; any other failure is returned as it is,
// with GetLastError set.
bool StartProcess(const std::wstring& exe, std::wstring command, DWORD flags, void* environment,
                  const wchar_t* folder, STARTUPINFOW& si, PROCESS_INFORMATION& pi);

// Runs a program with a command line (the program's own name is put first)
// and waits for it, killing it early once killWhen (asked every millisecond)
// says so. The child's output is captured through a file.
ChildResult RunChild(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder = {},
                     DWORD timeoutMs = 120000, const std::function<bool()>& killWhen = {});

// The Windows form of a path this build was told about in Unix form.
std::wstring FromBuildPath(const char* unixPath);

}  // namespace vorlune::test
