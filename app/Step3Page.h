#pragma once

#include <memory>

#include "app/WizardPage.h"
#include "audio/RenderJob.h"

namespace vorlune {

// Step 3: saving the ringtone. The page owns the render job, made with the
// page's window as the target of its messages.
class Step3Page : public WizardPage {
public:
    using WizardPage::WizardPage;
    ~Step3Page() override;

    bool CanGoBack() const override { return !IsProcessing(); }
    bool CanGoNext() const override { return false; }

    bool IsProcessing() const noexcept { return state_ == State::kProcessing; }
    // Back to the look it has before anything is saved.
    void ResetToReady() noexcept;
    // While the job's thread lives the project must not change under it.
    bool IsJobThreadAlive() const noexcept { return job_ && job_->IsThreadAlive(); }
    RenderJob* Job() noexcept { return job_.get(); }

protected:
    bool CreateContent() override;
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    enum class State { kReady, kProcessing, kDone };

    std::unique_ptr<RenderJob> job_;
    State state_ = State::kReady;
};

}  // namespace vorlune
