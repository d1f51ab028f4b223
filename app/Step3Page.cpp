#include "app/Step3Page.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdint>
#include <new>

#include "app/AppMessageBox.h"
#include "app/FailureText.h"
#include "app/FileDialog.h"
#include "io/PathText.h"
#include "audio/JobProgress.h"
#include "audio/RingtoneProject.h"
#include "controls/SkinArt.h"
#include "res/resource.h"
#include "win/Accessible.h"
#include "win/Window.h"

namespace vorlune {
namespace {

constexpr POINT kCaptionAt{130, 48};
constexpr POINT kProgressAt{130, 91};
constexpr POINT kSaveAt{130, 91};
constexpr POINT kLocateAt{130, 91};
constexpr POINT kNewAt{130, 142};

constexpr int kTypedNameChars = 256;
constexpr int kFileNameBox = 1152;  // edt1, the Save dialog's name box

constexpr wchar_t kFileInUse[] = L"File in use. Please choose another name.";
constexpr wchar_t kProcessingFailed[] = L"Processing failed. Please try again.";

bool EndsWithMp3(const std::wstring& path)
{
    constexpr int kTail = 4;
    if (path.size() < kTail) return false;
    return ::CompareStringW(::GetThreadLocale(), NORM_IGNORECASE, path.c_str() + path.size() - kTail, kTail,
                            L".mp3", kTail) == CSTR_EQUAL;
}

// A type other than MP3 picked in the dialog: the name typed so far takes
// the ".mp3" extension, which is also what an extensionless name gets.
void OnTypeChange(HWND dialog, const OFNOTIFYW& notify) noexcept
{
    if (!notify.lpOFN || notify.lpOFN->nFilterIndex == 0) return;
    wchar_t typed[MAX_PATH] = L"";
    if (::SendMessageW(dialog, CDM_GETSPEC, kTypedNameChars, reinterpret_cast<LPARAM>(typed)) <= 1) typed[0] = L'\0';
    if (typed[0] == L'\0') return;  // nothing typed: nothing to rename
    try {
        if (HasExtension(typed, L"mp3")) return;
    } catch (...) {
        return;
    }
    ::SendMessageW(dialog, CDM_SETDEFEXT, 0, reinterpret_cast<LPARAM>(L"mp3"));
    if (::PathRenameExtensionW(typed, L".mp3"))
        ::SendMessageW(dialog, CDM_SETCONTROLTEXT, kFileNameBox, reinterpret_cast<LPARAM>(typed));
}

}  // namespace

Step3Page::~Step3Page() { Destroy(); }

bool Step3Page::CreateContent()
{
    // A missing caption leaves its place blank.
    LoadSkinJpeg(IDJ_SAVE_PROMPT, readyCaption_);
    LoadSkinJpeg(IDJ_PROCESSING, processingCaption_);
    LoadSkinJpeg(IDJ_SAVED, savedCaption_);
    HWND page = Hwnd();
    if (!progress_.Create(page, kProgressAt) ||
        !save_.CreateFromStrip(page, kSaveAt, ID_STEP3_SAVE, LoadSkinStrip(IDB_SAVE, 3), 3, L"Save") ||
        !locate_.CreateFromStrip(page, kLocateAt, ID_STEP3_LOCATE, LoadSkinStrip(IDB_LOCATE, 3), 3,
                                 L"Locate in Windows Explorer") ||
        !new_.CreateFromStrip(page, kNewAt, ID_STEP3_NEW, LoadSkinStrip(IDB_NEW, 3), 3, L"Make a New Ringtone"))
        return false;
    save_.SetShortcut(L"Ctrl+S");
    ResetToReady();
    job_.reset(new (std::nothrow) RenderJob(page, &Project()));
    return job_ != nullptr;
}

void Step3Page::ResetToReady() noexcept { Show(State::kReady); }

void Step3Page::PressSave() noexcept
{
    if (state_ == State::kReady && save_.IsAlive() && ::IsWindowVisible(save_.Hwnd())) save_.Click();
}

std::wstring Step3Page::AccessibleName() const
{
    switch (state_) {
    case State::kProcessing:
        return L"Processing\u2026";
    case State::kSaved:
        return L"Ringtone saved!";
    case State::kReady:
        break;
    }
    return L"Click the button below to export your ringtone.";
}

void Step3Page::Show(State state) noexcept
{
    const bool changed = state != state_;
    state_ = state;
    // A keyboard user's focus on the page goes with the button it was on
    // (to the page, or nowhere): it comes back on the first button shown.
    HWND focus = ::GetFocus();
    if (focus && (focus == Hwnd() || ::IsChild(Hwnd(), focus))) keyFocusHere_ = true;
    const auto show = [](Window& window, bool visible) {
        if (window.IsAlive()) ::ShowWindow(window.Hwnd(), visible ? SW_SHOWNA : SW_HIDE);
    };
    show(progress_, state == State::kProcessing);
    show(save_, state == State::kReady);
    show(locate_, state == State::kSaved);
    show(new_, state == State::kSaved);
    Repaint();
    if (changed) NotifyAccessible(EVENT_OBJECT_NAMECHANGE, Hwnd());
    focus = ::GetFocus();
    const bool lost = !focus ? ::GetActiveWindow() == Frame()
                             : focus == Hwnd() || (::IsChild(Hwnd(), focus) && !::IsWindowVisible(focus));
    if (!keyFocusHere_ || !lost) {
        keyFocusHere_ = focus && ::IsChild(Hwnd(), focus);
        return;
    }
    FocusFirstStop();
}

void Step3Page::DrawContent(HDC dc)
{
    switch (state_) {
    case State::kReady:
        readyCaption_.DrawAt(dc, kCaptionAt);
        break;
    case State::kProcessing:
        processingCaption_.DrawAt(dc, kCaptionAt);
        break;
    case State::kSaved:
        savedCaption_.DrawAt(dc, kCaptionAt);
        break;
    }
}

bool Step3Page::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (msg) {
    case WM_DESTROY:
        job_.reset();  // cancels a running job and waits for its thread
        break;
    case WM_COMMAND:
        if (OnCommand(wParam, lParam)) {
            result = 0;
            return true;
        }
        break;
    case WM_JOB_PROGRESS:
        OnJobMessage(wParam, lParam);
        result = 0;
        return true;
    }
    return WizardPage::ProcessWindowMessage(msg, wParam, lParam, result);
}

