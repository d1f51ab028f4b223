#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace vorlune {
class Surface24;
}

namespace vorlune::test {

// The wizard's windows inside a running program, found by class and id;
// null where one is missing.
struct WizardWindows {
    HWND view = nullptr, header = nullptr, stack = nullptr, footer = nullptr, back = nullptr, next = nullptr;
    std::vector<HWND> pages;  // the stack's "VePage" children, in the stack's order
    // The one visible page; null unless exactly one is visible.
    HWND VisiblePage() const;
    bool BackEnabled() const { return back && ::IsWindowEnabled(back); }
    bool NextEnabled() const { return next && ::IsWindowEnabled(next); }
};

// Step 2's controls inside a running program, found by id and class; null
// where one is missing.
struct Step2Windows {
    HWND page = nullptr, playPause = nullptr, stop = nullptr, trackBar = nullptr, playTime = nullptr;
    HWND startTip = nullptr, endTip = nullptr;  // the start tip is the one further left
    HWND fadeIn = nullptr, fadeOut = nullptr;   // the check boxes' inner buttons
    bool StopEnabled() const { return stop && ::IsWindowEnabled(stop); }
};

// Step 3's windows inside a running program; null where one is missing.
struct Step3Windows {
    HWND page = nullptr, progress = nullptr, save = nullptr, locate = nullptr, newRingtone = nullptr;
    static bool Shows(HWND hwnd) { return hwnd && ::IsWindowVisible(hwnd); }
};

// How a test starts the program.
struct ProgramStart {
    int show = SW_SHOWNOACTIVATE;
    std::wstring exe;      // empty: the vorlune.exe of this build
    std::wstring tempDir;  // the program's TEMP and TMP; empty: the test's own
    std::wstring arguments;  // what follows the program's name on its command line
};

// vorlune.exe (beside the test program's folder) as a child process under
// the test's own wineserver, driven from outside as a user would: commands
// posted to the frame as its buttons post them, real key presses, and its
// dialogs answered through their controls.
class RunningProgram {
public:
    // Starts the program with this show command and waits for its frame.
    // Tests that take the foreground start it with SW_SHOWNORMAL; the others
    // leave the foreground alone.
    explicit RunningProgram(int show = SW_SHOWNOACTIVATE);
    explicit RunningProgram(const ProgramStart& start);
    // Closes the program when it still runs, and ends it if it does not go.
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    HWND Frame() const { return frame_; }  // null when the program showed none
    // The frame is shown and the first idle pass has run.
    bool Ready() const { return ready_; }
    HANDLE Process() const { return process_.hProcess; }
    DWORD Id() const { return process_.dwProcessId; }
    std::wstring Title() const;
    WizardWindows Windows() const;
    Step2Windows Step2() const;
    Step3Windows Step3() const;

    // Runs `input` (messages posted or sent to the program, or real input)
    // and waits for an idle pass after all of it was handled. The idle pass
    // refreshes the title, so a title set from here is put back once one
    // ran; false when that does not happen within 20 s.
    bool AfterIdlePass(const std::function<void()>& input);
    // A command posted to the frame (lParam 0), as the footer and the pages
    // post theirs, handled and followed by an idle pass.
    bool Command(UINT id);
    // Just an idle pass.
    bool IdlePass();
    // A drag as the mouse makes it, posted: pressed at `from` (the window's
    // client coordinates), moved to `to`, released; handled and followed by
    // an idle pass.
    bool PostedDrag(HWND hwnd, POINT from, POINT to);
    // A click on one of the program's buttons (ClickButton), handled and
    // followed by an idle pass.
    bool Click(HWND button);

    // The program's visible top-level dialog windows ("#32770").
    std::vector<HWND> Dialogs() const;
    // The first such dialog with this title (any title when null), once
    // there is one; null after 20 s.
    HWND WaitForDialog(const wchar_t* title = nullptr) const;
    // Brings the frame to the foreground with its focus inside; false when
    // the program does not take it.
    bool TakeForeground() const;
    // Makes the frame topmost, so that no window of a test running beside
    // this one covers the pixels a test reads from the screen.
    void KeepOnTop() const;

