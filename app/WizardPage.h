#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "gfx/Surface.h"
#include "win/BufferedWindow.h"

namespace vorlune {

class RingtoneProject;
class WizardView;

// The base of the wizard's three pages: a child of the page stack with the
// page background, drawn through an off-screen bitmap, and the page's rules
// for the footer's Back and Next buttons.
class WizardPage : public BufferedWindow {
public:
    explicit WizardPage(WizardView* view) noexcept : view_(view) {}
    ~WizardPage() override;

    HWND Create(HWND stack) noexcept;

    virtual bool CanGoBack() const { return true; }
    virtual bool CanGoNext() const { return true; }
    // The page's controls that the keys reach, in reading order; hidden and
    // disabled ones are skipped by whoever moves the focus.
    virtual std::vector<HWND> TabStops() const { return {}; }
    // The first of them that can take the focus takes it; false when none can.
    bool FocusFirstStop() const noexcept;

    // The font of the pages' own text: the GUI font's look in Tahoma, 16
    // high, made once for the life of the process.
    static HFONT AppFont() noexcept;

protected:
    // The page's own pictures and windows, made on WM_CREATE before the
    // background; false fails the creation.
    virtual bool CreateContent() { return true; }
    // What the page draws over its background, in client coordinates.
    virtual void DrawContent(HDC) {}

    void Paint(HDC dc) override;
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // A screen reader reads the page as a property page named by its
    // caption (or, on step 3, its state).
    bool Describe(AccessibleInfo& info) const override;
    virtual std::wstring AccessibleName() const { return {}; }

    WizardView* View() const noexcept { return view_; }
    RingtoneProject& Project() const noexcept;
    // The main frame, which gets the pages' commands.
    HWND Frame() const noexcept { return ::GetAncestor(Hwnd(), GA_ROOT); }

private:
    Surface24 background_;
    WizardView* view_;
};

}  // namespace vorlune
