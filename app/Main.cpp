#include <windows.h>

#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include <string>

#include "app/MainFrame.h"
#include "win/AppModule.h"
#include "win/Handle.h"
#include "win/MessageLoop.h"

namespace {

// The song the program was started with ("Open with", or a song dropped on
// its icon): the first argument; the rest is ignored. Empty without one.
std::wstring SongArgument() noexcept
{
    int count = 0;
    LPWSTR* args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    const vorlune::LocalMemory owner(args);
    try {
        return args && count >= 2 ? std::wstring(args[1]) : std::wstring();
    } catch (...) {
        return {};
    }
}

// The one frame, made on first use; it outlives the message loop and goes
// at process exit with its project and wizard.
vorlune::MainFrame* TheFrame() noexcept
{
    try {
        static vorlune::MainFrame frame;
        return &frame;
    } catch (...) {
        return nullptr;
    }
}

int Run(int show) noexcept
{
    vorlune::MessageLoop loop;
    const vorlune::ScopedMessageLoop registered(loop);
    vorlune::MainFrame* frame = TheFrame();
    if (!registered.Ok() || !frame || !frame->Create()) return 0;
    ::ShowWindow(frame->Hwnd(), show);
    const std::wstring song = SongArgument();
    if (!song.empty()) {
        ::UpdateWindow(frame->Hwnd());  // a refused song's box shows over the whole frame
        frame->OpenSong(song);
    }
    return loop.Run();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    if (FAILED(::OleInitialize(nullptr))) {
        ::OleUninitialize();
        return -1;
    }
    ::DefWindowProcW(nullptr, 0, 0, 0);
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&icc);
    vorlune::AppModule::Init(instance);

    const int exitCode = Run(show);

    vorlune::AppModule::Term();
    ::OleUninitialize();
    return exitCode;
}