bool Step3Page::OnCommand(WPARAM wParam, LPARAM lParam) noexcept
{
    if (HIWORD(wParam) != BN_CLICKED) return false;
    const UINT id = LOWORD(wParam);
    if (id != ID_STEP3_SAVE && id != ID_STEP3_LOCATE && id != ID_STEP3_NEW) return false;
    // The buttons are hidden while the job runs; a command that comes all
    // the same (posted before, or sent) must not touch the project.
    if (IsBusy()) return true;
    switch (id) {
    case ID_STEP3_SAVE:
        OnSave();
        break;
    case ID_STEP3_LOCATE:
        OnLocate();
        break;
    case ID_STEP3_NEW:
        OnNew(wParam, lParam);
        break;
    }
    return true;
}

void Step3Page::OnSave() noexcept
{
    if (!ChooseOutput()) return;
    if (!job_ || !job_->Start()) return ShowProcessingFailed();
    Show(State::kProcessing);
}

void Step3Page::ShowProcessingFailed(RenderFailure why) noexcept
{
    try {
        std::wstring text = kProcessingFailed;
        const std::wstring reason = RenderFailureText(why);
        if (!reason.empty()) text += L"\n" + reason;
        AppMessageBox(Hwnd(), text.c_str(), MB_OK | MB_ICONERROR);
    } catch (...) {
        AppMessageBox(Hwnd(), kProcessingFailed, MB_OK | MB_ICONERROR);
    }
    ResetToReady();
}

