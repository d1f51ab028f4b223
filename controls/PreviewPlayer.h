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

// Plays a song through a DirectShow graph that holds the song's source and
// the audio renderer only: its pins are rendered to that renderer, so no
// video path is ever built, whatever the file holds. A thin state machine
// over the graph; every call comes from the user-interface thread, and the
// graph reports only through the notify message posted to the notify window.
// Times are 100 ns units from the start of the file.
//
// Run, Pause and Stop are waited for about a second at most: a graph that
// does not answer by then is given up (released by the thread that waits on
// it, whenever its call returns) and the song is loaded into a new one, so
// the player is stopped.
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

    // How long Run, Pause and Stop are waited for.
    static constexpr DWORD kAnswerMs = 1000;

private:
    enum class Call { kRun, kPause, kStop };
    bool CanSeek() const noexcept;
    bool BuildAudioGraph(const std::wstring& path) noexcept;
    // The control call, on a thread of its own, waited for up to kAnswerMs;
    // false when the graph did not answer, after which the player holds no
    // graph and is closed.
    bool Answered(Call call, HRESULT& result) noexcept;
    // The song again in a new graph, after one was given up.
    void Reload() noexcept;

    HWND notifyWindow_ = nullptr;
    UINT notifyMessage_ = 0;
    State state_ = State::Closed;
    DWORD capabilities_ = 0;
    ComPtr<IGraphBuilder> graph_;
    ComPtr<IMediaControl> control_;
    ComPtr<IMediaEventEx> events_;
    ComPtr<IMediaSeeking> seeking_;
    std::wstring path_;
};

}  // namespace vorlune
