#include "app/WizardView.h"

#include <algorithm>

#include "app/AppMessageBox.h"
#include "app/FailureText.h"
#include "audio/RingtoneProject.h"

namespace vorlune {
namespace {

const WindowClass kClass{L"VeView"};

constexpr int kSteps = VeViewHeader::kSteps;

}  // namespace

WizardView::WizardView(RingtoneProject* project) noexcept
    : project_(project), step1_(this), step2_(this), step3_(this)
{
}

WizardView::~WizardView() { Destroy(); }

HWND WizardView::Create(HWND parent, const RECT& rect) noexcept
{
    return CreateWindowOf(kClass, parent, rect, kChildWindowStyle);
}

bool WizardView::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    switch (msg) {
    case WM_CREATE:
        result = OnCreate() ? 0 : -1;
        return true;
    case WM_DESTROY:
        OnDestroy();
        return true;
    case WM_SIZE:
        Layout();
        return true;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    }
    return Window::ProcessWindowMessage(msg, wParam, lParam, result);
}

bool WizardView::OnCreate() noexcept
{
    if (!header_.Create(Hwnd(), RECT{}) || !footer_.Create(Hwnd(), RECT{}) || !stack_.Create(Hwnd(), RECT{}))
        return false;
    WizardPage* pages[kSteps] = {&step1_, &step2_, &step3_};
    for (WizardPage* page : pages)
        if (!page->Create(stack_.Hwnd())) return false;
    for (WizardPage* page : pages)
        if (stack_.AddPage(page->Hwnd()) < 0) return false;
    const int old = stack_.GetActivePage();
    if (old != 0 && stack_.SetActivePage(0)) OnStepChanged(old, 0);
    if (MessageLoop* loop = MessageLoop::Current()) loop->AddIdleHandler(this);
    return true;
}

void WizardView::OnDestroy() noexcept
{
    if (MessageLoop* loop = MessageLoop::Current()) loop->RemoveIdleHandler(this);
}

void WizardView::Layout() noexcept
{
    const RECT r = ClientRect();
    if (::IsRectEmpty(&r)) return;
    constexpr UINT kFlags = SWP_NOZORDER | SWP_NOACTIVATE;
    ::SetWindowPos(header_.Hwnd(), nullptr, r.left, r.top, r.right - r.left, kHeaderHeight, kFlags);
    ::SetWindowPos(stack_.Hwnd(), nullptr, r.left, r.top + kHeaderHeight, r.right - r.left,
                   r.bottom - kFooterHeight - (r.top + kHeaderHeight), kFlags);
    ::SetWindowPos(footer_.Hwnd(), nullptr, r.left, r.bottom - kFooterHeight, r.right - r.left, kFooterHeight,
                   kFlags);
}

void WizardView::Back() noexcept
{
    header_.PreviousStep();
    GoTo(Step() - 1);
}

void WizardView::Next() noexcept
{
    header_.NextStep();
    GoTo(Step() + 1);
}

void WizardView::NextWithNewSong() noexcept
{
    // From step 1 on as Next goes; from steps 2 and 3 to step 2 with the new
    // song, so that the user sees and can hear the range before a save.
    switch (Step()) {
    case 0:
        Next();
        break;
    case 1:
        OnStepChanged(1, 1);
        break;
    default:
        header_.PreviousStep();
        GoTo(1);
        break;
    }
}

void WizardView::RefuseSong() noexcept
{
    try {
        const std::wstring path = project_->sourcePath;
        ShowOpenError(::GetAncestor(Hwnd(), GA_ROOT), path.c_str(), kSongCannotPlay);
    } catch (...) {
    }
    project_->Reset();
    New();
}

void WizardView::New() noexcept
{
    header_.FirstStep();
    GoTo(0);
}

void WizardView::GoTo(int step) noexcept
{
    const int old = Step();
    step = step < 0 ? 0 : step >= kSteps ? kSteps - 1 : step;
    // A focus on one of the controls is the keyboard's: it goes on to the
    // new page's first control, not to the button that may now be disabled.
    HWND focus = ::GetFocus();
    const bool onControl = focus && ::IsChild(Hwnd(), focus);
    if (step == old || !stack_.SetActivePage(step)) return;
    OnStepChanged(old, step);
    if (!onControl) return;
    if (WizardPage* page = Page(step)) page->FocusFirstStop();
}

void WizardView::OnStepChanged(int old, int now) noexcept
{
    RingtoneProject& project = *project_;
    // Leaving step 2 ends playback; a pause stays a pause.
    if (old == 1) step2_.StopIfPlaying();
    // Steps 2 and 3 work on the song step 2 holds: it must be the project's
    // however the step was reached, also by Open from step 2 straight to
    // step 3, or step 3 would cut the new song at the old one's selection.
    if ((now == 1 || now == 2) && project.sourcePath != step2_.LoadedSongPath() &&
        !step2_.LoadSong(project.sourcePath))
        return RefuseSong();
    if (now == 2) {
        project.SetSelection(step2_.GetStartFraction(), step2_.GetEndFraction());  // stored in order
        project.fadeIn = step2_.FadeIn() ? 1 : 0;
        project.fadeOut = step2_.FadeOut() ? 1 : 0;
        step3_.ResetToReady();
    }
}

