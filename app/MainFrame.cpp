#include "app/MainFrame.h"

#include <shellapi.h>

#include <cwchar>
#include <string>
#include <utility>

#include "io/PathText.h"
#include "app/WizardView.h"
#include "audio/RingtoneProject.h"
#include "controls/WebLinks.h"
#include "res/resource.h"
#include "win/AppModule.h"
#include "win/Handle.h"

namespace vorlune {
namespace {

const WindowClass kClass{L"ZELK-MainFrame-{723C16B7-7785-4b23-B783-227EE6D92655}", nullptr,
                         reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), IDR_MAINFRAME};

using DroppedFiles = UniqueHandle<NullHandleTraits<HDROP, ::DragFinish>>;

constexpr int kClientWidth = 600, kClientHeight = 400;
constexpr wchar_t kTitle[] = L"Vorlune";

BOOL CALLBACK TellUiState(HWND child, LPARAM change)
{
    ::SendMessageW(child, WM_UPDATEUISTATE, static_cast<WPARAM>(change), 0);
    return TRUE;
}

}  // namespace

MainFrame::MainFrame()
    : project_(std::make_unique<RingtoneProject>()), view_(std::make_unique<WizardView>(project_.get()))
{
}

// The window goes first: the view's handlers use the project.
MainFrame::~MainFrame() { Destroy(); }

HWND MainFrame::Create() noexcept
{
    const HINSTANCE res = AppModule::ResourceInstance();
    wchar_t title[64] = L"";
    if (!::LoadStringW(res, IDR_MAINFRAME, title, 64)) std::wcscpy(title, kTitle);
    HMENU menu = ::LoadMenuW(res, MAKEINTRESOURCEW(IDR_MAINFRAME));
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    const DWORD exStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
    HWND hwnd = CreateWindowOf(kClass, nullptr, RECT{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT},
                               style, exStyle, reinterpret_cast<UINT_PTR>(menu), title);
    if (!hwnd) {
        if (menu && ::IsMenu(menu)) ::DestroyMenu(menu);
        return nullptr;
    }
    accelerators_ = ::LoadAcceleratorsW(res, MAKEINTRESOURCEW(IDR_MAINFRAME));
    return hwnd;
}

bool MainFrame::PreTranslateMessage(MSG& msg)
{
    if (!Hwnd()) return false;
    if (view_->HandleKey(msg)) return true;
    return accelerators_ && ::TranslateAcceleratorW(Hwnd(), accelerators_, &msg);
}

bool MainFrame::OnIdle()
{
    UpdateTitle();
    return false;
}

void MainFrame::UpdateTitle() noexcept
{
    if (!Hwnd()) return;
    try {
        std::wstring title = kTitle;
        if (!project_->sourcePath.empty()) title += L" - [" + PathFileName(TidyPath(project_->sourcePath)) + L"]";
        std::wstring current(static_cast<size_t>(::GetWindowTextLengthW(Hwnd())) + 1, L'\0');
        current.resize(static_cast<size_t>(::GetWindowTextW(Hwnd(), current.data(), static_cast<int>(current.size()))));
        if (current != title) ::SetWindowTextW(Hwnd(), title.c_str());
    } catch (...) {
    }
}

bool MainFrame::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    switch (msg) {
    case WM_CREATE:
        if (!OnCreate()) {
            result = -1;
            return true;
        }
        break;  // the default handling runs too
    case WM_DESTROY:
        OnDestroy();
        ::PostQuitMessage(1);
        return true;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED && client_) {
            const RECT client = ClientRect();
            ::SetWindowPos(client_, nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
        }
        break;
    case WM_SETFOCUS:
        if (client_) {
            if (!view_->RestoreKeyFocus()) ::SetFocus(client_);
            return true;
        }
        break;
    case WM_ERASEBKGND:
        if (client_) {
            result = 1;
            return true;
        }
        break;
    case WM_COMMAND:
        if (OnCommand(LOWORD(wParam))) return true;
        break;
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return true;
    case WM_CHANGEUISTATE:
        OnChangeUiState(wParam);
        return true;
    case WM_QUERYUISTATE:
        result = uiState_;
        return true;
    }
    return Window::ProcessWindowMessage(msg, wParam, lParam, result);
}

