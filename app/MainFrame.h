#pragma once

#include <windows.h>

#include "controls/VeViewFooter.h"
#include "controls/VeViewHeader.h"
#include "gfx/Surface.h"
#include "win/BufferedWindow.h"

namespace vorlune {

// The one top-level window: a fixed 600 x 400 client area with the header
// on top, the page background in the middle and the footer at the bottom.
// Back, Next and New move the header's step; the wizard's pages come later.
class MainFrame : public BufferedWindow {
public:
    MainFrame() noexcept = default;
    ~MainFrame() override;

    HWND Create() noexcept;
    // Accelerators of the frame; true when msg became a command.
    bool PreTranslateMessage(MSG& msg) noexcept;

    VeViewHeader& Header() noexcept { return header_; }
    VeViewFooter& Footer() noexcept { return footer_; }

protected:
    void Paint(HDC dc) override;
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    LRESULT OnCreate() noexcept;
    bool OnCommand(UINT id) noexcept;
    void UpdateButtons() noexcept;

    VeViewHeader header_;
    VeViewFooter footer_;
    Surface24 page_;
    HACCEL accelerators_ = nullptr;  // a resource: freed with the module
};

}  // namespace vorlune
