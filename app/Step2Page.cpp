#include "app/Step2Page.h"

#include <atomic>
#include <utility>

#include <evcode.h>

#include "controls/SkinArt.h"
#include "controls/TimeTextDrawing.h"
#include "res/resource.h"

namespace vorlune {
namespace {

constexpr POINT kCaptionAt{145, 50};
constexpr POINT kPlayPauseAt{32, 113};
constexpr POINT kStopAt{65, 116};
constexpr POINT kTrackBarAt{91, 111};
constexpr POINT kPlayTimeAt{512, 122};
constexpr POINT kFadeInAt{333, 183};
constexpr POINT kFadeOutAt{423, 183};
constexpr UINT kTickMs = 100;

// Each page takes a timer id of its own, counting from 500600.
UINT_PTR NextTimerId() noexcept
{
    static std::atomic<UINT_PTR> next{500600};
    return next++;
}

// A fraction of the song in 100 ns units, truncated as DirectShow takes it.
int64_t TimeAt(double fraction, int64_t duration) noexcept
{
    return static_cast<int64_t>(fraction * static_cast<double>(duration));
}

// A time for the ear: "m:ss", or "h:mm:ss" from an hour on.
std::wstring Clock(int64_t seconds)
{
    const int64_t h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    return h > 0 ? std::to_wstring(h) + L':' + TwoDigits(m) + L':' + TwoDigits(s)
                 : std::to_wstring(m) + L':' + TwoDigits(s);
}

// The selection as a screen reader says it: "from 0:48 to 2:00 of 4:00";
// nothing without a song. The times are the tips' own.
std::wstring SelectionInWords(double start, double end, int64_t duration)
{
    if (duration <= 0) return std::wstring();
    const auto at = [&](double f) { return static_cast<int64_t>(f * static_cast<double>(duration) * 0.0001 + 0.5) / 1000; };
    return L"from " + Clock(at(start)) + L" to " + Clock(at(end)) + L" of " + Clock(duration / 10000000);
}

RECT RectInParent(HWND hwnd) noexcept
{
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    ::MapWindowPoints(nullptr, ::GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace

Step2Page::Step2Page(WizardView* view) noexcept
    : WizardPage(view),
      fadeIn_(IDB_FADE_IN, IDB_FADE_IN_CHECKED, ID_STEP2_FADE_IN, L"Fade In"),
      fadeOut_(IDB_FADE_OUT, IDB_FADE_OUT_CHECKED, ID_STEP2_FADE_OUT, L"Fade Out"),
      timerId_(NextTimerId())
{
}

Step2Page::~Step2Page() { Destroy(); }

bool Step2Page::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (msg) {
    case WM_DESTROY:
        OnDestroy();
        break;
    case WM_COMMAND:
        if (HIWORD(wParam) != 0) break;
        if (LOWORD(wParam) == ID_STEP2_PLAY_PAUSE) {
            OnPlayPause();
            result = 0;
            return true;
        }
        if (LOWORD(wParam) == ID_STEP2_STOP) {
            OnStop();
            result = 0;
            return true;
        }
        break;
    case WM_TIMER:
        if (wParam != timerId_) break;
        if (timer_.Running()) RefreshPosition();
        result = 0;
        return true;
    case WM_PLAYER_GRAPHEVENT:
        player_.ProcessEvents(this);
        result = 0;
        return true;
    case WM_TRACKBAR_RANGECHANGED:
        OnRangeChanged(wParam != 0);
        result = 0;
        return true;
    case WM_TRACKBAR_SEEK:
        OnSeek(static_cast<int>(static_cast<LONG_PTR>(wParam)));
        result = 0;
        return true;
    }
    return WizardPage::ProcessWindowMessage(msg, wParam, lParam, result);
}

bool Step2Page::CreateContent()
{
    LoadSkinJpeg(IDJ_DRAG_PROMPT, caption_);  // a missing caption leaves its place blank
    HWND page = Hwnd();
    if (!playPause_.CreateFromStrip(page, kPlayPauseAt, ID_STEP2_PLAY_PAUSE, LoadSkinStrip(IDB_PLAY, 3), 3, L"Play") ||
        !stop_.CreateFromStrip(page, kStopAt, ID_STEP2_STOP, LoadSkinStrip(IDB_STOP, 4), 4, L"Stop"))
        return false;
    // The two buttons show only an icon: their tooltips say what they do.
    playPause_.SetToolTipText(L"Play");
    playPause_.SetShortcut(L"Space");
    stop_.SetToolTipText(L"Stop");
    stop_.SetShortcut(L"Esc");
    spareLook_ = LoadSkinStrip(IDB_PAUSE, 3);
    showsPause_ = false;
    ::EnableWindow(stop_.Hwnd(), FALSE);  // nothing to stop yet
    if (!trackBar_.Create(page, kTrackBarAt) || !playTime_.Create(page, kPlayTimeAt) || !startTip_.Create(page) ||
        !endTip_.Create(page) || !fadeIn_.Create(page, kFadeInAt) || !fadeOut_.Create(page, kFadeOutAt))
        return false;
    player_.SetNotify(page, WM_PLAYER_GRAPHEVENT);
    return true;
}

std::vector<HWND> Step2Page::TabStops() const
{
    return {playPause_.Hwnd(), stop_.Hwnd(), trackBar_.Hwnd(), fadeIn_.Button().Hwnd(), fadeOut_.Button().Hwnd()};
}

void Step2Page::OnDestroy() noexcept
{
    timer_.Stop();
    player_.Close();
}

void Step2Page::DrawContent(HDC dc) { caption_.DrawAt(dc, kCaptionAt); }

bool Step2Page::LoadSong(const std::wstring& path) noexcept
{
    ++songLoads_;
    timer_.Stop();  // the player drops the old song, playing or not
    if (!player_.Load(path)) {
        // The old song went with the failed load: nothing of it stays shown,
        // and it loads again when it comes back.
        loadedPath_.clear();
        trackBar_.ResetRange(false);
        playTime_.SetDuration(0, false);
        Refresh();
        return false;
    }
    try {
        loadedPath_ = path;
    } catch (...) {
        player_.Close();
        loadedPath_.clear();
        return false;
    }
    trackBar_.ResetRange(false);
    playTime_.SetDuration(Duration(), false);
    Refresh();
    return true;
}

void Step2Page::StopIfPlaying() noexcept
{
    if (player_.GetState() == PreviewPlayer::State::Playing) OnStop();
}

void Step2Page::OnPlayPause() noexcept
{
    using State = PreviewPlayer::State;
    switch (player_.GetState()) {
    case State::Playing:
        player_.Pause();
        break;
    case State::Stopped: {
        // Always from the selection's start, and only to its end.
        const int64_t duration = Duration();
        player_.SetCurrentPosition(TimeAt(GetStartFraction(), duration));
        player_.SetStopPosition(TimeAt(GetEndFraction(), duration));
    }
        [[fallthrough]];
    case State::Paused:
        if (player_.Play() && ::IsWindow(Hwnd())) timer_.Start(Hwnd(), timerId_, kTickMs);
        break;
    case State::Closed:
        break;
    }
    FollowPlayer();
}

void Step2Page::OnStop() noexcept
{
    player_.Stop();
    FollowPlayer();
}

// The timer runs only while the player plays, also when the player gave up
// a graph that did not answer and is stopped against what was asked.
void Step2Page::FollowPlayer() noexcept
{
    if (player_.GetState() != PreviewPlayer::State::Playing) timer_.Stop();
    Refresh();
}

long Step2Page::OnGraphEvent(long code, LONG_PTR, LONG_PTR) noexcept
{
    if (code == EC_COMPLETE) OnStop();  // the end of the selection
    return 0;
}

void Step2Page::OnRangeChanged(bool startThumb) noexcept
{
    using State = PreviewPlayer::State;
    const State before = player_.GetState();
    const int64_t duration = Duration(), position = Position();
    if (startThumb) {
        // A start moved past the position jumps there; one moved back leaves
        // playback where it is.
        const int64_t start = TimeAt(GetStartFraction(), duration);
        if (start > position) player_.SetCurrentPosition(start);
    } else {
        const int64_t end = TimeAt(GetEndFraction(), duration);
        int64_t stopAt = 0;
        player_.GetStopPosition(&stopAt);
        if (end != stopAt) {
            if (position >= end) {
                OnStop();  // the end came before the position; refreshes all
                return;
            }
            if (before == State::Playing || before == State::Paused) {
                player_.Stop();
                player_.SetCurrentPosition(position);
                player_.SetStopPosition(end);
                if (before == State::Playing) player_.Play();
            }
        }
    }
    const State now = player_.GetState();
    if (now == before) {
        RefreshTips();
        return;
    }
    // A pause became a stop, or playback did not start again: the buttons
    // and the timer follow.
    if (now != State::Playing) timer_.Stop();
    Refresh();
}

void Step2Page::OnSeek(int x) noexcept
{
    player_.SetCurrentPosition(TimeAt(trackBar_.FractionFromX(x), Duration()));
    RefreshPosition();
}

void Step2Page::Refresh() noexcept
{
    RefreshButtons();
    RefreshPosition();
    RefreshTips();
}

void Step2Page::RefreshButtons() noexcept
{
    const PreviewPlayer::State state = player_.GetState();
    const bool playing = state == PreviewPlayer::State::Playing;
    if (playing != showsPause_ && playPause_.IsAlive()) {
        spareLook_ = playPause_.SetImageList(std::move(spareLook_));
        showsPause_ = playing;
        const wchar_t* name = playing ? L"Pause" : L"Play";
        playPause_.SetName(name);
        playPause_.SetToolTipText(name);
        playPause_.Repaint();
    }
    if (stop_.IsAlive()) ::EnableWindow(stop_.Hwnd(), state != PreviewPlayer::State::Stopped);
}

void Step2Page::RefreshPosition() noexcept
{
    const int64_t duration = Duration(), position = Position();
    if (duration > 0 && trackBar_.IsAlive())
        trackBar_.SetPlayFraction(static_cast<double>(position) / static_cast<double>(duration), true);
    if (playTime_.IsAlive()) playTime_.SetPosition(position, true);
}

void Step2Page::RefreshTips() noexcept
{
    if (!trackBar_.IsAlive()) return;
    const int64_t duration = Duration();
    PlaceTip(startTip_, GetStartFraction(), trackBar_.StartX(), true, duration);
    PlaceTip(endTip_, GetEndFraction(), trackBar_.EndX(), false, duration);
    try {
        trackBar_.SetAccessibleValue(SelectionInWords(GetStartFraction(), GetEndFraction(), duration));
    } catch (...) {
    }
}

// The start tip ends on the start column, the end tip begins on the end
// column; both stand on the track bar's top edge.
void Step2Page::PlaceTip(VeTimeTipsCtrl& tip, double fraction, int column, bool endsOnColumn,
                         int64_t duration) noexcept
{
    if (!tip.IsAlive()) return;
    tip.SetTime(static_cast<int>(fraction * static_cast<double>(duration) * 0.0001 + 0.5));
    const RECT size = RectInParent(tip.Hwnd()), bar = RectInParent(trackBar_.Hwnd());
    const int width = size.right - size.left, height = size.bottom - size.top;
    const int x = bar.left + column - (endsOnColumn ? width : 0), y = bar.top - height;
    ::SetWindowPos(tip.Hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The style, not IsWindowVisible: the page itself may be hidden.
    if (!(::GetWindowLongPtrW(tip.Hwnd(), GWL_STYLE) & WS_VISIBLE)) {
        ::ShowWindow(tip.Hwnd(), SW_SHOW);
    } else {
        const RECT placed{x, y, x + width, y + height};
        ::InvalidateRect(Hwnd(), &placed, FALSE);
        ::UpdateWindow(Hwnd());
    }
}

int64_t Step2Page::Duration() const noexcept
{
    int64_t duration = 0;
    return player_.GetDuration(&duration) ? duration : 0;
}

int64_t Step2Page::Position() const noexcept
{
    int64_t position = 0;
    return player_.GetCurrentPosition(&position) ? position : 0;
}

}  // namespace vorlune
