// Times what the user waits for between Next on step 1 and step 2 ready: the
// song loaded into the player (the DirectShow graph built) and the page
// painted with it. The program's own frame, shown, with the skin read from
// vorlune.exe beside the bench folder.
//
//   bench_step2_load SONG.mp3 RUNS
//
// Prints the median and the spread of the runs, the load alone, and
// "seconds=" with the median last.
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchWindows.h"
#include "app/MainFrame.h"
#include "app/WizardView.h"
#include "controls/PreviewPlayer.h"
#include "res/resource.h"
#include "win/AppModule.h"
#include "win/MessageLoop.h"

using namespace vorlune;

namespace {

void Pump()
{
    for (MSG msg; ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_step2_load SONG.mp3 [RUNS]\n");
        return 2;
    }
    const std::wstring song = argv[1];
    const int runs = argc > 2 ? std::max(1, _wtoi(argv[2])) : 5;
    if (FAILED(::OleInitialize(nullptr))) return 1;
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_TAB_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&icc);
    HMODULE skin = LoadProgramSkin();
    if (!skin) {
        std::fprintf(stderr, "vorlune.exe not found beside the bench folder\n");
        return 1;
    }
    AppModule::SetResourceInstance(skin);

    int rc = 0;
    {
        MessageLoop loop;
        ScopedMessageLoop registered(loop);
        MainFrame frame;
        if (!registered.Ok() || !frame.Create()) return 1;
        HWND hwnd = frame.Hwnd();
        ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
        ::UpdateWindow(hwnd);
        Pump();
        WizardView& view = frame.View();
        auto command = [&](UINT id) { ::SendMessageW(hwnd, WM_COMMAND, id, 0); };
        auto paint = [&] {
            ::RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            ::GdiFlush();
        };

        std::vector<double> total, load, painting;
        for (int run = 0; run <= runs; ++run) {  // run 0 warms up
            // Step 2 holds no song: a Next without one lets the last go.
            command(ID_STEP3_NEW);
            command(ID_WIZARD_NEXT);
            command(ID_STEP3_NEW);
            if (!view.Step1().AcceptSong(song)) {
                std::fprintf(stderr, "the song was not accepted\n");
                rc = 1;
                break;
            }
            paint();
            Pump();

            const double t0 = Seconds();
            command(ID_WIZARD_NEXT);  // as the footer's Next: the page is shown and the song loaded
            const double t1 = Seconds();
            paint();
            const double t2 = Seconds();
            Pump();
            if (view.Step() != 1 || view.Step2().LoadedSongPath() != song) {
                std::fprintf(stderr, "step 2 did not load the song\n");
                rc = 1;
                break;
            }
            if (run > 0) {
                total.push_back(t2 - t0);
                load.push_back(t1 - t0);
                painting.push_back(t2 - t1);
            }
        }
        // The player's own part: a graph built for the song, beside the page's.
        std::vector<double> graph;
        for (int run = 0; rc == 0 && run < runs; ++run) {
            PreviewPlayer player;
            player.SetNotify(hwnd, WM_APP);
            const double t0 = Seconds();
            const bool loaded = player.Load(song);
            graph.push_back(Seconds() - t0);
            if (!loaded) {
                std::fprintf(stderr, "the player did not load the song\n");
                rc = 1;
            }
        }
        if (rc == 0) {
            int64_t duration = 0;
            view.Step2().Player().GetDuration(&duration);
            std::printf("song of %.1f s, page %s\n", double(duration) * 1e-7,
                        ::IsWindowVisible(view.Step2().Hwnd()) ? "shown" : "NOT SHOWN");
            std::printf("Next to step 2 painted, %d runs: median %.4f s (%.4f to %.4f); the Next command (the page "
                        "shown, the song loaded, the controls' own repaints) %.4f s, the paint left after it %.4f s\n",
                        runs, Median(total), *std::min_element(total.begin(), total.end()),
                        *std::max_element(total.begin(), total.end()), Median(load), Median(painting));
            std::printf("The player's Load alone: median %.4f s\n", Median(graph));
            std::printf("seconds=%.4f\n", Median(total));
        }
    }
    ::FreeLibrary(skin);
    ::OleUninitialize();
    return rc;
}
