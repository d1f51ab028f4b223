// The preview player over real DirectShow graphs (ALSA plays into a null
// device here): its state table, what Close and a failed Load leave behind,
// and graph events reaching the sink whole. A selection played to its end is
// tested with the page that plays it (Step2PageTest).
// The graph's events come as they do in the program: a notify message to a
// window of this thread, then ProcessEvents.

#include <dshow.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <vector>

#include "controls/ControlTesting.h"
#include "controls/PreviewPlayer.h"
#include "support/Fixtures.h"
#include "win/ComApartment.h"
#include "win/ComObject.h"
#include "win/Handle.h"

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

// A filter graph whose Stop never returns until the test lets it: a real
// graph behind it does everything else. It counts the graphs alive and
// notes the thread that let the last one go.
class StuckGraph final : public IFilterGraph2, public IMediaControl {
public:
    StuckGraph(IGraphBuilder* real, HANDLE release) : release_(release)
    {
        real->QueryInterface(IID_IFilterGraph2, graph_.PutVoid());
        graph_->QueryInterface(IID_IMediaControl, control_.PutVoid());
        ++alive;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_IFilterGraph || iid == IID_IGraphBuilder || iid == IID_IFilterGraph2)
            *out = static_cast<IFilterGraph2*>(this);
        else if (iid == IID_IMediaControl)
            *out = static_cast<IMediaControl*>(this);
        else
            return graph_->QueryInterface(iid, out);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG n = --refs_;
        if (n == 0) {
            lastReleaseThread = GetCurrentThreadId();
            --alive;
            delete this;
        }
        return n;
    }
    // The graph's own interfaces, passed on.
    HRESULT STDMETHODCALLTYPE AddFilter(IBaseFilter* f, LPCWSTR n) override { return graph_->AddFilter(f, n); }
    HRESULT STDMETHODCALLTYPE RemoveFilter(IBaseFilter* f) override { return graph_->RemoveFilter(f); }
    HRESULT STDMETHODCALLTYPE EnumFilters(IEnumFilters** e) override { return graph_->EnumFilters(e); }
    HRESULT STDMETHODCALLTYPE FindFilterByName(LPCWSTR n, IBaseFilter** f) override
    {
        return graph_->FindFilterByName(n, f);
    }
    HRESULT STDMETHODCALLTYPE ConnectDirect(IPin* a, IPin* b, const AM_MEDIA_TYPE* t) override
    {
        return graph_->ConnectDirect(a, b, t);
    }
    HRESULT STDMETHODCALLTYPE Reconnect(IPin* p) override { return graph_->Reconnect(p); }
    HRESULT STDMETHODCALLTYPE Disconnect(IPin* p) override { return graph_->Disconnect(p); }
    HRESULT STDMETHODCALLTYPE SetDefaultSyncSource() override { return graph_->SetDefaultSyncSource(); }
    HRESULT STDMETHODCALLTYPE Connect(IPin* a, IPin* b) override { return graph_->Connect(a, b); }
    HRESULT STDMETHODCALLTYPE Render(IPin* p) override { return graph_->Render(p); }
    HRESULT STDMETHODCALLTYPE RenderFile(LPCWSTR f, LPCWSTR l) override { return graph_->RenderFile(f, l); }
    HRESULT STDMETHODCALLTYPE AddSourceFilter(LPCWSTR f, LPCWSTR n, IBaseFilter** out) override
    {
        return graph_->AddSourceFilter(f, n, out);
    }
    HRESULT STDMETHODCALLTYPE SetLogFile(DWORD_PTR f) override { return graph_->SetLogFile(f); }
    HRESULT STDMETHODCALLTYPE Abort() override { return graph_->Abort(); }
    HRESULT STDMETHODCALLTYPE ShouldOperationContinue() override { return graph_->ShouldOperationContinue(); }
    HRESULT STDMETHODCALLTYPE AddSourceFilterForMoniker(IMoniker* m, IBindCtx* c, LPCWSTR n, IBaseFilter** f) override
    {
        return graph_->AddSourceFilterForMoniker(m, c, n, f);
    }
    HRESULT STDMETHODCALLTYPE ReconnectEx(IPin* p, const AM_MEDIA_TYPE* t) override
    {
        return graph_->ReconnectEx(p, t);
    }
    HRESULT STDMETHODCALLTYPE RenderEx(IPin* p, DWORD f, DWORD* c) override { return graph_->RenderEx(p, f, c); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Run() override { return control_->Run(); }
    HRESULT STDMETHODCALLTYPE Pause() override { return control_->Pause(); }
    // As a parser waiting on its streaming thread for good.
    HRESULT STDMETHODCALLTYPE Stop() override
    {
        WaitForSingleObject(release_, INFINITE);
        return control_->Stop();
    }
    HRESULT STDMETHODCALLTYPE GetState(LONG ms, OAFilterState* s) override { return control_->GetState(ms, s); }
    HRESULT STDMETHODCALLTYPE RenderFile(BSTR f) override { return control_->RenderFile(f); }
    HRESULT STDMETHODCALLTYPE AddSourceFilter(BSTR f, IDispatch** d) override { return control_->AddSourceFilter(f, d); }
    HRESULT STDMETHODCALLTYPE get_FilterCollection(IDispatch** d) override { return control_->get_FilterCollection(d); }
    HRESULT STDMETHODCALLTYPE get_RegFilterCollection(IDispatch** d) override
    {
        return control_->get_RegFilterCollection(d);
    }
    HRESULT STDMETHODCALLTYPE StopWhenReady() override { return control_->StopWhenReady(); }

    static inline std::atomic<int> alive{0};
    static inline std::atomic<DWORD> lastReleaseThread{0};

private:
    ~StuckGraph() = default;
    std::atomic<ULONG> refs_{1};
    HANDLE release_;
    ComPtr<IFilterGraph2> graph_;
    ComPtr<IMediaControl> control_;
};

