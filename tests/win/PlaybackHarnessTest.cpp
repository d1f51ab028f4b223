// The test machines have no sound card: the harness gives ALSA a silent
// default device so DirectShow can build and run real playback graphs.
#include <windows.h>

#include <dshow.h>

#include <gtest/gtest.h>

#include "support/Fixtures.h"
#include "win/ComApartment.h"
#include "win/ComPtr.h"

namespace vorlune {
namespace {

TEST(PlaybackHarness, AnMp3PlaysToTheEndFromASeekedPosition)
{
    ComApartment com;
    ASSERT_TRUE(com.Ok());
    const std::wstring song = test::FixturePath(L"mp3\\vbr-44100-1.mp3");
    ASSERT_FALSE(song.empty());

    ComPtr<IGraphBuilder> graph;
    ASSERT_HRESULT_SUCCEEDED(
        CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.PutVoid()));
    ASSERT_HRESULT_SUCCEEDED(graph->RenderFile(song.c_str(), nullptr));

    ComPtr<IMediaSeeking> seeking;
    ComPtr<IMediaControl> control;
    ComPtr<IMediaEvent> events;
    ASSERT_HRESULT_SUCCEEDED(graph.As(seeking));
    ASSERT_HRESULT_SUCCEEDED(graph.As(control));
    ASSERT_HRESULT_SUCCEEDED(graph->QueryInterface(IID_IMediaEvent, events.PutVoid()));
    LONGLONG duration = 0;
    ASSERT_HRESULT_SUCCEEDED(seeking->GetDuration(&duration));
    EXPECT_NEAR(double(duration) * 1e-7, 2.5, 0.1);

    // Half a second before the end, so the test plays only that.
    LONGLONG start = duration - 5000000;
    ASSERT_HRESULT_SUCCEEDED(
        seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning));
    ASSERT_HRESULT_SUCCEEDED(control->Run());
    long code = 0;
    EXPECT_HRESULT_SUCCEEDED(events->WaitForCompletion(10000, &code));
    EXPECT_EQ(code, EC_COMPLETE);
    control->Stop();
}

}  // namespace
}  // namespace vorlune
