#pragma once

#include <windows.h>

#include <commctrl.h>

#include <utility>

#include "win/Handle.h"

// Owners for what windows add to the handle owners of Handle.h.
namespace vorlune {

using UniqueImageList = UniqueHandle<NullHandleTraits<HIMAGELIST, ::ImageList_Destroy>>;
using UniqueIcon = UniqueHandle<NullHandleTraits<HICON, ::DestroyIcon>>;
using UniqueHook = UniqueHandle<NullHandleTraits<HHOOK, ::UnhookWindowsHookEx>>;

// A window that is destroyed with its owner object (tooltips, test windows).
struct WindowTraits {
    using Type = HWND;
    static HWND Invalid() noexcept { return nullptr; }
    static bool IsValid(HWND h) noexcept { return h != nullptr; }
    static void Close(HWND h) noexcept
    {
        if (::IsWindow(h)) ::DestroyWindow(h);
    }
};
using UniqueWindow = UniqueHandle<WindowTraits>;

// BeginPaint and EndPaint around one WM_PAINT.
class PaintDc {
public:
    explicit PaintDc(HWND hwnd) noexcept : hwnd_(hwnd), dc_(::BeginPaint(hwnd, &ps_)) {}
    ~PaintDc() { ::EndPaint(hwnd_, &ps_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HDC Get() const noexcept { return dc_; }
    const RECT& Update() const noexcept { return ps_.rcPaint; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// A window timer, killed when the owner goes.
class WindowTimer {
public:
    WindowTimer() noexcept = default;
    ~WindowTimer() { Stop(); }
    WindowTimer(const WindowTimer&) = delete;
    WindowTimer& operator=(const WindowTimer&) = delete;

    bool Start(HWND hwnd, UINT_PTR id, UINT ms) noexcept
    {
        Stop();
        if (!::SetTimer(hwnd, id, ms, nullptr)) return false;
        hwnd_ = hwnd;
        id_ = id;
        return true;
    }
    void Stop() noexcept
    {
        if (hwnd_ && ::IsWindow(hwnd_)) ::KillTimer(hwnd_, id_);
        hwnd_ = nullptr;
    }
    bool Running() const noexcept { return hwnd_ != nullptr; }

private:
    HWND hwnd_ = nullptr;
    UINT_PTR id_ = 0;
};

}  // namespace vorlune
