#include "win/BufferedWindow.h"

#include "win/GuiHandles.h"
#include "win/Handle.h"

namespace vorlune {

bool BufferedWindow::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (msg) {
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_PAINT: {
        PaintDc paint(Hwnd());
        if (paint.Get()) PaintBuffered(paint.Get(), paint.Update());
        result = 0;
        return true;
    }
    case WM_PRINTCLIENT:
        PaintBuffered(reinterpret_cast<HDC>(wParam), ClientRect());
        result = 0;
        return true;
    }
    return Window::ProcessWindowMessage(msg, wParam, lParam, result);
}

void BufferedWindow::PaintBuffered(HDC target, const RECT& area) noexcept
{
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (!target || width <= 0 || height <= 0) return;
    try {
        MemoryDc memory(::CreateCompatibleDC(target));
        UniqueBitmap buffer(memory ? ::CreateCompatibleBitmap(target, width, height) : nullptr);
        if (!buffer) {
            Paint(target);  // no memory for a buffer: draw straight onto the target
            return;
        }
        SelectGuard selected(memory.Get(), buffer.Get());
        ::SetViewportOrgEx(memory.Get(), -area.left, -area.top, nullptr);
        Paint(memory.Get());
        ::SetViewportOrgEx(memory.Get(), 0, 0, nullptr);
        ::BitBlt(target, area.left, area.top, width, height, memory.Get(), 0, 0, SRCCOPY);
    } catch (...) {
        // A failed paint leaves the old pixels; the next one tries again.
    }
}

}  // namespace vorlune
