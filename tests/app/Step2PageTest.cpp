// Step 2 inside the program's own frame: the player playing exactly the
// selection, what the wizard hands on to step 3, a song the player refuses,
// and what a hundred songs leave behind. What a user sees of the page is in
// ProgramTest.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/MainFrame.h"
#include "app/InFrame.h"
#include "app/WizardView.h"
#include "audio/RingtoneProject.h"
#include "controls/ControlTesting.h"
#include "res/resource.h"
#include "support/DialogAnswerer.h"
#include "support/Fixtures.h"
#include "support/GdiObjectCount.h"

namespace vorlune {
namespace {

using State = PreviewPlayer::State;

BOOL CALLBACK CountChild(HWND, LPARAM count)
{
    ++*reinterpret_cast<long*>(count);
    return TRUE;
}

BOOL CALLBACK CountWithChildren(HWND hwnd, LPARAM count)
{
    ++*reinterpret_cast<long*>(count);
    ::EnumChildWindows(hwnd, &CountChild, count);
    return TRUE;
}

// The windows of this thread, top-level and child.
long WindowCount()
{
    long count = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CountWithChildren, reinterpret_cast<LPARAM>(&count));
    return count;
}

class Step2PageInFrame : public test::InFrame {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(InFrame::SetUp());
        const std::wstring long40 = test::FixturePath(L"mp3\\long-44100-2.mp3");
        const std::wstring short3 = test::FixturePath(L"mp3\\vbr-44100-1.mp3");
        const std::wstring text = test::FixturePath(L"mp3\\text.mp3");
        if (long40.empty() || short3.empty() || text.empty()) GTEST_SKIP() << "no fixtures";
        const std::pair<std::wstring, std::wstring*> copies[] = {
            {long40, &long_}, {short3, &short_}, {short3, &other_}, {text, &broken_}};
        const wchar_t* names[] = {L"long.mp3", L"short.mp3", L"other.mp3", L"broken.mp3"};
        for (int i = 0; i < 4; ++i) {
            *copies[i].second = dir.File(names[i]);
            ASSERT_TRUE(::CopyFileW(copies[i].first.c_str(), copies[i].second->c_str(), FALSE));
        }
        bar = page().TrackBar().Hwnd();
        HWND fadeIn = ::FindWindowExW(page().Hwnd(), nullptr, L"VeCheckboxCtrl", nullptr);
        HWND fadeOut = ::FindWindowExW(page().Hwnd(), fadeIn, L"VeCheckboxCtrl", nullptr);
        fadeInButton = ::GetWindow(fadeIn, GW_CHILD);
        fadeOutButton = ::GetWindow(fadeOut, GW_CHILD);
        ASSERT_TRUE(bar && fadeInButton && fadeOutButton);
    }
    Step2Page& page() { return frame.View().Step2(); }
    RingtoneProject& project() { return frame.Project(); }
    void PageCommand(UINT id) { ::SendMessageW(page().Hwnd(), WM_COMMAND, id, 0); }
    // The song chosen on step 1, then Next to step 2.
    void Enter(const std::wstring& song)
    {
        if (frame.View().Step() != 0) Command(ID_STEP3_NEW);
        ASSERT_TRUE(frame.View().Step1().AcceptSong(song));
        Command(ID_WIZARD_NEXT);
        ASSERT_EQ(frame.View().Step(), 1);
    }
    HWND StopButton() { return ::GetDlgItem(page().Hwnd(), ID_STEP2_STOP); }
    int64_t Position()
    {
        int64_t p = -1;
        page().Player().GetCurrentPosition(&p);
        return p;
    }
    int64_t Duration()
    {
        int64_t d = 0;
        page().Player().GetDuration(&d);
        return d;
    }

    std::wstring long_, short_, other_, broken_;
    HWND bar = nullptr, fadeInButton = nullptr, fadeOutButton = nullptr;
};

TEST_F(Step2PageInFrame, PlayRunsTheSelectionToItsEndOrToAnEndDraggedBeforeItThenTheTimerAndStopButtonStop)
{
    Enter(short_);  // 2.5 s: the selection is 0.50 to 1.26 s
    ASSERT_EQ(page().Player().GetState(), State::Stopped);
    EXPECT_FALSE(::IsWindowEnabled(StopButton()));
    const int64_t start = int64_t(page().GetStartFraction() * double(Duration()));
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        PageCommand(ID_STEP2_PLAY_PAUSE);
        ASSERT_EQ(page().Player().GetState(), State::Playing);
        EXPECT_TRUE(page().TimerRunning());
        EXPECT_TRUE(::IsWindowEnabled(StopButton()));
        EXPECT_GE(Position(), start) << "plays from the selection's start";
        int64_t stopAt = 0;
        page().Player().GetStopPosition(&stopAt);
        EXPECT_EQ(stopAt, int64_t(page().GetEndFraction() * double(Duration())));
        // The graph's end of the selection stops the player through the page.
        EXPECT_TRUE(test::PumpUntil([&] { return page().Player().GetState() == State::Stopped; }, 10000));
        EXPECT_FALSE(page().TimerRunning());
        EXPECT_FALSE(::IsWindowEnabled(StopButton()));
        EXPECT_EQ(Position(), 0) << "rewound";
    }
    // The end thumb dragged back onto the start while playing: the end came
    // before the position, so playback stops as at the end.
    PageCommand(ID_STEP2_PLAY_PAUSE);
    ASSERT_EQ(page().Player().GetState(), State::Playing);
    test::Click(bar, {212, 38}, {0, 38}, {{0, 38}});
    EXPECT_EQ(page().TrackBar().EndX(), page().TrackBar().StartX());
    EXPECT_EQ(page().Player().GetState(), State::Stopped);
    EXPECT_FALSE(page().TimerRunning());
    EXPECT_FALSE(::IsWindowEnabled(StopButton()));
}

