#include "app/Step3Page.h"

#include <new>

namespace vorlune {

Step3Page::~Step3Page() { Destroy(); }

void Step3Page::ResetToReady() noexcept { state_ = State::kReady; }

bool Step3Page::CreateContent()
{
    job_.reset(new (std::nothrow) RenderJob(Hwnd(), &Project()));
    return job_ != nullptr;
}

void Step3Page::DrawContent(HDC) {}

bool Step3Page::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (msg) {
    case WM_DESTROY:
        job_.reset();  // cancels a running job and waits for its thread
        break;
    }
    return WizardPage::ProcessWindowMessage(msg, wParam, lParam, result);
}

}  // namespace vorlune
