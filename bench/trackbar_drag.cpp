// Times the range track bar while a thumb is dragged: each mouse move that
// changes the column repaints the control at once (the buffered paint of
// its six layers onto the screen) and tells the parent. Also the paint alone
// through WM_PRINTCLIENT into a memory DC. The skin comes from vorlune.exe
// beside the bench folder. Prints microseconds per frame.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchWindows.h"
#include "controls/VeTrackBarCtrl.h"
#include "gfx/Surface.h"
#include "win/AppModule.h"
#include "win/Handle.h"

using namespace vorlune;

namespace {

}  // namespace

int wmain()
{
    const HMODULE skin = LoadProgramSkin();
    if (!skin) {
        std::fprintf(stderr, "vorlune.exe is missing beside the bench folder\n");
        return 1;
    }
    AppModule::SetResourceInstance(skin);
    // A plain shown parent: the control paints for real, and the parent
    // ignores what it is told.
    HWND host = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 600, 250,
                                  nullptr, nullptr, nullptr, nullptr);
    VeTrackBarCtrl track;
    if (!host || !track.Create(host, POINT{91, 111})) {
        std::fprintf(stderr, "could not create the track bar (host %p, error %lu)\n", static_cast<void*>(host),
                     ::GetLastError());
        return 1;
    }
    HWND hwnd = track.Hwnd();
    for (MSG msg; ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) ::DispatchMessageW(&msg);
    track.SetPlayFraction(0.25, false);

    // The end thumb grabbed at its column and swept to the track's right end
    // and back to the start thumb, one column per move, several times.
    std::vector<double> frames;
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(212, 38));
    int x = 212, step = 1;
    for (int i = 0; i < 4000; ++i) {
        if (x >= 410 || x <= 92) step = -step;
        x += step;
        const double start = Seconds();
        ::SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, 38));
        frames.push_back((Seconds() - start) * 1e6);
    }
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, 38));
    if (track.EndX() < 90) {
        std::fprintf(stderr, "the drag did not move the end thumb\n");
        return 1;
    }

    // The paint alone, into a memory DC.
    Surface24 shot;
    MemoryDc dc(::CreateCompatibleDC(nullptr));
    if (!shot.Create(418, 47, 24) || !dc.Valid()) return 1;
    SelectGuard selected(dc.Get(), shot.Data()->Bitmap());
    std::vector<double> paints;
    for (int i = 0; i < 2000; ++i) {
        const double start = Seconds();
        ::SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT);
        ::GdiFlush();
        paints.push_back((Seconds() - start) * 1e6);
    }

    std::sort(frames.begin(), frames.end());
    std::printf("Drag frame (move, repaint on screen, parent told): median %.1f us, 99th percentile %.1f us, "
                "worst %.1f us over %zu moves\n",
                Median(frames), frames[frames.size() * 99 / 100], frames.back(), frames.size());
    std::printf("Paint alone (WM_PRINTCLIENT, 418x47): median %.1f us over %zu paints\n", Median(paints),
                paints.size());
    track.Destroy();
    ::DestroyWindow(host);
    return 0;
}
