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

// Runs a program with a command line (the program's own name is put first)
// and waits for it, killing it early once killWhen (asked every millisecond)
// says so. The child's output is captured through a file.
ChildResult RunChild(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder = {},
                     DWORD timeoutMs = 120000, const std::function<bool()>& killWhen = {});

// The Windows form of a path this build was told about in Unix form.
std::wstring FromBuildPath(const char* unixPath);

}  // namespace vorlune::test
