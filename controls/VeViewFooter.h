#pragma once

#include "controls/BitmapButton.h"
#include "controls/VeFooterLinkCtrl.h"
#include "gfx/Surface.h"
#include "win/BufferedWindow.h"

namespace vorlune {

// The band at the bottom of the wizard: the website link on the left, Back
// and Next on the right. The buttons' clicks are posted on, unchanged, to
// the top-level window, so they take the same path as the menu's commands.
class VeViewFooter : public BufferedWindow {
public:
    ~VeViewFooter() override;

    HWND Create(HWND parent, const RECT& rect) noexcept;

    BitmapButton& BackButton() noexcept { return back_; }
    BitmapButton& NextButton() noexcept { return next_; }
    VeFooterLinkCtrl& Link() noexcept { return link_; }

protected:
    void Paint(HDC dc) override;
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    LRESULT OnCreate() noexcept;
    void OnSize() noexcept;
    bool OnCommand(WPARAM wParam, LPARAM lParam) noexcept;

    Surface24 background_;
    VeFooterLinkCtrl link_;
    BitmapButton back_;
    BitmapButton next_;
};

}  // namespace vorlune
