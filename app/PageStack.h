#pragma once

#include <windows.h>

#include <vector>

#include "win/Window.h"

namespace vorlune {

// Holds the wizard's pages, one shown at a time, each sized to the whole
// stack. Tells its parent what happens through WM_NOTIFY (codes below); a
// non-zero answer to kPageChanging keeps the current page. Notifications of
// the pages' own controls are reflected back to them (win/Reflection.h), and
// commands also go on to the current page.
class PageStack : public Window {
public:
    static constexpr UINT kCreated = static_cast<UINT>(-560);
    static constexpr UINT kPageAdded = static_cast<UINT>(-561);
    static constexpr UINT kPageChanging = static_cast<UINT>(-552);
    static constexpr UINT kPageChanged = static_cast<UINT>(-551);

    ~PageStack() override;

    HWND Create(HWND parent, const RECT& rect, UINT id = 0) noexcept;

    // Hides the page and appends it; its index, or -1 when it cannot.
    int AddPage(HWND page) noexcept;
    bool SetActivePage(int index) noexcept;
    int GetActivePage() const noexcept { return current_; }
    HWND GetPage(int index) const noexcept;
    int PageCount() const noexcept { return static_cast<int>(pages_.size()); }

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnCreate() noexcept;
    void OnSize() noexcept;
    // The page takes the stack's whole client area.
    void FitToClient(HWND page) noexcept;
    void OnSetFocus() noexcept;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT Notify(UINT code) noexcept;

    std::vector<HWND> pages_;
    int current_ = -1;
    HWND currentPage_ = nullptr;
};

}  // namespace vorlune