bool Step3Page::ChooseOutput() noexcept
{
    try {
        RingtoneProject& project = Project();
        // With a default extension the dialog itself asks before replacing
        // "name.mp3" when only "name" was typed.
        FileDialog dialog(Hwnd(), OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY, UniqueOutputName(project.sourcePath), L"mp3",
                          &OnTypeChange);
        if (!dialog.Save()) return false;

        std::wstring name = dialog.FileName();
        const bool appended = !HasExtension(name, L"mp3") && !EndsWithMp3(name);
        if (appended) name += L".mp3";
        if (SamePath(name, project.sourcePath)) {
            AppMessageBox(Hwnd(), kFileInUse, MB_OK | MB_ICONERROR);
            return false;
        }
        // The dialog asked about the name it gave, not about this one.
        if (appended && QuietFileAttributes(name) != INVALID_FILE_ATTRIBUTES) {
            const std::wstring question = name + L" already exists.\nDo you want to replace it?";
            if (AppMessageBox(Hwnd(), question.c_str(), MB_YESNO | MB_ICONWARNING) != IDYES) return false;
        }
        project.outputPath = name;
        return true;
    } catch (...) {
        return false;
    }
}

std::wstring Step3Page::UniqueOutputName(const std::wstring& source)
{
    if (source.empty()) return L"My Ringtone";
    const std::wstring path = TidyPath(source);
    const std::wstring dir = Directory(MakeAbsolute(path));
    const std::wstring title = PathTitle(path);
    const std::wstring ext = PathExtension(path);
    for (unsigned n = 1;; ++n) {
        const std::wstring candidate =
            CanonicalPath(dir + L"\\" + title + L" (" + std::to_wstring(n) + L")." + ext);
        if (QuietFileAttributes(candidate) == INVALID_FILE_ATTRIBUTES) return candidate;
    }
}

void Step3Page::OnLocate() noexcept
{
    try {
        const std::wstring& output = Project().outputPath;
        if (output.empty() || QuietFileAttributes(output) == INVALID_FILE_ATTRIBUTES) return;
        const std::wstring parameters = L"/select,\"" + output + L"\"";
        ::ShellExecuteW(nullptr, L"open", L"explorer.exe", parameters.c_str(), nullptr, SW_SHOWNORMAL);
    } catch (...) {
    }
}

void Step3Page::OnNew(WPARAM wParam, LPARAM lParam) noexcept { ::PostMessageW(Frame(), WM_COMMAND, wParam, lParam); }

void Step3Page::OnJobMessage(WPARAM event, LPARAM value) noexcept
{
    auto units = static_cast<uint32_t>(value);
    // The job posts every unit it moves; when the bar has fallen behind, only
    // the latest position queued matters.
    for (MSG next; event == kJobPosition &&
                   ::PeekMessageW(&next, Hwnd(), WM_JOB_PROGRESS, WM_JOB_PROGRESS, PM_NOREMOVE) &&
                   next.wParam == kJobPosition;) {
        ::PeekMessageW(&next, Hwnd(), WM_JOB_PROGRESS, WM_JOB_PROGRESS, PM_REMOVE);
        units = static_cast<uint32_t>(next.lParam);
    }
    switch (event) {
    case kJobStarted:
        progress_.Init(units, 0);
        progress_.Repaint();
        break;
    case kJobPosition: {
        const int64_t delta = int64_t{units} - int64_t{progress_.Position()};
        progress_.Advance(static_cast<int32_t>(std::clamp<int64_t>(delta, INT32_MIN, INT32_MAX)));
        break;
    }
    case kJobSucceeded:
        Show(State::kSaved);
        break;
    default:
        ShowProcessingFailed(job_ ? job_->Failure() : RenderFailure::kOther);
        break;
    }
}

}  // namespace vorlune
