#include "app/FileDialog.h"

#include <algorithm>

#include "win/Window.h"

namespace vorlune {
namespace {

// The longest path Windows takes, with its terminating null.
constexpr DWORD kLongestPath = 32768;

}  // namespace

FileDialog::FileDialog(HWND owner, DWORD flags, const std::wstring& initialName, const wchar_t* defaultExtension,
                       TypeChange onTypeChange)
    : file_(kLongestPath, L'\0'), onTypeChange_(onTypeChange)
{
    std::copy_n(initialName.begin(), std::min<size_t>(initialName.size(), kLongestPath - 1), file_.begin());
    ofn_.lStructSize = sizeof(ofn_);
    ofn_.hwndOwner = owner;
    ofn_.lpstrFilter = L"MP3 Files (*.mp3)\0*.mp3\0";
    ofn_.lpstrFile = file_.data();
    ofn_.nMaxFile = kLongestPath;
    ofn_.lpstrFileTitle = title_;
    ofn_.nMaxFileTitle = static_cast<DWORD>(std::size(title_));
    ofn_.lpstrDefExt = defaultExtension;
    ofn_.Flags = flags | OFN_EXPLORER | OFN_LONGNAMES | OFN_ENABLESIZING | OFN_ENABLEHOOK;
    ofn_.lpfnHook = &Hook;
    ofn_.lCustData = reinterpret_cast<LPARAM>(this);
}

UINT_PTR CALLBACK FileDialog::Hook(HWND hook, UINT msg, WPARAM, LPARAM lParam) noexcept
{
    if (msg != WM_NOTIFY) return 0;
    const auto* notify = reinterpret_cast<const OFNOTIFYW*>(lParam);
    HWND dialog = ::GetParent(hook);  // the hook's dialog is a child of the real one
    switch (notify->hdr.code) {
    case CDN_INITDONE:
        CenterWindow(dialog);
        return 0;
    case CDN_INCLUDEITEM:
        return 1;
    case CDN_TYPECHANGE:
        if (notify->lpOFN) {
            const auto* self = reinterpret_cast<const FileDialog*>(notify->lpOFN->lCustData);
            if (self && self->onTypeChange_) self->onTypeChange_(dialog, *notify);
        }
        return 0;
    }
    return 0;
}

}  // namespace vorlune
