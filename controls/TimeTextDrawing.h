#pragma once

#include <windows.h>

#include <string>

#include "controls/VeTimeTipsCtrl.h"

namespace vorlune {

// The text state of one paint of a time display: the shared font, a text
// colour, a white background colour and transparent mode, all four put back
// when the paint ends.
class TimeTextDrawing {
public:
    TimeTextDrawing(HDC dc, COLORREF text) noexcept
        : dc_(dc), font_(TimeDisplayFont()), oldFont_(font_ ? ::SelectObject(dc, font_) : nullptr),
          oldText_(::SetTextColor(dc, text)), oldBack_(::SetBkColor(dc, RGB(255, 255, 255))),
          oldMode_(::SetBkMode(dc, TRANSPARENT))
    {
    }
    ~TimeTextDrawing()
    {
        ::SetBkMode(dc_, oldMode_);
        ::SetBkColor(dc_, oldBack_);
        ::SetTextColor(dc_, oldText_);
        if (oldFont_ && oldFont_ != HGDI_ERROR) ::SelectObject(dc_, oldFont_);
    }
    TimeTextDrawing(const TimeTextDrawing&) = delete;
    TimeTextDrawing& operator=(const TimeTextDrawing&) = delete;

private:
    HDC dc_;
    HFONT font_;
    HGDIOBJ oldFont_;
    COLORREF oldText_;
    COLORREF oldBack_;
    int oldMode_;
};

// value as at least two digits ("%02d").
inline std::wstring TwoDigits(long long value)
{
    std::wstring text = std::to_wstring(value);
    if (value >= 0 && value < 10) text.insert(text.begin(), L'0');
    return text;
}

}  // namespace vorlune