// The state is the frame's own, kept here rather than left to the system,
// which sets it afresh as it sees fit (on activation, say): as in a dialog,
// the focus is hidden until the user presses a key, and stays shown after.
void MainFrame::OnChangeUiState(WPARAM wParam) noexcept
{
    const WORD action = LOWORD(wParam), flags = HIWORD(wParam) & (UISF_HIDEFOCUS | UISF_HIDEACCEL);
    WORD state = uiState_;
    if (action == UIS_SET)
        state |= flags;
    else if (action == UIS_CLEAR)
        state &= static_cast<WORD>(~flags);
    if (state == uiState_) return;
    uiState_ = state;
    // Every window under the frame hears it and redraws its focus.
    ::EnumChildWindows(Hwnd(), &TellUiState, static_cast<LPARAM>(wParam));
}

bool MainFrame::OnCreate() noexcept
{
    // The menu only names the commands: no menu bar.
    if (HMENU menu = ::GetMenu(Hwnd())) {
        ::SetMenu(Hwnd(), nullptr);
        ::DestroyMenu(menu);
    }
    const RECT client = ClientRect();
    client_ = view_->Create(Hwnd(), client);
    if (!client_) return false;

    // Fixed size: caption, system menu and minimise box only.
    const LONG_PTR style =
        ::GetWindowLongPtrW(Hwnd(), GWL_STYLE) & ~static_cast<LONG_PTR>(WS_THICKFRAME | WS_MAXIMIZEBOX);
    ::SetWindowLongPtrW(Hwnd(), GWL_STYLE, style);
    RECT outer{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&outer, static_cast<DWORD>(style), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrW(Hwnd(), GWL_EXSTYLE)));
    ::SetWindowPos(Hwnd(), nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    CenterWindow(Hwnd());
    ::DragAcceptFiles(Hwnd(), TRUE);  // a song dropped from the explorer

    if (MessageLoop* loop = MessageLoop::Current()) {
        loop->AddMessageFilter(this);
        loop->AddIdleHandler(this);
    }
    return true;
}

void MainFrame::OnDestroy() noexcept
{
    if (MessageLoop* loop = MessageLoop::Current()) {
        loop->RemoveMessageFilter(this);
        loop->RemoveIdleHandler(this);
    }
    client_ = nullptr;
}

bool MainFrame::IsBusy() noexcept { return view_->Step3().IsBusy(); }

void MainFrame::OnOpen() noexcept
{
    UpdateTitle();
    if (view_->Step1().ChooseSong()) ShowNewSong();
}

void MainFrame::OpenSong(const std::wstring& path) noexcept
{
    if (IsBusy()) return;
    UpdateTitle();
    if (view_->Step1().AcceptSong(path)) ShowNewSong();
}

void MainFrame::ShowNewSong() noexcept
{
    view_->NextWithNewSong();
    UpdateTitle();
}

// Of several files the first MP3 is taken; with none, the first file, so the
// user reads why it cannot be used.
void MainFrame::OnDropFiles(HDROP drop) noexcept
{
    std::wstring song;
    {
        const DroppedFiles files(drop);  // finished before any box shows
        try {
            const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
            for (UINT i = 0; i < count; ++i) {
                std::wstring name(::DragQueryFileW(drop, i, nullptr, 0), L'\0');
                if (name.empty()) continue;
                name.resize(::DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size() + 1)));
                if (song.empty()) song = name;
                if (HasExtension(name, L"mp3")) {
                    song = std::move(name);
                    break;
                }
            }
        } catch (...) {
            return;
        }
    }
    if (!song.empty()) OpenSong(song);
}

bool MainFrame::OnCommand(UINT id) noexcept
{
    switch (id) {
    case ID_FILE_OPEN:
        if (!IsBusy()) OnOpen();
        return true;
    case ID_STEP1_CHOOSE_SONG:
        if (!IsBusy()) ::PostMessageW(Hwnd(), WM_COMMAND, ID_FILE_OPEN, 0);
        return true;
    case ID_FILE_SAVE:  // Ctrl+S, from the accelerators
        view_->SaveByKey();
        return true;
    case ID_APP_EXIT:
        ::PostMessageW(Hwnd(), WM_CLOSE, 0, 0);
        return true;
    case ID_WIZARD_BACK:
        // A Back posted before the idle pass disabled the button must not
        // leave step 3 under a running job.
        if (!IsBusy()) view_->Back();
        return true;
    case ID_WIZARD_NEXT:
        if (!IsBusy()) view_->Next();
        return true;
    case ID_STEP3_NEW:
        if (IsBusy()) return true;  // the job still has the project
        project_->Reset();
        view_->New();
        return true;
    case ID_HELP_WEBSITE:
        OpenWebsite();
        return true;
    case ID_STEP1_MONO_TO_STEREO:
        OpenSecondWebsite();
        return true;
    case ID_APP_ABOUT:
        return true;
    }
    return false;
}

}  // namespace vorlune
