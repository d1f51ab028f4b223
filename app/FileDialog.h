#pragma once

#include <windows.h>

#include <commdlg.h>

#include <string>
#include <vector>

namespace vorlune {

// The Open and Save dialogs as the program shows them: explorer style, the
// MP3 filter, a hook that centres the dialog over its owner and lists every
// item, and a name buffer for the longest path Windows takes.
class FileDialog {
public:
    // Told when the user picks another file type in the dialog.
    using TypeChange = void (*)(HWND dialog, const OFNOTIFYW& notify) noexcept;

    // flags: the caller's own; the explorer style, long names, sizing and
    // the hook are added.
    FileDialog(HWND owner, DWORD flags, const std::wstring& initialName = {}, const wchar_t* defaultExtension = nullptr,
               TypeChange onTypeChange = nullptr);
    FileDialog(const FileDialog&) = delete;
    FileDialog& operator=(const FileDialog&) = delete;

    // True when the user confirmed a name.
    bool Open() noexcept { return ::GetOpenFileNameW(&ofn_) != FALSE; }
    bool Save() noexcept { return ::GetSaveFileNameW(&ofn_) != FALSE; }
    std::wstring FileName() const { return file_.data(); }

private:
    static UINT_PTR CALLBACK Hook(HWND hook, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

    std::vector<wchar_t> file_;
    wchar_t title_[256] = L"";
    OPENFILENAMEW ofn_{};
    TypeChange onTypeChange_;
};

}  // namespace vorlune
