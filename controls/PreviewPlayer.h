#pragma once

#include <windows.h>

// Only the interfaces: dshow.h brings strsafe.h, which poisons the C
// string functions of every file that includes the player.
#include <control.h>
#include <strmif.h>

#include <cstdint>
#include <string>

#include "win/ComPtr.h"

namespace vorlune {

// Gets the graph's events when the owner asks the player to process them.
class GraphEventSink {
public:
    virtual ~GraphEventSink() = default;
    virtual long OnGraphEvent(long code, LONG_PTR param1, LONG_PTR param2) noexcept = 0;
};

// Plays a song through a DirectShow graph built by RenderFile. A thin state
// machine over the graph; every call comes from the user-interface thread,
// and the graph reports only through the notify message posted to the
// notify window. Times are 100 ns units from the start of the file.
class PreviewPlayer {
public:
    enum class State { Playing = 0, Paused = 1, Stopped = 2, Closed = 3 };

    PreviewPlayer() noexcept = default;
    ~PreviewPlayer();
    PreviewPlayer(const PreviewPlayer&) = delete;
    PreviewPlayer& operator=(const PreviewPlayer&) = delete;

    // Where graph events are announced; set before Load.
    void SetNotify(HWND window, UINT message) noexcept
    {
        notifyWindow_ = window;
        notifyMessage_ = message;
    }

    bool Load(const std::wstring& path) noexcept;
    bool Play() noexcept;
    bool Pause() noexcept;
    bool Stop() noexcept;
    void Close() noexcept;

    bool GetDuration(int64_t* out) const noexcept;
    bool GetCurrentPosition(int64_t* out) const noexcept;
    bool GetStopPosition(int64_t* out) const noexcept;
    bool SetCurrentPosition(int64_t time) noexcept;
    bool SetStopPosition(int64_t time) noexcept;

    bool ProcessEvents(GraphEventSink* sink) noexcept;

    State GetState() const noexcept { return state_; }
    DWORD Capabilities() const noexcept { return capabilities_; }

private:
    bool CanSeek() const noexcept;

    HWND notifyWindow_ = nullptr;
    UINT notifyMessage_ = 0;
    State state_ = State::Closed;
    DWORD capabilities_ = 0;
    ComPtr<IGraphBuilder> graph_;
    ComPtr<IMediaControl> control_;
    ComPtr<IMediaEventEx> events_;
    ComPtr<IMediaSeeking> seeking_;
};

}  // namespace vorlune