    // Posts WM_CLOSE and waits for the process; false when it does not end.
    bool Close(DWORD& exitCode);

    int64_t HandleCount() const;
    long GdiObjectCount() const;
    // Windows of the process, top-level and child.
    int WindowCount() const;

private:
    PROCESS_INFORMATION process_{};
    HWND frame_ = nullptr;
    bool ready_ = false;
};

// Polls done() every few milliseconds until it is true or the time is up.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = 20000);
// A window's text as the system keeps it (a caption, a static's text),
// without a message.
std::wstring TextOf(HWND hwnd);
// A control's text asked with WM_GETTEXT: edit controls keep theirs apart.
std::wstring ControlText(HWND hwnd);
std::wstring ClassOf(HWND hwnd);
// A window's rectangle relative to another window's client area (the
// screen's when `to` is null).
RECT RectIn(HWND hwnd, HWND to = nullptr);
// Whether two windows share their centre, within a pixel.
bool CentredOn(HWND hwnd, HWND over);

// The vorlune.exe of this build.
std::wstring BuiltProgramPath();

// The edit control of a file dialog's name box (the combo 1148 in Wine's
// Open and Save dialogs, else the edit 1152); null when there is none.
HWND FileNameEdit(HWND dialog);
// The name the dialog shows in that box.
std::wstring FileDialogName(HWND dialog);
// Types a name into a file dialog's name box and confirms.
bool AnswerFileDialog(HWND dialog, const std::wstring& name);
// The text of a message box.
std::wstring MessageText(HWND box);
// Presses a dialog's button by its id (IDOK, IDCANCEL, ...).
bool PressButton(HWND dialog, int id);
// A click on one of the program's buttons as the mouse makes it: down and up
// at (5, 5), posted (handled once an idle pass follows).
bool ClickButton(HWND button);

// Real key input to the foreground window: every key of `keys` down in
// order, then up in reverse (a chord such as Ctrl+O).
bool PressKeys(std::initializer_list<WORD> keys);
// One real key pressed (down) or let go (up), sent alone and followed by a
// short pause: an Alt sent in the same batch as the key it modifies reached
// that key only now and then here.
bool HoldKey(WORD key, bool down);
// Real typing of a text into the foreground window, character by character.
bool TypeText(const std::wstring& text);

// Real mouse input: a left click, and a drag from one point to another in
// steps of a few pixels, at points of a window's client area.
bool MouseClick(HWND hwnd, POINT at);
bool MoveMouse(HWND hwnd, POINT to);
bool MouseDrag(HWND hwnd, POINT from, POINT to);

// Pixels that differ between a window's client area as the screen shows it
// and a skin JPEG placed at `at`, leaving out `skip` (picture coordinates);
// -1 when either cannot be had. Needs vorlune.exe as the skin module
// (UseProgramSkin).
int ScreenDifferences(HWND hwnd, int jpegId, POINT at, const RECT& skip = {});

// The same for a cell of a strip bitmap (a button's look), which must fill
// the window's client area exactly.
int ScreenDifferences(HWND hwnd, int bitmapId, int cells, int cell);
// A window's client area as the screen shows it; false when it cannot be had.
bool ScreenShot(HWND hwnd, Surface24& out);
// The same once the screen holds still there: the program's paint reaches
// the screen some time after it ran, so a shot right after an idle pass may
// still show what was there before.
bool SettledScreenShot(HWND hwnd, Surface24& out);
// A rectangle of the screen saved as a PNG file.
bool SaveScreenPng(const RECT& screen, const std::wstring& path);
// A button shows one of its looks (normal, pushed, hover) of a strip of
// `cells`, once the screen shows it; false after 5 s.
bool ShowsLook(HWND button, int strip, int cells);
// One pixel of a window's client area as the screen shows it; CLR_INVALID
// when it cannot be read.
COLORREF ScreenPixel(HWND hwnd, POINT at);

}  // namespace vorlune::test
