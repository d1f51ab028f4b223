#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vorlune::test {

// Web links never open a real browser here: Wine runs the program named in
// HKCU\Software\Wine\WineBrowser "Browsers" (at most 256 characters), while
// this object lives a script in /tmp (Wine's Z:) that appends its address to
// a file. The setting is the build's Wine prefix's, shared by every test
// process and the programs they start: one recording browser at a time, the
// others wait for it.
class RecordingBrowser {
public:
    RecordingBrowser();
    ~RecordingBrowser();
    RecordingBrowser(const RecordingBrowser&) = delete;
    RecordingBrowser& operator=(const RecordingBrowser&) = delete;

    bool Ok() const { return ok_; }
    // The addresses recorded, once there are `count` or after 20 s; a line
    // still being written is left out.
    std::vector<std::string> Addresses(size_t count) const;

private:
    HANDLE turn_ = nullptr;  // a named mutex, held while the setting is ours
    std::wstring name_, script_, log_;
    bool held_ = false, ok_ = false;
};

}  // namespace vorlune::test
