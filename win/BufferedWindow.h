#pragma once

#include <windows.h>

#include "win/Window.h"

namespace vorlune {

// A window that draws itself through an off-screen bitmap: WM_PAINT paints
// the update rectangle into a memory bitmap and copies it in one block,
// WM_PRINTCLIENT paints the whole client area into the DC it is given, and
// WM_ERASEBKGND answers 1 without erasing. Derived classes only implement
// Paint and chain their message map to this one.
class BufferedWindow : public Window {
protected:
    // Draws the look in client coordinates; dc is a memory DC whose origin is
    // moved so that only the part being painted lands in the buffer.
    // Nothing may stay selected into it afterwards.
    virtual void Paint(HDC dc) = 0;

    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void PaintBuffered(HDC target, const RECT& area) noexcept;
};

}  // namespace vorlune
