// Step 3 inside the program's own frame: what each state shows and the job's
// messages. The Save dialog, a real render, Locate and New as a user meets
// them are in the tests of the running program.

#include "app/Step3Page.h"

#include <gtest/gtest.h>

#include <string>
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

namespace vorlune {
namespace {

using State = Step3Page::State;

// Shown by its own style; the frame itself stays hidden.
bool Visible(const Window& window) { return (::GetWindowLongPtrW(window.Hwnd(), GWL_STYLE) & WS_VISIBLE) != 0; }

class Step3PageInFrame : public test::InFrame {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(InFrame::SetUp());
        const std::wstring fixture = test::FixturePath(L"mp3\\long-44100-2.mp3");
        if (fixture.empty()) GTEST_SKIP() << "no fixtures";
        song = dir.File(L"song.mp3");
        ASSERT_TRUE(::CopyFileW(fixture.c_str(), song.c_str(), FALSE));
        ASSERT_TRUE(frame.View().Step1().AcceptSong(song));
        Command(ID_WIZARD_NEXT);
        Command(ID_WIZARD_NEXT);
        ASSERT_EQ(frame.View().Step(), 2);
    }
    Step3Page& page() { return frame.View().Step3(); }
    void PageCommand(UINT id) { ::SendMessageW(page().Hwnd(), WM_COMMAND, id, 0); }
    void JobMessage(WPARAM event, LPARAM value)
    {
        ::PostMessageW(page().Hwnd(), WM_JOB_PROGRESS, event, value);
        test::PumpPending();
    }
    bool BackEnabled()
    {
        loop.RunIdleHandlers();
        return ::IsWindowEnabled(frame.View().Footer().BackButton().Hwnd()) != FALSE;
    }
    // The page's state, its caption and which of its windows show, checked
    // against the one state that should be there.
    void ExpectShows(State state)
    {
        const int captions[] = {IDJ_SAVE_PROMPT, IDJ_PROCESSING, IDJ_SAVED};
        EXPECT_EQ(page().GetState(), state);
        EXPECT_EQ(test::SkinDifferences(page().Hwnd(), captions[int(state)], 0, 0, {130, 48}), 0);
        EXPECT_EQ(Visible(page().ProgressBar()), state == State::kProcessing);
        EXPECT_EQ(Visible(page().SaveButton()), state == State::kReady);
        EXPECT_EQ(Visible(page().LocateButton()), state == State::kSaved);
        EXPECT_EQ(Visible(page().NewButton()), state == State::kSaved);
    }

    std::wstring song;
};

TEST_F(Step3PageInFrame, JobMessagesMoveTheBarAndTheStatesAndABusyJobLeavesItReady)
{
    ExpectShows(State::kReady);
    EXPECT_TRUE(BackEnabled());

    JobMessage(kJobStarted, 3100);
    EXPECT_EQ(page().ProgressBar().Range(), 3100u);
    EXPECT_EQ(page().ProgressBar().Position(), 0u);
    JobMessage(kJobPosition, 1550);
    EXPECT_EQ(page().ProgressBar().Position(), 1550u);
    EXPECT_DOUBLE_EQ(page().ProgressBar().ExactPercent(), 50.0);

    JobMessage(kJobSucceeded, 3100);
    ExpectShows(State::kSaved);
    EXPECT_TRUE(BackEnabled());

    // A failure: the box (the running program's tests read it), then ready.
    {
        test::DialogAnswerer answerer([&](HWND box) { test::Press(box, IDOK); });
        JobMessage(kJobFailed, 200);
        EXPECT_EQ(answerer.answered, 1);
    }
    ExpectShows(State::kReady);

    // While a job is busy a Save that comes all the same asks for no file
    // and starts nothing.
    std::vector<std::wstring> boxes;
    frame.Project().outputPath = dir.File(L"out.mp3");
    ASSERT_TRUE(page().Job()->Start());
    {
        test::DialogAnswerer answerer([&](HWND box) {
            boxes.push_back(test::BoxText(box));
            test::Press(box, IDCANCEL);
        });
        PageCommand(ID_STEP3_SAVE);
    }
    page().Job()->Cancel();
    page().Job()->Wait();
    EXPECT_EQ(boxes, std::vector<std::wstring>{});
    EXPECT_EQ(frame.Project().outputPath, dir.File(L"out.mp3"));
    EXPECT_TRUE(page().CanGoBack());
}

}  // namespace
}  // namespace vorlune
