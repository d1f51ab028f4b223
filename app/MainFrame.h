#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "win/MessageLoop.h"
#include "win/Window.h"

namespace vorlune {

class RingtoneProject;
class WizardView;

// The one top-level window: no menu bar, not resizable, a 600 x 400 client
// area filled by the wizard. It owns the user's project, translates the
// accelerators and carries out the commands of the buttons and keys.
class MainFrame : public Window, public MessageFilter, public IdleHandler {
public:
    MainFrame();
    ~MainFrame() override;

    HWND Create() noexcept;

    // The wizard's keys, then the frame's accelerators; true when msg was
    // taken or became a command.
    bool PreTranslateMessage(MSG& msg) override;
    // Brings the title up to date.
    bool OnIdle() override;
    // "Vorlune", and " - [name.mp3]" while the project has a song.
    void UpdateTitle() noexcept;
    // A song from outside the Open dialog (dropped on the frame, or named on
    // the command line), taken exactly as one chosen there: refused with its
    // box, or loaded on step 2. Ignored while a render runs.
    void OpenSong(const std::wstring& path) noexcept;

    RingtoneProject& Project() noexcept { return *project_; }
    WizardView& View() noexcept { return *view_; }

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool OnCreate() noexcept;
    void OnDestroy() noexcept;
    bool OnCommand(UINT id) noexcept;
    void OnChangeUiState(WPARAM wParam) noexcept;
    void OnOpen() noexcept;
    void OnDropFiles(HDROP drop) noexcept;
    // A song was accepted: step 2 with it, and the title follows.
    void ShowNewSong() noexcept;
    // A render has the project: nothing may change it.
    bool IsBusy() noexcept;

    HWND client_ = nullptr;
    HACCEL accelerators_ = nullptr;  // a resource: freed with the module
    // The frame's own UI state (UISF_*): the focus hidden until a key.
    WORD uiState_ = UISF_HIDEFOCUS;
    std::unique_ptr<RingtoneProject> project_;
    std::unique_ptr<WizardView> view_;
};

}  // namespace vorlune
