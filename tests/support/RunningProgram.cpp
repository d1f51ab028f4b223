#include "support/RunningProgram.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <vector>

#include "controls/ControlTesting.h"
#include "gfx/PngPicture.h"
#include "gfx/Surface.h"
#include "support/ChildProcess.h"
#include "support/GdiObjectCount.h"
#include "support/HandleCount.h"
#include "win/Handle.h"

namespace vorlune::test {
namespace {

const wchar_t kFrameClass[] = L"ZELK-MainFrame-{723C16B7-7785-4b23-B783-227EE6D92655}";

}  // namespace

std::wstring BuiltProgramPath()
{
    wchar_t self[MAX_PATH];
    std::wstring path(self, ::GetModuleFileNameW(nullptr, self, MAX_PATH));
    path.erase(path.find_last_of(L'\\'));
    path.replace(path.find_last_of(L'\\'), std::wstring::npos, L"\\vorlune.exe");
    return path;
}

namespace {

// This process's environment with TEMP and TMP pointing at `temp`, as a
// block for CreateProcessW.
std::vector<wchar_t> EnvironmentWithTemp(const std::wstring& temp)
{
    std::vector<wchar_t> block;
    if (wchar_t* env = ::GetEnvironmentStringsW()) {
        for (const wchar_t* entry = env; *entry; entry += std::wcslen(entry) + 1)
            if (::_wcsnicmp(entry, L"TEMP=", 5) != 0 && ::_wcsnicmp(entry, L"TMP=", 4) != 0)
                block.insert(block.end(), entry, entry + std::wcslen(entry) + 1);
        ::FreeEnvironmentStringsW(env);
    }
    for (const wchar_t* name : {L"TEMP=", L"TMP="}) {
        const std::wstring entry = name + temp;
        block.insert(block.end(), entry.c_str(), entry.c_str() + entry.size() + 1);
    }
    block.push_back(L'\0');
    return block;
}

DWORD ProcessOf(HWND hwnd)
{
    DWORD id = 0;
    ::GetWindowThreadProcessId(hwnd, &id);
    return id;
}

std::vector<HWND> ChildrenOf(HWND parent, const wchar_t* cls)
{
    std::vector<HWND> found;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (ClassOf(child) == cls) found.push_back(child);
    return found;
}

HWND ChildOf(HWND parent, const wchar_t* cls)
{
    const std::vector<HWND> found = parent ? ChildrenOf(parent, cls) : std::vector<HWND>{};
    return found.size() == 1 ? found[0] : nullptr;
}

struct WindowSearch {
    DWORD process;
    std::vector<HWND> found;
};

BOOL CALLBACK AddIfOfProcess(HWND hwnd, LPARAM search)
{
    auto* s = reinterpret_cast<WindowSearch*>(search);
    if (ProcessOf(hwnd) == s->process) s->found.push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK CountOne(HWND, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

std::vector<HWND> TopLevelWindowsOf(DWORD process)
{
    WindowSearch search{process, {}};
    ::EnumWindows(&AddIfOfProcess, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

HWND WizardWindows::VisiblePage() const
{
    HWND visible = nullptr;
    for (HWND page : pages) {
        if (!::IsWindowVisible(page)) continue;
        if (visible) return nullptr;
        visible = page;
    }
    return visible;
}

RunningProgram::RunningProgram(int show) : RunningProgram(ProgramStart{show, {}, {}, {}}) {}

RunningProgram::RunningProgram(const ProgramStart& start)
{
    // The program writes nothing; its standard handles go nowhere rather
    // than to the test's own pipes, which a child would keep open.
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE nothing = ::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                   OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW | (nothing != INVALID_HANDLE_VALUE ? STARTF_USESTDHANDLES : 0);
    si.wShowWindow = static_cast<WORD>(start.show);
    si.hStdInput = si.hStdOutput = si.hStdError = nothing;
    const std::wstring exe = start.exe.empty() ? BuiltProgramPath() : start.exe;
    std::vector<wchar_t> environment;
    if (!start.tempDir.empty()) environment = EnvironmentWithTemp(start.tempDir);
    const std::wstring commandLine = L"\"" + exe + L"\"" + (start.arguments.empty() ? L"" : L" " + start.arguments);
    const bool started = StartProcess(exe, commandLine, CREATE_UNICODE_ENVIRONMENT,
                                      environment.empty() ? nullptr : environment.data(), nullptr, si, process_);
    if (nothing != INVALID_HANDLE_VALUE) ::CloseHandle(nothing);
    if (!started) {
        process_ = {};
        return;
    }
    // Another test may run its own copy beside this one: the frame is the
    // one of this process.
    WaitUntil([&] {
        for (HWND hwnd = nullptr; (hwnd = ::FindWindowExW(nullptr, hwnd, kFrameClass, nullptr)) != nullptr;)
            if (ProcessOf(hwnd) == process_.dwProcessId && ::IsWindowVisible(hwnd)) frame_ = hwnd;
        return frame_ != nullptr || ::WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0;
    }, 60000);
    // The first idle pass sets the buttons and the title.
    ready_ = frame_ && IdlePass();
}

RunningProgram::~RunningProgram()
{
    if (!process_.hProcess) return;
    DWORD code = 0;
    if (!Close(code)) {
        // Seen in the test's log, though the test has passed.
        std::fprintf(stderr, "[ program  ] still running 20 s after it was closed: killed\n");
        ::TerminateProcess(process_.hProcess, 99);
        ::WaitForSingleObject(process_.hProcess, 10000);
    }
    ::CloseHandle(process_.hThread);
    ::CloseHandle(process_.hProcess);
}

bool RunningProgram::Close(DWORD& exitCode)
{
    if (::WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0 &&
        (!frame_ || !::PostMessageW(frame_, WM_CLOSE, 0, 0)))
        return false;
    if (::WaitForSingleObject(process_.hProcess, 20000) != WAIT_OBJECT_0) return false;
    return ::GetExitCodeProcess(process_.hProcess, &exitCode) != 0;
}

std::wstring RunningProgram::Title() const { return TextOf(frame_); }

WizardWindows RunningProgram::Windows() const
{
    WizardWindows w;
    w.view = ChildOf(frame_, L"VeView");
    w.header = ChildOf(w.view, L"VeViewHeader");
    w.stack = ChildOf(w.view, L"WTL_PageStack");
    w.footer = ChildOf(w.view, L"VeViewFooter");
    if (w.stack) w.pages = ChildrenOf(w.stack, L"VePage");
    if (w.footer) {
        w.back = ::GetDlgItem(w.footer, 33137);
        w.next = ::GetDlgItem(w.footer, 33138);
    }
    return w;
}

Step2Windows RunningProgram::Step2() const
{
    Step2Windows s;
    const WizardWindows w = Windows();
    if (w.pages.size() != 3) return s;
    s.page = w.pages[1];
    s.playPause = ::GetDlgItem(s.page, 33154);
    s.stop = ::GetDlgItem(s.page, 33146);
    s.trackBar = ChildOf(s.page, L"VeTrackBarCtrl");
    s.playTime = ChildOf(s.page, L"VePlayTimeCtrl");
    auto leftToRight = [&](const wchar_t* cls) {
        std::vector<HWND> found = ChildrenOf(s.page, cls);
        std::sort(found.begin(), found.end(), [&](HWND a, HWND b) { return RectIn(a).left < RectIn(b).left; });
        return found;
    };
    const std::vector<HWND> tips = leftToRight(L"VeTimeTipsCtrl"), boxes = leftToRight(L"VeCheckboxCtrl");
    if (tips.size() == 2) {
        s.startTip = tips[0];
        s.endTip = tips[1];
    }
    if (boxes.size() == 2) {
        s.fadeIn = ::GetWindow(boxes[0], GW_CHILD);
        s.fadeOut = ::GetWindow(boxes[1], GW_CHILD);
    }
    return s;
}

bool RunningProgram::PostedDrag(HWND hwnd, POINT from, POINT to)
{
    return AfterIdlePass([&] {
        ::PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
        ::PostMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
        ::PostMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
    });
}

Step3Windows RunningProgram::Step3() const
{
    Step3Windows s;
    const WizardWindows w = Windows();
    if (w.pages.size() != 3) return s;
    s.page = w.pages[2];
    s.progress = ChildOf(s.page, L"VeProgressCtrl");
    s.save = ::GetDlgItem(s.page, 33150);
    s.locate = ::GetDlgItem(s.page, 33151);
    s.newRingtone = ::GetDlgItem(s.page, 33152);
    return s;
}

bool RunningProgram::AfterIdlePass(const std::function<void()>& input)
{
    // The loop runs its idle pass only with an empty queue, so a pass that
    // puts back a title set after the input has seen the input handled, and
    // whatever it posted. The posted WM_NULL makes sure such a pass comes.
    static const wchar_t kMarker[] = L"(a title the idle pass puts right)";
    if (!frame_) return false;
    input();
    return ::SetWindowTextW(frame_, kMarker) && ::PostMessageW(frame_, WM_NULL, 0, 0) &&
           WaitUntil([&] { return Title() != kMarker; });
}

bool RunningProgram::Command(UINT id)
{
    return AfterIdlePass([&] { ::PostMessageW(frame_, WM_COMMAND, id, 0); });
}

bool RunningProgram::IdlePass()
{
    return AfterIdlePass([] {});
}

bool RunningProgram::Click(HWND button)
{
    bool clicked = false;
    return AfterIdlePass([&] { clicked = ClickButton(button); }) && clicked;
}

std::vector<HWND> RunningProgram::Dialogs() const
{
    std::vector<HWND> dialogs;
    for (HWND hwnd : TopLevelWindowsOf(process_.dwProcessId))
        if (::IsWindowVisible(hwnd) && ClassOf(hwnd) == L"#32770") dialogs.push_back(hwnd);
    return dialogs;
}

HWND RunningProgram::WaitForDialog(const wchar_t* title) const
{
    HWND found = nullptr;
    WaitUntil([&] {
        for (HWND dialog : Dialogs())
            if (!title || TextOf(dialog) == title) found = dialog;
        return found != nullptr;
    });
    return found;
}

bool RunningProgram::TakeForeground() const
{
    ::SetForegroundWindow(frame_);
    return WaitUntil([&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        return ::GetForegroundWindow() == frame_ && ::GetGUIThreadInfo(process_.dwThreadId, &info) &&
               info.hwndActive == frame_ && info.hwndFocus &&
               (info.hwndFocus == frame_ || ::IsChild(frame_, info.hwndFocus));
    }, 5000);
}

void RunningProgram::KeepOnTop() const
{
    ::SetWindowPos(frame_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

int64_t RunningProgram::HandleCount() const { return CountHandlesOf(process_.dwProcessId); }

long RunningProgram::GdiObjectCount() const { return test::GdiObjectCount(process_.hProcess); }

int RunningProgram::WindowCount() const
{
    int n = 0;
    for (HWND hwnd : TopLevelWindowsOf(process_.dwProcessId)) {
        ++n;
        ::EnumChildWindows(hwnd, &CountOne, reinterpret_cast<LPARAM>(&n));
    }
    return n;
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    for (const DWORD start = ::GetTickCount(); !done(); ::Sleep(2))
        if (::GetTickCount() - start >= timeoutMs) return done();
    return true;
}

std::wstring TextOf(HWND hwnd)
{
    // Another process's window: the text the system keeps for it, no message.
    std::vector<wchar_t> text(32768);
    return std::wstring(text.data(), ::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size())));
}

std::wstring ControlText(HWND hwnd)
{
    std::vector<wchar_t> text(32768);
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                               10000, &length))
        return {};
    return std::wstring(text.data(), std::min<size_t>(length, text.size()));
}

std::wstring ClassOf(HWND hwnd)
{
    wchar_t name[256];
    return std::wstring(name, ::GetClassNameW(hwnd, name, 256));
}

RECT RectIn(HWND hwnd, HWND to)
{
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    ::MapWindowPoints(nullptr, to, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool CentredOn(HWND hwnd, HWND over)
{
    const RECT a = RectIn(hwnd), b = RectIn(over);
    // Sums of the edges: twice the centres.
    return std::abs((a.left + a.right) - (b.left + b.right)) <= 2 &&
           std::abs((a.top + a.bottom) - (b.top + b.bottom)) <= 2;
}

HWND FileNameEdit(HWND dialog)
{
    // The combo box (an extended one in Wine) keeps the text in its edit
    // control, a few children down.
    HWND edit = ::GetDlgItem(dialog, 1148);
    if (!edit) return ::GetDlgItem(dialog, 1152);
    while (edit && ClassOf(edit) != L"Edit") edit = ::GetWindow(edit, GW_CHILD);
    return edit;
}

std::wstring FileDialogName(HWND dialog)
{
    HWND edit = FileNameEdit(dialog);
    return edit ? ControlText(edit) : std::wstring();
}

bool AnswerFileDialog(HWND dialog, const std::wstring& name)
{
    HWND box = ::GetDlgItem(dialog, 1148);
    if (!box) box = ::GetDlgItem(dialog, 1152);
    HWND edit = FileNameEdit(dialog);
    DWORD_PTR result = 0;
    return edit &&
           ::SendMessageTimeoutW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()), SMTO_ABORTIFHUNG, 10000,
                                 &result) &&
           ControlText(edit) == name && PressButton(dialog, IDOK);
}

std::wstring MessageText(HWND box)
{
    // Windows gives the text's static the id 0xFFFF, older Wines 100.
    HWND text = ::GetDlgItem(box, 0xFFFF);
    return ControlText(text ? text : ::GetDlgItem(box, 100));
}

bool PressButton(HWND dialog, int id)
{
    HWND button = ::GetDlgItem(dialog, id);
    return button && ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

bool ClickButton(HWND button)
{
    // Posted back to back: the program takes posted messages before input,
    // so no move of the real pointer comes between the press and the release
    // and drags the press off the button.
    return ::PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)) &&
           ::PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

bool PressKeys(std::initializer_list<WORD> keys)
{
    std::vector<INPUT> inputs;
    auto add = [&](WORD key, DWORD flags) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
        input.ki.dwFlags = flags;
        inputs.push_back(input);
    };
    for (WORD key : keys) add(key, 0);
    for (auto key = keys.end(); key != keys.begin();) add(*--key, KEYEVENTF_KEYUP);
    return ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

bool HoldKey(WORD key, bool down)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    const bool sent = ::SendInput(1, &input, sizeof(INPUT)) == 1;
    ::Sleep(50);
    return sent;
}

namespace {

// One real mouse event at a screen point.
bool SendMouse(POINT at, DWORD flags)
{
    // Wine maps an absolute coordinate c to c * size / 65536: round up.
    const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = (at.x * 65536 + width - 1) / width;
    input.mi.dy = (at.y * 65536 + height - 1) / height;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
    return ::SendInput(1, &input, sizeof(INPUT)) == 1;
}

POINT OnScreen(HWND hwnd, POINT at)
{
    ::ClientToScreen(hwnd, &at);
    return at;
}

}  // namespace

bool MouseClick(HWND hwnd, POINT at)
{
    const POINT p = OnScreen(hwnd, at);
    return SendMouse(p, 0) && SendMouse(p, MOUSEEVENTF_LEFTDOWN) && SendMouse(p, MOUSEEVENTF_LEFTUP);
}

bool MoveMouse(HWND hwnd, POINT to) { return SendMouse(OnScreen(hwnd, to), 0); }

bool MouseDrag(HWND hwnd, POINT from, POINT to)
{
    const POINT a = OnScreen(hwnd, from), b = OnScreen(hwnd, to);
    if (!SendMouse(a, 0) || !SendMouse(a, MOUSEEVENTF_LEFTDOWN)) return false;
    const int steps = std::max(std::abs(b.x - a.x), std::abs(b.y - a.y)) / 4 + 1;
    for (int i = 1; i <= steps; ++i) {
        ::Sleep(5);
        if (!SendMouse({a.x + (b.x - a.x) * i / steps, a.y + (b.y - a.y) * i / steps}, 0)) return false;
    }
    return SendMouse(b, MOUSEEVENTF_LEFTUP);
}

bool SaveScreenPng(const RECT& screen, const std::wstring& path)
{
    PngPicture picture;
    Surface24& pixels = picture.ColorSurface();
    const int width = screen.right - screen.left, height = screen.bottom - screen.top;
    if (width <= 0 || height <= 0 || !pixels.Create(width, height, 24)) return false;
    bool copied = false;
    {
        MemoryDc dc(::CreateCompatibleDC(nullptr));
        SelectGuard selected(dc.Get(), pixels.Data()->Bitmap());
        HDC desktop = ::GetDC(nullptr);
        copied = selected.Ok() && ::BitBlt(dc.Get(), 0, 0, width, height, desktop, screen.left, screen.top, SRCCOPY);
        ::ReleaseDC(nullptr, desktop);
        ::GdiFlush();
    }
    return copied && picture.SaveToFile(path);
}

bool TypeText(const std::wstring& text)
{
    std::vector<INPUT> inputs;
    for (wchar_t c : text)
        for (DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wScan = c;
            input.ki.dwFlags = KEYEVENTF_UNICODE | up;
            inputs.push_back(input);
        }
    return ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

bool ScreenShot(HWND hwnd, Surface24& out)
{
    RECT client{};
    POINT origin{0, 0};
    if (!::GetClientRect(hwnd, &client) || !::ClientToScreen(hwnd, &origin) ||
        !out.Create(client.right, client.bottom, 24))
        return false;
    MemoryDc dc(::CreateCompatibleDC(nullptr));
    SelectGuard selected(dc.Get(), out.Data()->Bitmap());
    HDC screen = ::GetDC(nullptr);
    const bool copied = selected.Ok() && ::BitBlt(dc.Get(), 0, 0, client.right, client.bottom, screen, origin.x,
                                                  origin.y, SRCCOPY);
    ::ReleaseDC(nullptr, screen);
    ::GdiFlush();
    return copied;
}

bool ShowsLook(HWND button, int strip, int cells)
{
    return WaitUntil([&] {
        for (int cell = 0; cell < std::min(cells, 3); ++cell)
            if (ScreenDifferences(button, strip, cells, cell) == 0) return true;
        return false;
    }, 5000);
}

bool SettledScreenShot(HWND hwnd, Surface24& out)
{
    const auto same = [](const Surface24& a, const Surface24& b) {
        if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
        const size_t row = size_t(a.Width()) * 3;
        for (int y = 0; y < a.Height(); ++y)
            if (std::memcmp(a.Row(y), b.Row(y), row) != 0) return false;
        return true;
    };
    Surface24 before;
    if (!ScreenShot(hwnd, before)) return false;
    for (int i = 0; i < 50; ++i) {
        ::Sleep(100);
        if (!ScreenShot(hwnd, out)) return false;
        if (same(out, before)) return true;
        before.Take(out);
    }
    return false;
}

int ScreenDifferences(HWND hwnd, int jpegId, POINT at, const RECT& skip)
{
    Surface24 shot;
    return ScreenShot(hwnd, shot) ? SkinDifferences(shot, jpegId, 0, 0, at, skip) : -1;
}

int ScreenDifferences(HWND hwnd, int bitmapId, int cells, int cell)
{
    Surface24 shot;
    return ScreenShot(hwnd, shot) ? SkinDifferences(shot, bitmapId, cells, cell, {0, 0}) : -1;
}

COLORREF ScreenPixel(HWND hwnd, POINT at)
{
    POINT p = at;
    if (!::ClientToScreen(hwnd, &p)) return CLR_INVALID;
    HDC screen = ::GetDC(nullptr);
    const COLORREF colour = ::GetPixel(screen, p.x, p.y);
    ::ReleaseDC(nullptr, screen);
    return colour;
}

}  // namespace vorlune::test
