#pragma once

#include "controls/BitmapButton.h"
#include "win/BufferedWindow.h"
#include "win/GuiHandles.h"

namespace vorlune {

// A skinned check box: an inner bitmap button that switches between the
// unchecked and the checked strip on every click, after which the parent
// gets WM_COMMAND (the command id, code 0, lParam the inner button), sent.
class VeCheckboxCtrl : public BufferedWindow {
public:
    // Strips of four looks each (normal, pushed, hover, disabled); the name
    // is what a screen reader reads for the inner button, a check box.
    VeCheckboxCtrl(int uncheckedBitmap, int checkedBitmap, UINT commandId, const wchar_t* name = nullptr) noexcept
        : uncheckedBitmap_(uncheckedBitmap), checkedBitmap_(checkedBitmap), commandId_(commandId), name_(name) {}
    ~VeCheckboxCtrl() override;

    // At (x, y) of the parent; the box takes the size of one look.
    HWND Create(HWND parent, POINT at) noexcept;

    bool IsChecked() const noexcept { return checked_; }
    BitmapButton& Button() noexcept { return button_; }
    const BitmapButton& Button() const noexcept { return button_; }

protected:
    void Paint(HDC) override {}  // the inner button covers the whole box
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    LRESULT OnCreate() noexcept;
    void OnClicked() noexcept;

    bool checked_ = false;
    int uncheckedBitmap_;
    int checkedBitmap_;
    UINT commandId_;
    const wchar_t* name_;
    BitmapButton button_;
    UniqueImageList spare_;  // the look not shown now
};

}  // namespace vorlune
