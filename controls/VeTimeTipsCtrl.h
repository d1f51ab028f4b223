#pragma once

#include <windows.h>

#include <string>

#include "win/BufferedWindow.h"

namespace vorlune {

// A small yellow label with one time as "mm:ss", sized to its text. Created
// hidden; its owner places and shows it.
class VeTimeTipsCtrl : public BufferedWindow {
public:
    ~VeTimeTipsCtrl() override;

    HWND Create(HWND parent) noexcept;

    // Stores the time, fits the window to the new text and repaints.
    void SetTime(int milliseconds) noexcept;
    int Time() const noexcept { return milliseconds_; }

    // "mm:ss" with no hours field: 75 minutes are "75:00".
    static std::wstring Text(int milliseconds);

protected:
    void Paint(HDC dc) override;

private:
    int milliseconds_ = 0;
};

// The font both time displays draw with: the GUI font's look in Tahoma, 12
// high, made once for the life of the process.
HFONT TimeDisplayFont() noexcept;

}  // namespace vorlune
