#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/WizardPage.h"
#include "audio/RenderJob.h"
#include "controls/BitmapButton.h"
#include "controls/VeProgressCtrl.h"
#include "gfx/Surface.h"

namespace vorlune {

// Step 3: saving the ringtone. Save asks for the output file and starts the
// render job, whose messages move the progress bar; a saved ringtone can be
// shown in the explorer, or a new one begun. The page owns the job, made with
// the page's window as the target of its messages.
class Step3Page : public WizardPage {
public:
    enum class State { kReady = 0, kProcessing = 1, kSaved = 2 };

    using WizardPage::WizardPage;
    ~Step3Page() override;

    // Nothing may change the project while the job runs.
    bool CanGoBack() const override { return !IsBusy(); }
    bool CanGoNext() const override { return false; }
    std::vector<HWND> TabStops() const override { return {save_.Hwnd(), locate_.Hwnd(), new_.Hwnd()}; }
    // Ctrl+S and Enter: the Save button pressed, while it shows.
    void PressSave() noexcept;

    State GetState() const noexcept { return state_; }
    // Back to the look it has before anything is saved.
    void ResetToReady() noexcept;

    // The Save dialog; true when the user chose an output file other than
    // the song, which is then the project's output path.
    bool ChooseOutput() noexcept;
    // A free name beside the song: "<folder>\<title> (N).<ext>" with the
    // smallest N not taken; "My Ringtone" without a song.
    static std::wstring UniqueOutputName(const std::wstring& source);

    // A render has the project: nothing may change it while this holds.
    bool IsBusy() const noexcept { return job_ && job_->IsBusy(); }
    RenderJob* Job() noexcept { return job_.get(); }
    VeProgressCtrl& ProgressBar() noexcept { return progress_; }
    BitmapButton& SaveButton() noexcept { return save_; }
    BitmapButton& LocateButton() noexcept { return locate_; }
    BitmapButton& NewButton() noexcept { return new_; }

protected:
    bool CreateContent() override;
    void DrawContent(HDC dc) override;
    // The caption in words: what to do, "Processing…" or "Ringtone saved!".
    std::wstring AccessibleName() const override;
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool OnCommand(WPARAM wParam, LPARAM lParam) noexcept;
    void OnSave() noexcept;
    void OnLocate() noexcept;
    void OnNew(WPARAM wParam, LPARAM lParam) noexcept;
    void OnJobMessage(WPARAM event, LPARAM value) noexcept;
    // The failure box, then ready again.
    // "Processing failed. Please try again." and, below it, why.
    void ShowProcessingFailed(RenderFailure why = RenderFailure::kOther) noexcept;
    // Shows the windows of a state and repaints the page.
    void Show(State state) noexcept;

    State state_ = State::kReady;
    bool keyFocusHere_ = false;  // the keyboard's focus is on the page's buttons
    Surface24 readyCaption_;
    Surface24 processingCaption_;
    Surface24 savedCaption_;
    VeProgressCtrl progress_;
    BitmapButton save_;
    BitmapButton locate_;
    BitmapButton new_;
    std::unique_ptr<RenderJob> job_;
};

}  // namespace vorlune
