// The preview player over real DirectShow graphs (ALSA plays into a null
// device here): its state table, what Close and a failed Load leave behind,
// and graph events reaching the sink whole. A selection played to its end is
// tested with the page that plays it (Step2PageTest).
// The graph's events come as they do in the program: a notify message to a
// window of this thread, then ProcessEvents.

#include <dshow.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "controls/ControlTesting.h"
#include "controls/PreviewPlayer.h"
#include "support/Fixtures.h"
#include "win/ComApartment.h"
#include "win/ComObject.h"

namespace vorlune {
namespace {

constexpr UINT kNotify = WM_APP + 1002;
constexpr int64_t kSecond = 10000000;

struct GraphEvent {
    long code;
    LONG_PTR param1, param2;
};

class RecordingSink : public GraphEventSink {
public:
    long OnGraphEvent(long code, LONG_PTR param1, LONG_PTR param2) noexcept override
    {
        events.push_back({code, param1, param2});
        if (then) then(events.back());
        return 0;
    }
    std::vector<GraphEvent> events;
    std::function<void(const GraphEvent&)> then;
};

// Hands out real filter graphs in this apartment and keeps the last one, so
// a test can reach the graph the player made.
class GraphSpy : public ComObject<IClassFactory> {
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        graph.Reset();
        const HRESULT hr = real->CreateInstance(outer, IID_IGraphBuilder, graph.PutVoid());
        if (FAILED(hr)) return hr;
        return graph->QueryInterface(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

    ComPtr<IClassFactory> real;
    ComPtr<IGraphBuilder> graph;
};

class PreviewPlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(com.Ok());
        ASSERT_NE(host.Create(), nullptr);
        player.SetNotify(host.Hwnd(), kNotify);
        spy = ComPtr<GraphSpy>::Adopt(new GraphSpy);
        ASSERT_HRESULT_SUCCEEDED(CoGetClassObject(CLSID_FilterGraph, CLSCTX_INPROC_SERVER, nullptr,
                                                  IID_IClassFactory, spy->real.PutVoid()));
        ASSERT_HRESULT_SUCCEEDED(CoRegisterClassObject(CLSID_FilterGraph, spy.Get(), CLSCTX_INPROC_SERVER,
                                                       REGCLS_MULTIPLEUSE, &cookie));
    }
    void TearDown() override
    {
        player.Close();
        if (cookie) CoRevokeClassObject(cookie);
        if (spy) spy->graph.Reset();
    }

    std::wstring Song(const wchar_t* name)
    {
        const std::wstring path = test::FixturePath(name);
        EXPECT_FALSE(path.empty()) << "fixtures missing";
        return path;
    }

    // Serves this thread's windows, handing the graph's events to the sink
    // whenever the notify message comes, until done() or the time is up.
    bool PumpEvents(const std::function<bool()>& done, DWORD timeoutMs)
    {
        const DWORD start = GetTickCount();
        while (!done()) {
            MSG msg;
            if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == kNotify && msg.hwnd == host.Hwnd()) {
                    // A message queued before Close finds no events to read.
                    const bool open = player.GetState() != PreviewPlayer::State::Closed;
                    EXPECT_EQ(player.ProcessEvents(&sink), open);
                } else {
                    TranslateMessage(&msg);
                    DispatchMessageW(&msg);
                }
                continue;
            }
            if (GetTickCount() - start >= timeoutMs) return done();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
        return true;
    }

    int64_t Position()
    {
        int64_t p = -1;
        EXPECT_TRUE(player.GetCurrentPosition(&p));
        return p;
    }

    ComApartment com;
    test::HostWindow host;
    PreviewPlayer player;
    RecordingSink sink;
    ComPtr<GraphSpy> spy;
    DWORD cookie = 0;
};

using State = PreviewPlayer::State;

TEST_F(PreviewPlayerTest, FollowsTheStateTableAndRefusesWhatItDoesNotAllow)
{
    int64_t t = 0;
    EXPECT_EQ(player.GetState(), State::Closed);
    EXPECT_FALSE(player.Play());
    EXPECT_FALSE(player.Pause());
    EXPECT_FALSE(player.Stop());
    EXPECT_FALSE(player.GetDuration(&t));
    EXPECT_FALSE(player.ProcessEvents(&sink));

    ASSERT_TRUE(player.Load(Song(L"mp3\\vbr-44100-1.mp3")));
    EXPECT_EQ(player.GetState(), State::Stopped);
    EXPECT_EQ(player.Capabilities() & 0x21u, 0x21u);
    ASSERT_TRUE(player.GetDuration(&t));
    EXPECT_NEAR(double(t) / kSecond, 2.5, 0.1);
    EXPECT_FALSE(player.ProcessEvents(nullptr));
    EXPECT_FALSE(player.GetCurrentPosition(nullptr));
    EXPECT_FALSE(player.Pause());
    EXPECT_EQ(player.GetState(), State::Stopped);

    // Run from Stopped answers S_FALSE here (the renderer has no sample yet).
    ASSERT_TRUE(player.Play());
    EXPECT_EQ(player.GetState(), State::Playing);
    EXPECT_FALSE(player.Play());
    EXPECT_EQ(player.GetState(), State::Playing);
    ASSERT_TRUE(player.Pause());
    EXPECT_EQ(player.GetState(), State::Paused);
    EXPECT_FALSE(player.Pause());
    EXPECT_EQ(player.GetState(), State::Paused);
    ASSERT_TRUE(player.Play());
    EXPECT_EQ(player.GetState(), State::Playing);

    // Stop rewinds; a second Stop only rewinds again.
    ASSERT_TRUE(player.Stop());
    EXPECT_EQ(player.GetState(), State::Stopped);
    EXPECT_EQ(Position(), 0);
    ASSERT_TRUE(player.SetCurrentPosition(kSecond));
    EXPECT_NEAR(double(Position()), double(kSecond), 0.01 * kSecond);
    EXPECT_TRUE(player.Stop());
    EXPECT_EQ(player.GetState(), State::Stopped);
    EXPECT_EQ(Position(), 0);

    // From Paused, Stop goes straight to Stopped too.
    ASSERT_TRUE(player.Play());
    ASSERT_TRUE(player.Pause());
    ASSERT_TRUE(player.Stop());
    EXPECT_EQ(player.GetState(), State::Stopped);
}

