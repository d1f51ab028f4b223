#pragma once

#include <windows.h>

namespace vorlune {

struct AccessibleInfo;

// A window class of our own, registered once (under the module's lock) the
// first time a window of it is created. Class style 0, arrow cursor; a
// superclass keeps everything of its system class but name and procedure.
struct WindowClass {
    const wchar_t* name;
    const wchar_t* superclassOf = nullptr;  // a system class such as L"BUTTON"
    HBRUSH background = nullptr;            // e.g. reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)
    int iconId = 0;                         // icon group for the large and small icon
};

// The style of every child window of ours (0x56000000).
constexpr DWORD kChildWindowStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

// The C++ side of one window. The object rides in lpCreateParams, is stored
// in GWLP_USERDATA at WM_NCCREATE and let go at WM_NCDESTROY, after which
// OnFinalMessage runs. Every message goes through ProcessWindowMessage; what
// it does not handle gets the class's default procedure (DefWindowProcW, or
// the system procedure of a superclass). No exception leaves the procedure:
// one thrown by a handler makes WM_CREATE fail and answers anything else
// with 0.
//
// A derived class writes its message map as a switch that calls small named
// handlers and ends by calling its base class's ProcessWindowMessage.
class Window {
public:
    Window() noexcept = default;
    // Destroys a window that is still alive. Derived classes whose handlers
    // use their own members destroy the window in their own destructor.
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Hwnd() const noexcept { return hwnd_; }
    bool IsAlive() const noexcept { return hwnd_ != nullptr; }
    bool Destroy() noexcept;

    // Redraws at once: the whole client area, without erasing.
    void Repaint() noexcept;
    // Sizes the window so that its client area is width x height, without
    // moving or redrawing it.
    bool ResizeClient(int width, int height) noexcept;
    RECT ClientRect() const noexcept;

protected:
    // Registers cls if needed and creates the window with this object in
    // lpCreateParams. Null when creation fails (or this object already has
    // a window).
    HWND CreateWindowOf(const WindowClass& cls, HWND parent, const RECT& rect, DWORD style, DWORD exStyle = 0,
                        UINT_PTR idOrMenu = 0, const wchar_t* title = nullptr) noexcept;

    // The message map. Returns true when the message was handled, with its
    // answer in result.
    virtual bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The window is gone; the object may now be reused or deleted.
    virtual void OnFinalMessage(HWND) noexcept {}
    // The class's default handling of a message.
    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

    // What the window tells a screen reader about its client area (name,
    // role, value, states); false leaves WM_GETOBJECT to the system.
    virtual bool Describe(AccessibleInfo&) const { return false; }
    // A screen reader's "do it" (a button's press); false when there is none.
    virtual bool DoDefaultAction() { return false; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

    HWND hwnd_ = nullptr;
    WNDPROC base_ = nullptr;
};

// Centres hwnd over `over` (its owner when null), or over the work area of
// its monitor when there is neither, kept inside that work area.
bool CenterWindow(HWND hwnd, HWND over = nullptr) noexcept;

// Whether the focus is shown: Windows' rule for dialogs, hidden
// (UISF_HIDEFOCUS on the top-level window) until the user presses a key.
bool FocusCuesShown(HWND hwnd) noexcept;
// Shows or hides the focus in every window under hwnd's top-level window
// (WM_CHANGEUISTATE, which comes back to each as WM_UPDATEUISTATE).
void SetFocusCuesShown(HWND hwnd, bool shown) noexcept;
// Whether a window may take the focus now: shown and enabled.
bool CanTakeFocus(HWND hwnd) noexcept;
// The focus as the system draws it: a dotted rectangle.
void DrawFocusCue(HDC dc, const RECT& rect) noexcept;

}  // namespace vorlune
