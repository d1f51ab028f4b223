#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>

namespace vorlune::test {

// Answers the dialog boxes of this thread from inside their modal loops: a
// thread timer ticks there, finds a new visible "#32770" window and runs the
// answer once for it.
class DialogAnswerer {
public:
    explicit DialogAnswerer(std::function<void(HWND)> answer) : answer_(std::move(answer))
    {
        current_ = this;
        timer_ = ::SetTimer(nullptr, 0, 50, &Tick);
    }
    ~DialogAnswerer()
    {
        ::KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    int answered = 0;

private:
    static BOOL CALLBACK FindBox(HWND hwnd, LPARAM out)
    {
        wchar_t name[16] = L"";
        if (!::IsWindowVisible(hwnd) || !::GetClassNameW(hwnd, name, 16) || std::wstring(name) != L"#32770")
            return TRUE;
        *reinterpret_cast<HWND*>(out) = hwnd;
        return FALSE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        HWND box = nullptr;
        ::EnumThreadWindows(::GetCurrentThreadId(), &FindBox, reinterpret_cast<LPARAM>(&box));
        if (!current_ || !box || box == current_->last_) return;
        current_->last_ = box;
        ++current_->answered;
        current_->answer_(box);
    }

    static inline DialogAnswerer* current_ = nullptr;
    std::function<void(HWND)> answer_;
    UINT_PTR timer_ = 0;
    HWND last_ = nullptr;
};

// A click on a dialog's button, as the button sends it.
inline void Press(HWND box, int id) { ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

// The text of a message box.
inline std::wstring BoxText(HWND box)
{
    wchar_t text[1024] = L"";
    ::GetDlgItemTextW(box, 0xFFFF, text, 1024);
    return text;
}

}  // namespace vorlune::test
