#include "controls/PreviewPlayer.h"

#include <dshow.h>
#include <process.h>

#include <atomic>
#include <new>
#include <utility>

#include "win/Handle.h"

namespace vorlune {
namespace {

// Position control needs both absolute seeking and a known duration.
constexpr DWORD kSeekCaps = AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanGetDuration;

// One control call, shared by the player and the thread that makes it. The
// last of the two to let go deletes it, and with it the graph when the
// player gave the graph up: a graph that hangs is released by the thread
// stuck in it, never by the user-interface thread.
struct ControlCall {
    std::atomic<LONG> holders{2};
    int call = 0;
    HRESULT result = E_FAIL;
    KernelHandle done{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    ComPtr<IMediaControl> control;
    ComPtr<IGraphBuilder> graph;  // given up graphs only
    ComPtr<IMediaEventEx> events;
    ComPtr<IMediaSeeking> seeking;

    void Let() noexcept
    {
        if (--holders == 0) delete this;
    }

    static unsigned __stdcall Make(void* self) noexcept
    {
        auto* c = static_cast<ControlCall*>(self);
        const HRESULT com = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        c->result = c->call == 0 ? c->control->Run() : c->call == 1 ? c->control->Pause() : c->control->Stop();
        // Let go of the graph before answering: a player that heard the
        // answer owns it alone, and its last release stays on its own thread.
        c->control.Reset();
        ::SetEvent(c->done.Get());
        c->Let();
        if (SUCCEEDED(com)) ::CoUninitialize();
        return 0;
    }
};

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
        BuildAudioGraph(path);
    if (!built) {
        Close();
        return false;
    }
    try {
        path_ = path;
    } catch (...) {
        Close();
        return false;
    }
    DWORD caps = 0;
    seeking_->GetCapabilities(&caps);
    capabilities_ = caps;
    state_ = State::Stopped;
    return true;
}

// The renderer goes in first and the source's pins are rendered to it alone:
// a pin that needs any other renderer (a video stream) stays unconnected.
bool PreviewPlayer::BuildAudioGraph(const std::wstring& path) noexcept
{
    ComPtr<IBaseFilter> renderer, source;
    ComPtr<IFilterGraph2> graph;
    ComPtr<IEnumPins> pins;
    if (FAILED(CoCreateInstance(CLSID_DSoundRender, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                renderer.PutVoid())) ||
        FAILED(graph_->AddFilter(renderer.Get(), L"Audio Renderer")) || FAILED(graph_.As(graph)) ||
        FAILED(graph_->AddSourceFilter(path.c_str(), path.c_str(), source.Put())) ||
        FAILED(source->EnumPins(pins.Put())))
        return false;
    bool rendered = false;
    ComPtr<IPin> pin;
    while (pins->Next(1, pin.Put(), nullptr) == S_OK) {
        PIN_DIRECTION direction = PINDIR_INPUT;
        if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == PINDIR_OUTPUT &&
            SUCCEEDED(graph->RenderEx(pin.Get(), AM_RENDEREX_RENDERTOEXISTINGRENDERERS, nullptr)))
            rendered = true;
    }
    return rendered;
}

bool PreviewPlayer::Answered(Call call, HRESULT& result) noexcept
{
    result = E_FAIL;
    if (!control_) return true;
    auto* shared = new (std::nothrow) ControlCall;
    if (!shared || !shared->done) {
        delete shared;
        return true;
    }
    shared->call = static_cast<int>(call);
    shared->control = control_;
    KernelHandle thread(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &ControlCall::Make, shared, 0, nullptr)));
    if (!thread) {
        delete shared;
        return true;
    }
    if (::WaitForSingleObject(shared->done.Get(), kAnswerMs) == WAIT_OBJECT_0) {
        result = shared->result;
        shared->Let();
        return true;
    }
    // No answer: the graph goes with the call, and nothing here touches it
    // again (even telling it to stop notifying could wait on the same lock).
    shared->graph = std::move(graph_);
    shared->events = std::move(events_);
    shared->seeking = std::move(seeking_);
    control_.Reset();
    capabilities_ = 0;
    state_ = State::Closed;
    shared->Let();
    return false;
}

void PreviewPlayer::Reload() noexcept
{
    std::wstring path;
    try {
        path = path_;
    } catch (...) {
        return;
    }
    Load(path);
}

bool PreviewPlayer::Play() noexcept
{
    if (state_ != State::Paused && state_ != State::Stopped) return false;
    // S_FALSE: the graph is still on its way to running and gets there by
    // itself; it accepts Pause or Stop meanwhile, so nothing waits for it.
    HRESULT hr = E_FAIL;
    if (!Answered(Call::kRun, hr)) {
        Reload();
        return false;
    }
    if (FAILED(hr)) return false;
    state_ = State::Playing;
    return true;
}

bool PreviewPlayer::Pause() noexcept
{
    if (state_ != State::Playing) return false;
    // S_FALSE here too means the pause is still under way.
    HRESULT hr = E_FAIL;
    if (!Answered(Call::kPause, hr)) {
        Reload();
        return false;
    }
    if (FAILED(hr)) return false;
    state_ = State::Paused;
    return true;
}

bool PreviewPlayer::Stop() noexcept
{
    if (state_ == State::Closed) return false;
    if (state_ == State::Playing || state_ == State::Paused) {
        HRESULT hr = E_FAIL;
        if (!Answered(Call::kStop, hr)) {
            Reload();
            return state_ == State::Stopped;
        }
        if (FAILED(hr)) return false;
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
    HRESULT hr = E_FAIL;
    if ((state_ == State::Playing || state_ == State::Paused) && !Answered(Call::kStop, hr)) return;  // given up
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