WizardPage* WizardView::Page(int step) noexcept
{
    switch (step) {
    case 0:
        return &step1_;
    case 1:
        return &step2_;
    case 2:
        return &step3_;
    }
    return nullptr;
}

std::vector<HWND> WizardView::TabOrder() noexcept
{
    std::vector<HWND> order;
    try {
        if (WizardPage* page = Page(Step())) order = page->TabStops();
        order.push_back(footer_.BackButton().Hwnd());
        order.push_back(footer_.NextButton().Hwnd());
    } catch (...) {
    }
    order.erase(std::remove_if(order.begin(), order.end(), [](HWND hwnd) { return !CanTakeFocus(hwnd); }),
                order.end());
    return order;
}

void WizardView::MoveFocus(bool backward) noexcept
{
    const std::vector<HWND> order = TabOrder();
    if (order.empty()) return;
    const auto n = static_cast<ptrdiff_t>(order.size());
    const ptrdiff_t at = std::find(order.begin(), order.end(), ::GetFocus()) - order.begin();
    // From outside the order: the first control, or the last going back.
    const ptrdiff_t to = at == n ? (backward ? n - 1 : 0) : (at + (backward ? n - 1 : 1)) % n;
    ::SetFocus(order[static_cast<size_t>(to)]);
}

void WizardView::DefaultAction() noexcept
{
    if (Step() == kSteps - 1)
        step3_.PressSave();
    else
        footer_.NextButton().Click();
}

void WizardView::SaveByKey() noexcept
{
    if (Step() == kSteps - 1) step3_.PressSave();
}

bool WizardView::RestoreKeyFocus() noexcept
{
    if (!keyFocus_) return false;
    if (::IsChild(Hwnd(), keyFocus_) && CanTakeFocus(keyFocus_)) {
        ::SetFocus(keyFocus_);
        return true;
    }
    const std::vector<HWND> order = TabOrder();
    if (order.empty()) return false;
    ::SetFocus(order.front());
    return true;
}

bool WizardView::HandleKey(const MSG& msg) noexcept
{
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    HWND frame = ::GetAncestor(Hwnd(), GA_ROOT);
    if (!msg.hwnd || (msg.hwnd != frame && !::IsChild(frame, msg.hwnd))) return false;  // a dialog's
    HWND focus = ::GetFocus();
    // Without a focus the keys come to the frame as system keys: the Alt
    // flag, or Alt held down, tells Alt+key.
    const bool alt = (HIWORD(msg.lParam) & KF_ALTDOWN) != 0 || ::GetKeyState(VK_MENU) < 0;
    const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
    const bool mine = focus && ::IsChild(Hwnd(), focus);
    const bool onButton = mine && (::SendMessageW(focus, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON);
    // A key that moves about or presses (not a Ctrl shortcut, not a
    // modifier alone) shows the focus from now on, and the focus is the
    // keyboard's: it comes back after a dialog.
    const bool modifier = msg.wParam == VK_SHIFT || msg.wParam == VK_CONTROL || msg.wParam == VK_MENU;
    if (!ctrl && !modifier) {
        if (!FocusCuesShown(frame)) {
            SetFocusCuesShown(frame, true);
            if (focus) ::InvalidateRect(focus, nullptr, FALSE);
        }
        keyFocus_ = mine ? focus : Hwnd();
    }
    switch (msg.wParam) {
    case VK_TAB:
        if (alt || ctrl) return false;
        if (mine && (::SendMessageW(focus, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)) & DLGC_WANTTAB))
            return false;  // the track bar's own Tab, from one thumb to the other
        MoveFocus(::GetKeyState(VK_SHIFT) < 0);
        if (HWND now = ::GetFocus()) keyFocus_ = now;
        return true;
    case VK_LEFT:
    case VK_RIGHT:
        if (!alt) return false;
        // As the footer's buttons are clicked: only while enabled. The key
        // still goes on to the default handling, which must see a key
        // between Alt's press and release, or it opens the system menu.
        (msg.wParam == VK_LEFT ? footer_.BackButton() : footer_.NextButton()).Click();
        return false;
    case VK_RETURN:
        if (alt || ctrl) return false;
        if (onButton)
            ::SendMessageW(focus, BM_CLICK, 0, 0);
        else
            DefaultAction();
        return true;
    case VK_SPACE:
        if (alt || ctrl || onButton || Step() != 1) return false;
        step2_.PressPlayPause();
        return true;
    case VK_ESCAPE:
        if (Step() != 1) return false;
        step2_.PressStop();
        return true;
    }
    return false;
}

bool WizardView::OnIdle()
{
    WizardPage* page = Page(Step());
    if (!page) return false;
    if (footer_.BackButton().IsAlive()) ::EnableWindow(footer_.BackButton().Hwnd(), page->CanGoBack());
    if (footer_.NextButton().IsAlive()) ::EnableWindow(footer_.NextButton().Hwnd(), page->CanGoNext());
    step1_.RefreshIfChanged();
    return false;
}

}  // namespace vorlune
