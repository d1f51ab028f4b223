// Times the wizard's save as the user waits for it: from OK in the Save
// dialog to step 3 showing "Ringtone saved!" (Locate and New), in the real
// vorlune.exe one folder above the bench folder, driven from outside as the
// tests drive it. The song is chosen in the Open dialog, the end thumb
// dragged to make about 30 seconds, both fades ticked; each run enters step 3
// afresh and saves under a new name.
//
//   bench_wizard_save SONG.mp3 OUTDIR RUNS
//
// Prints each run, the ringtone's length, and "seconds=" with the median last.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchWindows.h"
#include "audio/Mp3Decoder.h"
#include "audio/TempFile.h"
#include "io/FileUtil.h"
#include "res/resource.h"
#include "support/RunningProgram.h"

using namespace vorlune;

namespace {

int Fail(const char* what)
{
    std::fprintf(stderr, "%s\n", what);
    return 1;
}

// Seconds of audio in an MP3, decoded to a 16-bit WAV with its 44-byte header.
double DecodedSeconds(const std::wstring& mp3, int rate, int channels)
{
    TempFile wav(MakeTempFilePath());
    if (wav.Empty() || !DecodeToWav(wav.Path(), mp3, nullptr)) return 0;
    return double(GetFileSizeByName(wav.Path()) - 44) / (2.0 * channels * rate);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_wizard_save SONG.mp3 OUTDIR [RUNS]\n");
        return 2;
    }
    const std::wstring song = argv[1], outDir = argv[2];
    const int runs = argc > 3 ? std::max(1, _wtoi(argv[3])) : 5;

    test::RunningProgram program(SW_SHOWNORMAL);
    if (!program.Ready()) return Fail("the program did not start");
    const test::WizardWindows w = program.Windows();
    if (w.pages.size() != 3) return Fail("the wizard has not three pages");

    // Step 1: the song through the Open dialog.
    if (!test::ClickButton(::GetDlgItem(w.pages[0], ID_STEP1_CHOOSE_SONG))) return Fail("no Choose a Song button");
    HWND open = program.WaitForDialog();
    if (!open || !test::AnswerFileDialog(open, song) || !test::WaitUntil([&] { return program.Dialogs().empty(); }) ||
        !program.IdlePass() || w.VisiblePage() != w.pages[1])
        return Fail("the song did not reach step 2");

    // Step 2: the end thumb from its first column (200) to column 130 of the
    // 398-column track, 50 columns after the start thumb: 30 s of 4 minutes.
    const test::Step2Windows two = program.Step2();
    if (!two.trackBar || !program.PostedDrag(two.trackBar, {212, 38}, {142, 38}) || !program.Click(two.fadeIn) ||
        !program.Click(two.fadeOut))
        return Fail("step 2 did not take the selection");

    const test::Step3Windows three = program.Step3();
    auto saved = [&] {
        return test::Step3Windows::Shows(three.locate) && test::Step3Windows::Shows(three.newRingtone) &&
               !test::Step3Windows::Shows(three.progress);
    };
    std::vector<double> times;
    std::wstring last;
    for (int run = 0; run <= runs; ++run) {  // run 0 warms up
        if (w.VisiblePage() == w.pages[2] && !program.Command(ID_WIZARD_BACK)) return Fail("Back failed");
        if (!program.Command(ID_WIZARD_NEXT) || w.VisiblePage() != w.pages[2]) return Fail("step 3 not entered");
        if (!test::ClickButton(three.save)) return Fail("no Save button");
        HWND dialog = program.WaitForDialog();
        if (!dialog) return Fail("no Save dialog");
        last = outDir + L"\\ring-" + std::to_wstring(run) + L".mp3";
        ::DeleteFileW(last.c_str());
        const double t0 = Seconds();
        if (!test::AnswerFileDialog(dialog, last)) return Fail("the Save dialog did not take the name");
        // The dialog gone, the bar shown (the render under way), then saved.
        if (!test::WaitUntil([&] { return !::IsWindowVisible(dialog); }, 120000)) return Fail("the dialog stayed");
        const double closed = Seconds() - t0;
        test::WaitUntil([&] { return test::Step3Windows::Shows(three.progress) || saved(); }, 120000);
        const double bar = Seconds() - t0;
        if (!test::WaitUntil(saved, 120000)) return Fail("not saved");
        const double t = Seconds() - t0;
        if (run > 0) {
            times.push_back(t);
            std::printf("run %d: %.3f s (the dialog gone at %.3f s, the bar at %.3f s)\n", run, t, closed, bar);
        }
    }
    std::printf("ringtone of %.2f s; Save dialog OK to \"Ringtone saved!\", %d runs: median %.3f s\n",
                DecodedSeconds(last, 44100, 2), runs, Median(times));
    for (int run = 0; run <= runs; ++run) ::DeleteFileW((outDir + L"\\ring-" + std::to_wstring(run) + L".mp3").c_str());
    std::printf("seconds=%.4f\n", Median(times));
    return 0;
}