// Hands out a stuck graph over a real one for every graph the player makes.
class StuckGraphFactory : public ComObject<IClassFactory> {
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        ComPtr<IGraphBuilder> graph;
        const HRESULT hr = real->CreateInstance(outer, IID_IGraphBuilder, graph.PutVoid());
        if (FAILED(hr)) return hr;
        auto* stuck = new StuckGraph(graph.Get(), release);
        const HRESULT answer = stuck->QueryInterface(iid, out);
        static_cast<IFilterGraph2*>(stuck)->Release();
        return answer;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

    ComPtr<IClassFactory> real;
    HANDLE release = nullptr;
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

TEST_F(PreviewPlayerTest, AGraphThatNeverAnswersStopIsGivenUpWithinABoundAndReleasedByTheThreadStuckInIt)
{
    // From here on every graph hangs in Stop until the test lets go.
    KernelHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    auto stuck = ComPtr<StuckGraphFactory>::Adopt(new StuckGraphFactory);
    stuck->real = spy->real;
    stuck->release = release.Get();
    CoRevokeClassObject(cookie);
    ASSERT_HRESULT_SUCCEEDED(CoRegisterClassObject(CLSID_FilterGraph, stuck.Get(), CLSCTX_INPROC_SERVER,
                                                   REGCLS_MULTIPLEUSE, &cookie));
    ASSERT_TRUE(player.Load(Song(L"mp3\\vbr-44100-1.mp3")));
    ASSERT_EQ(StuckGraph::alive, 1);

    // Stop answers after about the bound: the player has the song again in a
    // new graph and is stopped at its start.
    ASSERT_TRUE(player.Play());
    DWORD start = GetTickCount();
    EXPECT_TRUE(player.Stop());
    EXPECT_LT(GetTickCount() - start, PreviewPlayer::kAnswerMs + 2000);
    EXPECT_EQ(player.GetState(), State::Stopped);
    EXPECT_EQ(Position(), 0);
    EXPECT_EQ(StuckGraph::alive, 2);  // the first is still held by the call stuck in it

    // Close from a pause goes the same way, and leaves the player closed.
    ASSERT_TRUE(player.Play());
    ASSERT_TRUE(player.Pause());
    start = GetTickCount();
    player.Close();
    EXPECT_LT(GetTickCount() - start, PreviewPlayer::kAnswerMs + 2000);
    EXPECT_EQ(player.GetState(), State::Closed);
    EXPECT_FALSE(player.Play());

    // Once the graphs answer, the threads stuck in them let them go.
    SetEvent(release.Get());
    EXPECT_TRUE(PumpEvents([] { return StuckGraph::alive == 0; }, 10000)) << StuckGraph::alive << " graphs alive";
    EXPECT_NE(StuckGraph::lastReleaseThread, GetCurrentThreadId());
}

}  // namespace
}  // namespace vorlune
