#pragma once

#include "gfx/Surface.h"
#include "win/BufferedWindow.h"

namespace vorlune {

// The footer's link to the maker's website: a picture that lights up under
// the mouse and opens the site when clicked (pressed and released inside).
class VeFooterLinkCtrl : public BufferedWindow {
public:
    ~VeFooterLinkCtrl() override;

    HWND Create(HWND parent, const RECT& rect) noexcept;
    bool IsHovered() const noexcept { return hover_; }

protected:
    void Paint(HDC dc) override;
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool Describe(AccessibleInfo& info) const override;
    bool DoDefaultAction() override;

private:
    void OnCreate() noexcept;
    void OnMouseMove(LPARAM lParam) noexcept;
    void OnMouseLeave() noexcept;
    void OnButtonUp(LPARAM lParam) noexcept;
    void SetHover(bool hover) noexcept;

    Surface24 normal_;
    Surface24 hoverLook_;
    bool hover_ = false;
    bool tracking_ = false;
};

}  // namespace vorlune
