#include "controls/PreviewPlayer.h"

#include <dshow.h>

namespace vorlune {
namespace {

// Position control needs both absolute seeking and a known duration.
constexpr DWORD kSeekCaps = AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanGetDuration;

}  // namespace

PreviewPlayer::~PreviewPlayer() { Close(); }

bool PreviewPlayer::CanSeek() const noexcept { return seeking_ && (capabilities_ & kSeekCaps) == kSeekCaps; }

bool PreviewPlayer::Load(const std::wstring& path) noexcept
{
    if (!notifyWindow_ || !IsWindow(notifyWindow_)) return false;
    Close();

    // Each step must hold; the first that fails leaves nothing half-built.
    const bool built =
        SUCCEEDED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                   graph_.PutVoid())) &&
        SUCCEEDED(graph_.As(control_)) &&
        SUCCEEDED(graph_->QueryInterface(IID_IMediaEventEx, events_.PutVoid())) && SUCCEEDED(graph_.As(seeking_)) &&
        SUCCEEDED(events_->SetNotifyWindow(reinterpret_cast<OAHWND>(notifyWindow_), long(notifyMessage_), 0)) &&
        SUCCEEDED(graph_->RenderFile(path.c_str(), nullptr));
    if (!built) {
        Close();
        return false;
    }
    DWORD caps = 0;
    seeking_->GetCapabilities(&caps);
    capabilities_ = caps;
    state_ = State::Stopped;
    return true;
}

bool PreviewPlayer::Play() noexcept
{
    if (state_ != State::Paused && state_ != State::Stopped) return false;
    // S_FALSE: the graph is still on its way to running and gets there by
    // itself; it accepts Pause or Stop meanwhile, so nothing waits for it.
    if (!control_ || FAILED(control_->Run())) return false;
    state_ = State::Playing;
    return true;
}

bool PreviewPlayer::Pause() noexcept
{
    if (state_ != State::Playing) return false;
    // S_FALSE here too means the pause is still under way.
    if (!control_ || FAILED(control_->Pause())) return false;
    state_ = State::Paused;
    return true;
}

bool PreviewPlayer::Stop() noexcept
{
    if (state_ == State::Closed) return false;
    if (state_ == State::Playing || state_ == State::Paused) {
        if (!control_ || FAILED(control_->Stop())) return false;
    }
    if (CanSeek()) {
        LONGLONG start = 0;
        seeking_->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
    }
    state_ = State::Stopped;
    return true;
}

void PreviewPlayer::Close() noexcept
{
    if (state_ == State::Playing || state_ == State::Paused) Stop();
    if (events_) events_->SetNotifyWindow(0, 0, 0);
    graph_.Reset();
    control_.Reset();
    events_.Reset();
    seeking_.Reset();
    capabilities_ = 0;
    state_ = State::Closed;
}

bool PreviewPlayer::GetDuration(int64_t* out) const noexcept
{
    LONGLONG value = 0;
    if (!out || !seeking_ || FAILED(seeking_->GetDuration(&value))) return false;
    *out = value;
    return true;
}

bool PreviewPlayer::GetCurrentPosition(int64_t* out) const noexcept
{
    LONGLONG value = 0;
    if (!out || !seeking_ || FAILED(seeking_->GetCurrentPosition(&value))) return false;
    *out = value;
    return true;
}

bool PreviewPlayer::GetStopPosition(int64_t* out) const noexcept
{
    LONGLONG value = 0;
    if (!out || !seeking_ || FAILED(seeking_->GetStopPosition(&value))) return false;
    *out = value;
    return true;
}

bool PreviewPlayer::SetCurrentPosition(int64_t time) noexcept
{
    if (!CanSeek()) return false;
    LONGLONG current = time;
    return SUCCEEDED(
        seeking_->SetPositions(&current, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning));
}

bool PreviewPlayer::SetStopPosition(int64_t time) noexcept
{
    if (!CanSeek()) return false;
    LONGLONG stop = time;
    return SUCCEEDED(
        seeking_->SetPositions(nullptr, AM_SEEKING_NoPositioning, &stop, AM_SEEKING_AbsolutePositioning));
}

bool PreviewPlayer::ProcessEvents(GraphEventSink* sink) noexcept
{
    if (!events_ || !sink) return false;
    // Our own reference: the sink may close or reload the player, and the
    // parameters it was handed must still be freed by the queue they came from.
    const ComPtr<IMediaEventEx> events = events_;
    for (;;) {
        long code = 0;
        LONG_PTR param1 = 0, param2 = 0;
        if (FAILED(events->GetEvent(&code, &param1, &param2, 0))) return true;
        sink->OnGraphEvent(code, param1, param2);
        if (FAILED(events->FreeEventParams(code, param1, param2))) return false;
        // The graph the events came from is gone: what is left of its queue is stale.
        if (events_.Get() != events.Get()) return true;
    }
}

}  // namespace vorlune
