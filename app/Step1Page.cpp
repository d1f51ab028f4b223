#include "app/Step1Page.h"

#include <commdlg.h>

#include "app/AppMessageBox.h"
#include "app/FailureText.h"
#include "app/FileDialog.h"
#include "io/PathText.h"
#include "audio/RingtoneProject.h"
#include "controls/SkinArt.h"
#include "res/resource.h"
#include "win/Handle.h"
#include "win/Window.h"

namespace vorlune {
namespace {

constexpr POINT kChooseAt{130, 91};
constexpr POINT kSecondWebsiteAt{130, 142};
constexpr POINT kPromptAt{95, 42};
constexpr RECT kNameBox{130, 42, 471, 74};
constexpr int kNameInset = 4;
constexpr COLORREF kNameColour = RGB(77, 97, 123);

}  // namespace

Step1Page::~Step1Page() { Destroy(); }

bool Step1Page::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (msg) {
    case WM_COMMAND:
        if (OnCommand(wParam, lParam)) {
            result = 0;
            return true;
        }
        break;
    }
    return WizardPage::ProcessWindowMessage(msg, wParam, lParam, result);
}

bool Step1Page::CreateContent()
{
    LoadSkinJpeg(IDJ_CHOOSE_PROMPT, prompt_);
    LoadSkinJpeg(IDJ_NAME_BOX, nameBox_);
    if (!choose_.CreateFromStrip(Hwnd(), kChooseAt, ID_STEP1_CHOOSE_SONG, LoadSkinStrip(IDB_CHOOSE_SONG, 3), 3,
                                 L"Choose a Song from My Computer") ||
        !secondWebsite_.CreateFromStrip(Hwnd(), kSecondWebsiteAt, ID_STEP1_MONO_TO_STEREO,
                                        LoadSkinStrip(IDB_MONO_TO_STEREO, 3), 3, L"Convert Mono Songs to Stereo"))
        return false;
    choose_.SetShortcut(L"Ctrl+O");
    return true;
}

bool Step1Page::OnCommand(WPARAM wParam, LPARAM lParam) noexcept
{
    const auto from = reinterpret_cast<HWND>(lParam);
    if (!from || (from != choose_.Hwnd() && from != secondWebsite_.Hwnd())) return false;
    ::PostMessageW(Frame(), WM_COMMAND, wParam, lParam);
    return true;
}

bool Step1Page::CanGoNext() const
{
    const std::wstring& source = Project().sourcePath;
    return !source.empty() && QuietFileAttributes(source) != INVALID_FILE_ATTRIBUTES;
}

bool Step1Page::ChooseSong() noexcept
{
    try {
        FileDialog dialog(Frame(), OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_FILEMUSTEXIST);
        if (dialog.Open()) return AcceptSong(dialog.FileName());
        // Cancelled: nothing to say. Failed: say so (a buffer too small
        // holds a size, not a name).
        if (const DWORD error = ::CommDlgExtendedError())
            ShowOpenError(Frame(), error == FNERR_BUFFERTOOSMALL ? L"" : dialog.FileName().c_str());
        return false;
    } catch (...) {
        return false;
    }
}

bool Step1Page::AcceptSong(const std::wstring& path) noexcept
{
    try {
        const std::wstring full = MakeAbsolute(TidyPath(path));
        std::wstring why;
        if (QuietFileAttributes(full) == INVALID_FILE_ATTRIBUTES)
            why = SongProblemText(SongProblem::kMissing);
        else if (!HasExtension(full, L"mp3"))
            why = kNotMp3Name;
        else
            why = SongProblemText(CheckSong(full));
        if (!why.empty()) {
            ShowOpenError(Frame(), path.c_str(), why.c_str());
            return false;
        }
        RingtoneProject& project = Project();
        project.Reset();
        project.sourcePath = full;
        Repaint();
        return true;
    } catch (...) {
        return false;
    }
}

void Step1Page::RefreshIfChanged() noexcept
{
    if (IsAlive() && CanGoNext() != showsName_) Repaint();
}

// What the page shows: the prompt, or the chosen song's name.
std::wstring Step1Page::AccessibleName() const
{
    if (!CanGoNext()) return L"Click the button below to choose a song file for editing.";
    return L"Song: " + PathFileName(TidyPath(Project().sourcePath));
}

void Step1Page::DrawContent(HDC dc)
{
    showsName_ = CanGoNext();
    if (!showsName_) {
        prompt_.DrawAt(dc, kPromptAt.x, kPromptAt.y);
        return;
    }
    nameBox_.DrawAt(dc, kNameBox.left, kNameBox.top);
    const std::wstring name = PathFileName(TidyPath(Project().sourcePath));
    RECT text = kNameBox;
    ::InflateRect(&text, -kNameInset, -kNameInset);
    const SelectGuard font(dc, AppFont());
    const COLORREF oldColour = ::SetTextColor(dc, kNameColour);
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    ::DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &text,
                DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    ::SetBkMode(dc, oldMode);
    ::SetTextColor(dc, oldColour);
}

}  // namespace vorlune
