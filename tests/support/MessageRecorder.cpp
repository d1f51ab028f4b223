#include "support/MessageRecorder.h"

namespace vorlune::test {
namespace {
const wchar_t kClass[] = L"VorluneTestRecorder";
}

MessageRecorder::MessageRecorder(UINT first, UINT last) : first_(first), last_(last)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &MessageRecorder::Proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    ::RegisterClassExW(&wc);  // fails harmlessly when already registered
    hwnd_ = ::CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, this);
}

MessageRecorder::~MessageRecorder()
{
    if (hwnd_) ::DestroyWindow(hwnd_);
    // Drop anything still queued for the window we just destroyed.
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, first_, last_, PM_REMOVE)) {
    }
}

void MessageRecorder::PumpPending()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

LRESULT CALLBACK MessageRecorder::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<MessageRecorder*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && msg >= self->first_ && msg <= self->last_) {
        self->messages_.push_back({msg, wParam, lParam});
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace vorlune::test
