#pragma once

#include <windows.h>

#include <vector>

#include "app/PageStack.h"
#include "app/Step1Page.h"
#include "app/Step2Page.h"
#include "app/Step3Page.h"
#include "controls/VeViewFooter.h"
#include "controls/VeViewHeader.h"
#include "win/MessageLoop.h"
#include "win/Window.h"

namespace vorlune {

class RingtoneProject;

// The frame's whole client area: the header with the step strip on top, the
// page stack with the three steps, the footer with Back and Next at the
// bottom. Moves between the steps and hands the user's choices on as it does.
class WizardView : public Window, public IdleHandler {
public:
    static constexpr int kHeaderHeight = 100;
    static constexpr int kFooterHeight = 50;

    explicit WizardView(RingtoneProject* project) noexcept;
    ~WizardView() override;

    HWND Create(HWND parent, const RECT& rect) noexcept;

    // One step back or forward, or back to the first; each within steps
    // 0..2, with the header following.
    void Back() noexcept;
    void Next() noexcept;
    void New() noexcept;
    // After a song was accepted: from step 1 to step 2, and from steps 2
    // and 3 to step 2 with the new song.
    void NextWithNewSong() noexcept;
    int Step() const noexcept { return stack_.GetActivePage(); }

    // Back and Next enabled by the current page's rules; step 1 redrawn
    // when its song came or went.
    bool OnIdle() override;

    // The wizard's keys, seen before they are dispatched: Tab and Shift+Tab
    // through the current page's controls and Back and Next; Enter presses
    // the focused button, or else does Next (Save on step 3); Alt+Left and
    // Alt+Right are Back and Next; on step 2 Space plays or pauses unless a
    // button has the focus, and Esc stops. Any key of the frame shows the
    // focus from then on. True when msg was taken.
    bool HandleKey(const MSG& msg) noexcept;
    // Ctrl+S: Save, on step 3.
    void SaveByKey() noexcept;
    // The frame has the focus again (after a dialog, or back from another
    // program): the control the keys were on takes it, or the first one
    // there is now; false when the keys were never used.
    bool RestoreKeyFocus() noexcept;

    RingtoneProject& Project() const noexcept { return *project_; }
    VeViewHeader& Header() noexcept { return header_; }
    VeViewFooter& Footer() noexcept { return footer_; }
    PageStack& Stack() noexcept { return stack_; }
    Step1Page& Step1() noexcept { return step1_; }
    Step2Page& Step2() noexcept { return step2_; }
    Step3Page& Step3() noexcept { return step3_; }

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool OnCreate() noexcept;
    void OnDestroy() noexcept;
    void Layout() noexcept;
    void GoTo(int step) noexcept;
    // Hands the user's choices on between the pages when the step changed
    // from old to now (old is -1 at start).
    void OnStepChanged(int old, int now) noexcept;
    WizardPage* Page(int step) noexcept;
    // The player could not load the project's song: the user is told, the
    // project forgets the song and the wizard starts again at step 1.
    void RefuseSong() noexcept;
    // The controls Tab goes through now: the page's, then Back and Next,
    // without hidden or disabled ones.
    std::vector<HWND> TabOrder() noexcept;
    void MoveFocus(bool backward) noexcept;
    // Enter away from a button: Next, or Save on step 3.
    void DefaultAction() noexcept;

    RingtoneProject* project_;
    VeViewHeader header_;
    VeViewFooter footer_;
    PageStack stack_;
    Step1Page step1_;
    Step2Page step2_;
    Step3Page step3_;
    HWND keyFocus_ = nullptr;  // where the focus was when the last key came
};

}  // namespace vorlune
