// Step 2 inside the program's own frame: the player playing exactly the
// selection, what the wizard hands on to step 3, a song the player refuses,
// what a hundred songs leave behind, and the wizard as the keys and a screen
// reader meet it. What a user sees of the page is in ProgramTest.

#include <gtest/gtest.h>

#include <cstdlib>
#include <oleacc.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/MainFrame.h"
#include "app/InFrame.h"
#include "app/WizardView.h"
#include "audio/JobProgress.h"
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

// What a screen reader hears of a window: name, role, and whether it is
// checked, unavailable or invisible.
using Heard = std::tuple<std::wstring, long, long>;
Heard Hear(HWND hwnd)
{
    const test::AccessibleRead read = test::ReadAccessible(hwnd);
    constexpr long kStates = STATE_SYSTEM_CHECKED | STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_INVISIBLE;
    return read.ok ? Heard{read.name, read.role, read.state & kStates} : Heard{L"(no object)", 0, 0};
}
constexpr long kUnavailable = STATE_SYSTEM_UNAVAILABLE, kInvisible = STATE_SYSTEM_INVISIBLE;

TEST_F(Step2PageInFrame, AScreenReaderHearsEveryControlsNameRoleAndStateAndTheSelectionAsTheTrackBarsValue)
{
    ::ShowWindow(frame.Hwnd(), SW_SHOWNOACTIVATE);
    WizardView& view = frame.View();
    HWND back = view.Footer().BackButton().Hwnd(), next = view.Footer().NextButton().Hwnd();
    loop.RunIdleHandlers();
    EXPECT_EQ(Hear(view.Step1().Hwnd()),
              Heard(L"Click the button below to choose a song file for editing.", ROLE_SYSTEM_PROPERTYPAGE, 0));
    EXPECT_EQ(Hear(view.Step1().ChooseButton().Hwnd()),
              Heard(L"Choose a Song from My Computer", ROLE_SYSTEM_PUSHBUTTON, 0));
    EXPECT_EQ(Hear(view.Step1().SecondWebsiteButton().Hwnd()),
              Heard(L"Convert Mono Songs to Stereo", ROLE_SYSTEM_PUSHBUTTON, 0));
    EXPECT_EQ(Hear(back), Heard(L"Back", ROLE_SYSTEM_PUSHBUTTON, kUnavailable));
    EXPECT_EQ(Hear(next), Heard(L"Next", ROLE_SYSTEM_PUSHBUTTON, kUnavailable));
    EXPECT_EQ(test::ReadAccessible(next).shortcut, L"Alt+Right");
    EXPECT_EQ(Hear(view.Footer().Link().Hwnd()), Heard(L"Vorlune website", ROLE_SYSTEM_LINK, 0));

    // Step 2 with a 40-second song: the default selection, columns 80 to 200
    // of the 398 of the track, in words.
    ASSERT_NO_FATAL_FAILURE(Enter(long_));
    loop.RunIdleHandlers();
    HWND play = ::GetDlgItem(page().Hwnd(), ID_STEP2_PLAY_PAUSE);
    EXPECT_EQ(Hear(page().Hwnd()), Heard(L"Drag the sliders to select the best part.", ROLE_SYSTEM_PROPERTYPAGE, 0));
    EXPECT_EQ(Hear(play), Heard(L"Play", ROLE_SYSTEM_PUSHBUTTON, 0));
    EXPECT_EQ(Hear(StopButton()), Heard(L"Stop", ROLE_SYSTEM_PUSHBUTTON, kUnavailable));
    EXPECT_EQ(Hear(bar), Heard(L"Start of the ringtone", ROLE_SYSTEM_SLIDER, 0));
    EXPECT_EQ(test::ReadAccessible(bar).value, L"from 0:08 to 0:20 of 0:40");
    HWND playTime = ::FindWindowExW(page().Hwnd(), nullptr, L"VePlayTimeCtrl", nullptr);
    EXPECT_EQ(Hear(playTime), Heard(L"Play time", ROLE_SYSTEM_STATICTEXT, 0));
    EXPECT_EQ(test::ReadAccessible(playTime).value, L"00:00 / 00:40");
    EXPECT_EQ(Hear(fadeInButton), Heard(L"Fade In", ROLE_SYSTEM_CHECKBUTTON, 0));
    EXPECT_EQ(Hear(fadeOutButton), Heard(L"Fade Out", ROLE_SYSTEM_CHECKBUTTON, 0));

    // The reader's own "do it": the box ticked as a click ticks it, Play
    // playing and then called Pause.
    ASSERT_TRUE(test::DoAccessibleDefault(fadeInButton));
    EXPECT_EQ(Hear(fadeInButton), Heard(L"Fade In", ROLE_SYSTEM_CHECKBUTTON, STATE_SYSTEM_CHECKED));
    EXPECT_TRUE(page().FadeIn());
    ASSERT_TRUE(test::DoAccessibleDefault(play));
    EXPECT_EQ(page().Player().GetState(), State::Playing);
    EXPECT_EQ(Hear(play), Heard(L"Pause", ROLE_SYSTEM_PUSHBUTTON, 0));
    EXPECT_EQ(Hear(StopButton()), Heard(L"Stop", ROLE_SYSTEM_PUSHBUTTON, 0));
    PageCommand(ID_STEP2_STOP);
    EXPECT_EQ(Hear(play), Heard(L"Play", ROLE_SYSTEM_PUSHBUTTON, 0));

    // A key moves the start thumb to the track's start: the value follows.
    ::SendMessageW(bar, WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(test::ReadAccessible(bar).value, L"from 0:00 to 0:20 of 0:40");

    // Step 3: the state in words, and only the buttons shown are visible.
    Command(ID_WIZARD_NEXT);
    Step3Page& three = frame.View().Step3();
    EXPECT_EQ(Hear(three.Hwnd()),
              Heard(L"Click the button below to export your ringtone.", ROLE_SYSTEM_PROPERTYPAGE, 0));
    EXPECT_EQ(Hear(three.SaveButton().Hwnd()), Heard(L"Save", ROLE_SYSTEM_PUSHBUTTON, 0));
    EXPECT_EQ(Hear(three.ProgressBar().Hwnd()), Heard(L"Progress", ROLE_SYSTEM_PROGRESSBAR, kInvisible));
    EXPECT_EQ(Hear(three.LocateButton().Hwnd()),
              Heard(L"Locate in Windows Explorer", ROLE_SYSTEM_PUSHBUTTON, kInvisible));
    ::SendMessageW(three.Hwnd(), WM_JOB_PROGRESS, kJobSucceeded, 0);
    EXPECT_EQ(Hear(three.Hwnd()), Heard(L"Ringtone saved!", ROLE_SYSTEM_PROPERTYPAGE, 0));
    EXPECT_EQ(Hear(three.LocateButton().Hwnd()), Heard(L"Locate in Windows Explorer", ROLE_SYSTEM_PUSHBUTTON, 0));
    EXPECT_EQ(Hear(three.NewButton().Hwnd()), Heard(L"Make a New Ringtone", ROLE_SYSTEM_PUSHBUTTON, 0));
}

TEST_F(Step2PageInFrame, TheFocusShowsOnlyOnceAKeyIsPressedAndTabGoesThroughTheShownControlsInReadingOrder)
{
    ::ShowWindow(frame.Hwnd(), SW_SHOWNOACTIVATE);
    ASSERT_NO_FATAL_FAILURE(Enter(long_));
    loop.RunIdleHandlers();
    WizardView& view = frame.View();
    HWND play = ::GetDlgItem(page().Hwnd(), ID_STEP2_PLAY_PAUSE);
    HWND back = view.Footer().BackButton().Hwnd(), next = view.Footer().NextButton().Hwnd();
    ::SetFocus(play);
    ASSERT_EQ(::GetFocus(), play);
    // Focused, but no key yet: exactly the normal look.
    EXPECT_EQ(test::SkinDifferences(play, IDB_PLAY, 3, 0), 0);
    Surface24 barBefore, barNow;
    ASSERT_TRUE(test::PrintClient(bar, barBefore));

    // A key as the loop hands it: to the frame's filter first.
    auto key = [&](WPARAM vk) {
        MSG msg{::GetFocus(), WM_KEYDOWN, vk, 1, 0, {}};
        if (!frame.PreTranslateMessage(msg)) ::DispatchMessageW(&msg);
        test::PumpPending();
        loop.RunIdleHandlers();
        return ::GetFocus();
    };
    // Stop is disabled: Tab goes from Play to the track bar, which shows the
    // focus on its start thumb, then inside to the end thumb before it leaves.
    EXPECT_EQ(key(VK_TAB), bar);
    EXPECT_EQ(test::SkinDifferences(play, IDB_PLAY, 3, 0), 0);
    ASSERT_TRUE(test::PrintClient(bar, barNow));
    EXPECT_NE(test::SkinDifferences(barNow, IDJ_TRACK, 0, 0, {0, 0}),
              test::SkinDifferences(barBefore, IDJ_TRACK, 0, 0, {0, 0}))
        << "no focus on the track bar";
    EXPECT_TRUE(page().TrackBar().KeysMoveStart());
    EXPECT_EQ(key(VK_TAB), bar);
    EXPECT_FALSE(page().TrackBar().KeysMoveStart());
    std::vector<HWND> visited;
    for (int i = 0; i < 5; ++i) visited.push_back(key(VK_TAB));
    EXPECT_EQ(visited, (std::vector<HWND>{fadeInButton, fadeOutButton, back, next, play}));
    // The box shows the focus: neither its normal nor its hover look alone.
    key(VK_TAB);
    key(VK_TAB);
    EXPECT_EQ(key(VK_TAB), fadeInButton);
    EXPECT_GT(test::SkinDifferences(fadeInButton, IDB_FADE_IN, 4, 0), 0);
    EXPECT_GT(test::SkinDifferences(fadeInButton, IDB_FADE_IN, 4, 2), 0);
    // Space ticks it; Enter presses Next, and the focus goes on to step 3's
    // first control.
    key(VK_SPACE);
    MSG up{fadeInButton, WM_KEYUP, VK_SPACE, 1, 0, {}};
    ::DispatchMessageW(&up);
    EXPECT_TRUE(page().FadeIn());
    ::SetFocus(next);
    key(VK_RETURN);
    Step3Page& three = view.Step3();
    ASSERT_EQ(view.Step(), 2);
    EXPECT_EQ(::GetFocus(), three.SaveButton().Hwnd());
    // Saved: Save hides and the focus goes to Locate; Tab skips the hidden
    // Save and the disabled Next.
    ::SendMessageW(three.Hwnd(), WM_JOB_PROGRESS, kJobSucceeded, 0);
    loop.RunIdleHandlers();
    EXPECT_EQ(::GetFocus(), three.LocateButton().Hwnd());
    visited.clear();
    for (int i = 0; i < 3; ++i) visited.push_back(key(VK_TAB));
    EXPECT_EQ(visited, (std::vector<HWND>{three.NewButton().Hwnd(), back, three.LocateButton().Hwnd()}));
}

}  // namespace
}  // namespace vorlune
