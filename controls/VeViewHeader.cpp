#include "controls/VeViewHeader.h"

#include "controls/SkinArt.h"
#include "res/resource.h"

namespace vorlune {
namespace {

const WindowClass kClass{L"VeViewHeader"};

}  // namespace

VeViewHeader::~VeViewHeader() { Destroy(); }

HWND VeViewHeader::Create(HWND parent, const RECT& rect) noexcept
{
    return CreateWindowOf(kClass, parent, rect, kChildWindowStyle);
}

bool VeViewHeader::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (msg == WM_CREATE) {
        OnCreate();
        result = 0;
        return true;
    }
    return BufferedWindow::ProcessWindowMessage(msg, wParam, lParam, result);
}

void VeViewHeader::OnCreate() noexcept
{
    // A picture that fails to load stays empty and draws nothing.
    LoadSkinJpeg(IDJ_HEADER, background_);
    const int banners[kSteps] = {IDJ_STEP1, IDJ_STEP2, IDJ_STEP3};
    for (int i = 0; i < kSteps; ++i) LoadSkinJpeg(banners[i], banners_[i]);
}

void VeViewHeader::SetStep(int step) noexcept
{
    step = step < 0 ? 0 : step >= kSteps ? kSteps - 1 : step;
    if (step == step_) return;
    step_ = step;
    Repaint();
}

void VeViewHeader::Paint(HDC dc)
{
    background_.DrawAt(dc, 0, 0);
    banners_[step_].DrawAt(dc, 0, background_.Height());
}

}  // namespace vorlune
