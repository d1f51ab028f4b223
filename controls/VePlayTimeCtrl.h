#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "gfx/Surface.h"
#include "win/BufferedWindow.h"
#include "win/Handle.h"

namespace vorlune {

// "mm:ss / mm:ss" (or "h:mm:ss / h:mm:ss" when the song has hours, in a
// smaller size of the font when that does not fit): where playback is and
// how long the song lasts. Times in 100 ns units.
class VePlayTimeCtrl : public BufferedWindow {
public:
    ~VePlayTimeCtrl() override;

    // At (x, y) of the parent, the size of the background picture.
    HWND Create(HWND parent, POINT at) noexcept;

    void SetPosition(int64_t position, bool repaint) noexcept;
    void SetDuration(int64_t duration, bool repaint) noexcept;
    int64_t Position() const noexcept { return position_; }
    int64_t Duration() const noexcept { return duration_; }

    // The text shown for a position and a duration; empty when the duration
    // is not positive or the position lies outside it.
    static std::wstring Text(int64_t position, int64_t duration);
    // The largest size of the shared font, smaller than it, in which text
    // fits width on dc (the smallest size tried when none does); null when
    // no font can be made.
    static UniqueFont FontFitting(HDC dc, const std::wstring& text, int width) noexcept;

protected:
    void Paint(HDC dc) override;
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool Describe(AccessibleInfo& info) const override;

private:
    Surface24 background_;
    int64_t position_ = 0;
    int64_t duration_ = 0;
};

}  // namespace vorlune
