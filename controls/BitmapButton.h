#pragma once

#include <windows.h>

#include <string>

#include "win/BufferedWindow.h"
#include "win/GuiHandles.h"

namespace vorlune {

// A push button drawn from an image list, one image per state. The class
// "WTL_BitmapButton" is a superclass of the system "BUTTON", made
// owner-drawn so the system draws nothing. Clicks reach the parent like a
// system button's: WM_COMMAND, the id in the low word, BN_CLICKED, lParam
// the button. A click does not take the focus; a focused button is pressed
// by Space (or BM_CLICK) and shows the focus only once the user has pressed
// a key. Its window text is its name for screen readers.
class BitmapButton : public BufferedWindow {
public:
    // Extended styles.
    static constexpr DWORD kHover = 0x01;     // hover image while the mouse is over it
    static constexpr DWORD kAutoSize = 0x08;  // the window takes the size of one image
    static constexpr DWORD kDefaultStyle = kHover | kAutoSize;

    enum ImageState { kNormal, kPushed, kHoverOrFocus, kDisabled };

    explicit BitmapButton(DWORD extendedStyle = kDefaultStyle) noexcept : extendedStyle_(extendedStyle) {}
    ~BitmapButton() override;

    HWND Create(HWND parent, const RECT& rect, UINT id, const wchar_t* name = nullptr) noexcept;
    // A skin button with its top-left corner at `at`: the list's images are
    // its looks (normal, pushed, hover and, with four, disabled) in the
    // default style, and the window takes the size of one image.
    HWND CreateFromStrip(HWND parent, POINT at, UINT id, UniqueImageList images, int looks,
                         const wchar_t* name = nullptr) noexcept;

    // Takes the list and gives back the one it held, so an owner can switch
    // between looks. With kAutoSize a live button takes the image size.
    UniqueImageList SetImageList(UniqueImageList list) noexcept;
    HIMAGELIST ImageList() const noexcept { return images_.Get(); }
    // Image indices per state; -1 draws the normal image.
    void SetImages(int normal, int pushed = -1, int hoverOrFocus = -1, int disabled = -1) noexcept;
    DWORD ExtendedStyle() const noexcept { return extendedStyle_; }
    void SetExtendedStyle(DWORD style) noexcept { extendedStyle_ = style; }
    bool SetToolTipText(const wchar_t* text) noexcept;
    bool SizeToImage() noexcept;

    // The name a screen reader reads (the window text), told to it when it
    // changes.
    void SetName(const wchar_t* name) noexcept;
    // A key that does the same, for screen readers ("Alt+Right").
    void SetShortcut(const wchar_t* keys) noexcept { shortcut_ = keys ? keys : L""; }
    // Read as a check box with this state rather than a push button.
    void SetCheckState(bool checked) noexcept;
    // What a click does: WM_COMMAND BN_CLICKED to the parent, when enabled.
    void Click() noexcept;

    bool IsPressed() const noexcept { return pressed_; }
    bool IsHovered() const noexcept { return hover_; }
    // The image the button shows now.
    int CurrentImage() const noexcept;

protected:
    void Paint(HDC dc) override;
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool Describe(AccessibleInfo& info) const override;
    bool DoDefaultAction() override;

private:
    LRESULT OnCreate(WPARAM wParam, LPARAM lParam) noexcept;
    void OnDestroy() noexcept;
    void OnMouseMove(LPARAM lParam) noexcept;
    void OnMouseLeave() noexcept;
    void OnButtonDown() noexcept;
    void OnButtonUp() noexcept;
    void OnCaptureLost() noexcept;
    void OnFocus(bool focus) noexcept;
    bool OnSpace(bool down, LPARAM lParam) noexcept;
    // Focused, with the focus shown.
    bool ShowsFocus() const noexcept;
    void RelayToToolTip(UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    void AddToolTip() noexcept;
    void SetPressed(bool pressed) noexcept;

    UniqueImageList images_;
    int imageIndex_[4] = {0, -1, -1, -1};
    DWORD extendedStyle_;
    UniqueWindow toolTip_;
    std::wstring toolTipText_;
    bool hover_ = false;
    bool focus_ = false;
    bool pressed_ = false;
    bool trackingLeave_ = false;
    bool checkable_ = false;
    bool checked_ = false;
    const wchar_t* shortcut_ = L"";
};

}  // namespace vorlune
