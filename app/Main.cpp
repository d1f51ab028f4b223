#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include "app/MainFrame.h"
#include "win/AppModule.h"
#include "win/MessageLoop.h"

namespace {

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
    vorlune::AppModule::AddMessageLoop(&loop);
    int exitCode = 0;
    vorlune::MainFrame* frame = TheFrame();
    if (frame && frame->Create()) {
        ::ShowWindow(frame->Hwnd(), show);
        exitCode = loop.Run();
    }
    vorlune::AppModule::RemoveMessageLoop();
    return exitCode;
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