TEST_F(Step2PageInFrame, EnteringStepThreeHandsOnTheSelectionInOrderAndBothFades)
{
    Enter(long_);
    // The start thumb dragged onto the end thumb and past it stays on it: an
    // empty selection, handed on as two equal fractions.
    test::Click(bar, {85, 38}, {400, 38}, {{300, 38}, {400, 38}});
    test::Click(fadeInButton, {5, 5}, {5, 5});
    test::Click(fadeOutButton, {5, 5}, {5, 5});
    ASSERT_TRUE(page().FadeIn() && page().FadeOut());
    Command(ID_WIZARD_NEXT);
    EXPECT_EQ((std::vector<double>{project().selectionStart, project().selectionEnd, double(project().fadeIn),
                                   double(project().fadeOut)}),
              (std::vector<double>{200.0 / 398, 200.0 / 398, 1, 1}));

    // The end thumb to the track's right end, fade out off again.
    Command(ID_WIZARD_BACK);
    test::Click(bar, {212, 38}, {600, 38}, {{600, 38}});
    test::Click(fadeOutButton, {5, 5}, {5, 5});
    Command(ID_WIZARD_NEXT);
    EXPECT_EQ((std::vector<double>{project().selectionStart, project().selectionEnd, double(project().fadeIn),
                                   double(project().fadeOut)}),
              (std::vector<double>{200.0 / 398, 1.0, 1, 0}));
}

TEST_F(Step2PageInFrame, ASongThePlayerCannotLoadIsRefusedAndNothingOfTheOldSongStays)
{
    Enter(long_);
    PageCommand(ID_STEP2_PLAY_PAUSE);
    PageCommand(ID_STEP2_PLAY_PAUSE);
    ASSERT_EQ(page().Player().GetState(), State::Paused);
    test::Click(bar, {212, 38}, {260, 38}, {{260, 38}});
    ASSERT_NE(page().TrackBar().EndX(), 210);

    // A file step 1 let through but the player cannot take (put in the
    // project here): the user is told, the wizard starts again at step 1
    // without it, and step 2 shows no song.
    Command(ID_WIZARD_BACK);
    project().sourcePath = broken_;
    std::vector<std::wstring> boxes;
    {
        test::DialogAnswerer answerer([&](HWND box) {
            boxes.push_back(test::BoxText(box));
            test::Press(box, IDOK);
        });
        Command(ID_WIZARD_NEXT);
    }
    EXPECT_EQ(boxes, std::vector<std::wstring>{L"Error opening file:\n" + broken_ + L"\nThe song cannot be played."});
    EXPECT_EQ(frame.View().Step(), 0);
    EXPECT_TRUE(project().sourcePath.empty());
    EXPECT_EQ(page().Player().GetState(), State::Closed);
    EXPECT_EQ(page().LoadedSongPath(), L"");
    EXPECT_EQ(page().TrackBar().EndX(), 210);
    EXPECT_FALSE(page().TimerRunning());

    // The old song again is a new load: it plays, from the default selection.
    const int loads = page().SongLoads();
    Enter(long_);
    EXPECT_EQ(page().SongLoads(), loads + 1);
    EXPECT_EQ(page().LoadedSongPath(), long_);
    PageCommand(ID_STEP2_PLAY_PAUSE);
    EXPECT_EQ(page().Player().GetState(), State::Playing);
    EXPECT_TRUE(page().TimerRunning());
}

TEST_F(Step2PageInFrame, AHundredLoadPlayAndStopCyclesLeaveNoGdiObjectsOrWindowsBehind)
{
    auto cycle = [&](int i) {
        Enter(i % 2 ? short_ : other_);  // another path each time: a real load
        PageCommand(ID_STEP2_PLAY_PAUSE);
        const bool played = page().Player().GetState() == State::Playing;
        PageCommand(ID_STEP2_STOP);
        Command(ID_WIZARD_BACK);
        return played && page().Player().GetState() == State::Stopped;
    };
    auto settle = [] {
        for (long i = 0, last = -1, now = 0; i < 20 && now != last; ++i) {
            last = now;
            test::PumpUntil([] { return false; }, 250);
            now = test::GdiObjectCount();
        }
    };
    ASSERT_TRUE(cycle(0));  // what is made once, on first use
    settle();
    const long gdi = test::GdiObjectCount(), windows = WindowCount();
    ASSERT_GT(gdi, 0);
    for (int i = 1; i <= 100; ++i) ASSERT_TRUE(cycle(i)) << "cycle " << i;
    settle();
    EXPECT_EQ(page().SongLoads(), 101);
    EXPECT_EQ(WindowCount(), windows);
    // Wine now and then makes a few objects of its own; a leak grows with
    // the hundred cycles.
    EXPECT_LT(std::abs(test::GdiObjectCount() - gdi), 10) << "GDI objects: " << gdi << " before";
}

}  // namespace
}  // namespace vorlune