TEST_F(PreviewPlayerTest, CloseAndFailedLoadsLeaveNothingBehind)
{
    // No notify window: nothing is built at all.
    PreviewPlayer silent;
    EXPECT_FALSE(silent.Load(Song(L"mp3\\vbr-44100-1.mp3")));
    HWND gone = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    silent.SetNotify(gone, kNotify);
    EXPECT_FALSE(silent.Load(Song(L"mp3\\vbr-44100-1.mp3")));
    EXPECT_EQ(silent.GetState(), State::Closed);
    EXPECT_FALSE(spy->graph);

    // Closing a playing graph: the player keeps no reference to it, and
    // every call fails as on a player that never loaded.
    ASSERT_TRUE(player.Load(Song(L"mp3\\vbr-44100-1.mp3")));
    ASSERT_TRUE(player.Play());
    player.Close();
    int64_t t = 0;
    EXPECT_EQ(player.GetState(), State::Closed);
    EXPECT_EQ(player.Capabilities(), 0u);
    EXPECT_FALSE(player.GetDuration(&t) || player.GetCurrentPosition(&t) || player.GetStopPosition(&t));
    EXPECT_FALSE(player.SetCurrentPosition(0) || player.SetStopPosition(0));
    EXPECT_FALSE(player.Play() || player.Pause() || player.Stop() || player.ProcessEvents(&sink));
    ASSERT_TRUE(spy->graph);
    EXPECT_EQ(spy->graph.Detach()->Release(), 0u);

    // A file DirectShow cannot render closes what was loaded before and
    // releases the half-built graph.
    ASSERT_TRUE(player.Load(Song(L"mp3\\vbr-44100-1.mp3")));
    EXPECT_FALSE(player.Load(Song(L"mp3\\text.mp3")));
    EXPECT_EQ(player.GetState(), State::Closed);
    EXPECT_EQ(player.Capabilities(), 0u);
    EXPECT_FALSE(player.Play());
    ASSERT_TRUE(spy->graph);
    EXPECT_EQ(spy->graph.Detach()->Release(), 0u);
}

TEST_F(PreviewPlayerTest, HandsEveryEventToTheSinkWithItsFullParameters)
{
    ASSERT_TRUE(player.Load(Song(L"mp3\\vbr-44100-1.mp3")));
    ComPtr<IMediaEventSink> graphSink;
    ASSERT_HRESULT_SUCCEEDED(spy->graph->QueryInterface(IID_IMediaEventSink, graphSink.PutVoid()));

    // Pointer-sized parameters with their top bits in use (beyond 32 bits
    // in the 64-bit build).
    const LONG_PTR high = (LONG_PTR(1) << (sizeof(LONG_PTR) * 8 - 2)) | 0x1234;
    ASSERT_HRESULT_SUCCEEDED(graphSink->Notify(EC_USER + 1, high, -high));
    ASSERT_HRESULT_SUCCEEDED(graphSink->Notify(EC_USER + 2, -1, high + 1));
    ASSERT_TRUE(PumpEvents([&] { return sink.events.size() >= 2; }, 5000));
    ASSERT_EQ(sink.events.size(), 2u);
    EXPECT_EQ(sink.events[0].code, EC_USER + 1);
    EXPECT_EQ(sink.events[0].param1, high);
    EXPECT_EQ(sink.events[0].param2, -high);
    EXPECT_EQ(sink.events[1].code, EC_USER + 2);
    EXPECT_EQ(sink.events[1].param1, -1);
    EXPECT_EQ(sink.events[1].param2, high + 1);

    // A sink that closes the player ends the loop: the rest of the queue
    // belonged to the graph that is gone.
    sink.events.clear();
    sink.then = [&](const GraphEvent&) { player.Close(); };
    ASSERT_HRESULT_SUCCEEDED(graphSink->Notify(EC_USER + 3, 0, 0));
    ASSERT_HRESULT_SUCCEEDED(graphSink->Notify(EC_USER + 4, 0, 0));
    ASSERT_TRUE(PumpEvents([&] { return !sink.events.empty(); }, 5000));
    PumpEvents([] { return false; }, 100);
    ASSERT_EQ(sink.events.size(), 1u);
    EXPECT_EQ(sink.events[0].code, EC_USER + 3);
    EXPECT_EQ(player.GetState(), State::Closed);
}

}  // namespace
}  // namespace vorlune
