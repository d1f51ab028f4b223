#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include "app/MainFrame.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show)
{
    if (FAILED(::OleInitialize(nullptr))) {
        ::OleUninitialize();
        return -1;
    }
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&icc);

    int exitCode = 0;
    {
        vorlune::MainFrame frame;
        if (HWND hwnd = frame.Create()) {
            ::ShowWindow(hwnd, show);
            ::UpdateWindow(hwnd);
            MSG msg{};
            BOOL got;
            while ((got = ::GetMessageW(&msg, nullptr, 0, 0)) != 0) {
                if (got == -1) continue;
                if (frame.PreTranslateMessage(msg)) continue;
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
            exitCode = static_cast<int>(msg.wParam);
        }
    }
    ::OleUninitialize();
    return exitCode;
}
