#pragma once

#include <windows.h>

#include <commctrl.h>

#include <utility>

#include "win/Handle.h"

// Owners for what windows add to the handle owners of Handle.h.
namespace vorlune {

struct ImageListTraits {
    using Type = HIMAGELIST;
    static HIMAGELIST Invalid() noexcept { return nullptr; }
    static bool IsValid(HIMAGELIST h) noexcept { return h != nullptr; }
    static void Close(HIMAGELIST h) noexcept { ::ImageList_Destroy(h); }
};
using UniqueImageList = UniqueHandle<ImageListTraits>;

struct IconTraits {
    using Type = HICON;
    static HICON Invalid() noexcept { return nullptr; }
    static bool IsValid(HICON h) noexcept { return h != nullptr; }
    static void Close(HICON h) noexcept { ::DestroyIcon(h); }
};
using UniqueIcon = UniqueHandle<IconTraits>;

struct HookTraits {
    using Type = HHOOK;
    static HHOOK Invalid() noexcept { return nullptr; }
    static bool IsValid(HHOOK h) noexcept { return h != nullptr; }
    static void Close(HHOOK h) noexcept { ::UnhookWindowsHookEx(h); }
};
using UniqueHook = UniqueHandle<HookTraits>;

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
