// The real program as a user meets it: vorlune.exe started as a child
// process and driven from here through its windows, posted commands, clicks,
// real keys and its dialogs. Every suite here is a *RealInput* one: the
// dialogs and keys need the foreground, and the program's windows alone,
// shown while the cursor test ran, now and then kept its link from hearing
// that the cursor left.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "controls/ControlTesting.h"
#include "controls/WebLinks.h"
#include "gfx/Surface.h"
#include "res/resource.h"
#include "support/Fixtures.h"
#include "support/RecordingBrowser.h"
#include "support/RunningProgram.h"
#include "support/TempDir.h"
#include "win/Handle.h"

namespace vorlune {
namespace {

using test::RunningProgram;
using test::WizardWindows;
using Place = std::vector<LONG>;

// A window's place in its parent's client area.
Place PlaceIn(HWND hwnd, HWND parent)
{
    const RECT r = test::RectIn(hwnd, parent);
    return {r.left, r.top, r.right, r.bottom};
}

// What the user sees of the wizard: the page shown, whether Back and Next
// are enabled, and the title.
using Seen = std::tuple<HWND, bool, bool, std::wstring>;
Seen SeenIn(const RunningProgram& program)
{
    const WizardWindows w = program.Windows();
    return Seen{w.VisiblePage(), w.BackEnabled(), w.NextEnabled(), program.Title()};
}

// Which window has the foreground now: keys that went astray went there.
std::string ForegroundNow(const RunningProgram& program)
{
    HWND hwnd = ::GetForegroundWindow();
    DWORD process = 0;
    ::GetWindowThreadProcessId(hwnd, &process);
    const std::wstring cls = test::ClassOf(hwnd);
    return "; the foreground: " + std::string(cls.begin(), cls.end()) +
           (process == program.Id() ? " of the program" : " of process " + std::to_string(process));
}

TEST(RunningProgramRealInput, StartsAsAFixedCentredFrameAtStepOneAndEndsWithExitCodeOne)
{
    RunningProgram program;
    HWND frame = program.Frame();
    ASSERT_NE(frame, nullptr) << "vorlune.exe showed no frame";
    ASSERT_TRUE(program.Ready()) << "no idle pass: the title was not put right";
    EXPECT_EQ(test::ClassOf(frame), L"ZELK-MainFrame-{723C16B7-7785-4b23-B783-227EE6D92655}");
    EXPECT_EQ(::GetClassLongPtrW(frame, GCL_STYLE), 0u);
    // Caption, system menu and minimise box: neither a sizing border nor a
    // maximise box, and no menu bar.
    EXPECT_EQ(::GetWindowLongPtrW(frame, GWL_STYLE),
              LONG_PTR{WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN | WS_CLIPSIBLINGS});
    // Files may be dropped on it.
    EXPECT_EQ(::GetWindowLongPtrW(frame, GWL_EXSTYLE), LONG_PTR{WS_EX_APPWINDOW | WS_EX_WINDOWEDGE | WS_EX_ACCEPTFILES});
    EXPECT_EQ(::GetMenu(frame), nullptr);
    EXPECT_EQ(program.Title(), L"Vorlune");
    RECT client{}, work{};
    ::GetClientRect(frame, &client);
    EXPECT_EQ((Place{client.right, client.bottom}), (Place{600, 400}));
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const RECT outer = test::RectIn(frame);
    EXPECT_LE(std::abs(outer.left + outer.right - work.left - work.right), 1) << "centred across";
    EXPECT_LE(std::abs(outer.top + outer.bottom - work.top - work.bottom), 1) << "centred down";

    // The view fills the client area: header, page stack, footer.
    const WizardWindows w = program.Windows();
    ASSERT_TRUE(w.view && w.header && w.stack && w.footer) << "the view with its header, page stack and footer";
    EXPECT_EQ(PlaceIn(w.view, frame), (Place{0, 0, 600, 400}));
    EXPECT_EQ(PlaceIn(w.header, w.view), (Place{0, 0, 600, 100}));
    EXPECT_EQ(PlaceIn(w.stack, w.view), (Place{0, 100, 600, 350}));
    EXPECT_EQ(PlaceIn(w.footer, w.view), (Place{0, 350, 600, 400}));
    // Three pages, step 1's shown over the whole stack with its two buttons.
    ASSERT_EQ(w.pages.size(), 3u);
    HWND page = w.VisiblePage();
    ASSERT_NE(page, nullptr) << "not exactly one page visible";
    EXPECT_EQ(PlaceIn(page, w.stack), (Place{0, 0, 600, 250}));
    for (int id : {ID_STEP1_CHOOSE_SONG, ID_STEP1_MONO_TO_STEREO})
        EXPECT_EQ(test::ClassOf(::GetDlgItem(page, id)), L"WTL_BitmapButton") << id;
    EXPECT_EQ(PlaceIn(::GetDlgItem(page, ID_STEP1_CHOOSE_SONG), page), (Place{130, 91, 472, 123}));
    EXPECT_EQ(PlaceIn(::GetDlgItem(page, ID_STEP1_MONO_TO_STEREO), page), (Place{130, 142, 472, 174}));
    // Back and Next, both disabled: no step before, no song yet.
    EXPECT_EQ(test::ClassOf(w.back), L"WTL_BitmapButton");
    EXPECT_EQ(test::ClassOf(w.next), L"WTL_BitmapButton");
    EXPECT_FALSE(w.BackEnabled());
    EXPECT_FALSE(w.NextEnabled());

    DWORD exitCode = 0;
    ASSERT_TRUE(program.Close(exitCode)) << "still running after WM_CLOSE";
    EXPECT_EQ(exitCode, 1u);
}

// "Open with", or a song dropped on the program's icon: the first argument,
// here past 260 characters in folders of Unicode names; the rest is ignored.
TEST(RunningProgramRealInput, StartedWithSongsItOpensTheFirstAsIfChosen)
{
    const std::wstring song = test::FixturePath(L"mp3\\Песня 歌曲.mp3"), png = test::FixturePath(L"mp3\\png.mp3");
    if (song.empty() || png.empty()) GTEST_SKIP() << "needs the fixtures";
    test::TempDir dir;
    std::wstring deep = dir.Path();
    while (deep.size() < 300) {
        deep += L"\\Папка 文件夹";
        ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr));
    }
    const std::wstring copy = deep + L"\\Песня 歌曲.mp3", title = L"Vorlune - [Песня 歌曲.mp3]";
    ASSERT_TRUE(::CopyFileW(song.c_str(), (L"\\\\?\\" + copy).c_str(), FALSE));
    RunningProgram program(test::ProgramStart{SW_SHOWNOACTIVATE, {}, {}, L"\"" + copy + L"\" \"" + png + L"\""});
    ASSERT_TRUE(program.Ready());
    EXPECT_EQ(SeenIn(program), Seen(program.Windows().pages.at(1), true, true, title));
}

TEST(RunningProgramRealInput, BackNextAndNewStayWithinTheThreeStepsAndStepOneOpensTheSecondWebsite)
{
    RunningProgram program;
    ASSERT_TRUE(program.Ready());
    const WizardWindows w = program.Windows();
    ASSERT_EQ(w.pages.size(), 3u);
    HWND steps[3] = {w.VisiblePage(), nullptr, nullptr};
    ASSERT_NE(steps[0], nullptr);

    // The commands as the footer posts them. They move regardless of the
    // buttons: without a song Next is disabled at step 1, but its command
    // still goes on.
    ASSERT_TRUE(program.Command(ID_WIZARD_BACK));
    EXPECT_EQ(SeenIn(program), Seen(steps[0], false, false, L"Vorlune")) << "Back at step 1";
    ASSERT_TRUE(program.Command(ID_WIZARD_NEXT));
    steps[1] = w.VisiblePage();
    EXPECT_EQ(SeenIn(program), Seen(steps[1], true, true, L"Vorlune"));
    ASSERT_TRUE(program.Command(ID_WIZARD_NEXT));
    steps[2] = w.VisiblePage();
    EXPECT_EQ(SeenIn(program), Seen(steps[2], true, false, L"Vorlune"));
    ASSERT_TRUE(program.Command(ID_WIZARD_NEXT));
    EXPECT_EQ(SeenIn(program), Seen(steps[2], true, false, L"Vorlune")) << "Next at step 3";
    ASSERT_TRUE(program.Command(ID_WIZARD_BACK));
    EXPECT_EQ(SeenIn(program), Seen(steps[1], true, true, L"Vorlune"));
    ASSERT_TRUE(program.Command(ID_WIZARD_NEXT));
    ASSERT_TRUE(program.Command(ID_STEP3_NEW));
    EXPECT_EQ(SeenIn(program), Seen(steps[0], false, false, L"Vorlune")) << "New from step 3";
    std::vector<HWND> shown(steps, steps + 3), pages = w.pages;
    std::sort(shown.begin(), shown.end());
    std::sort(pages.begin(), pages.end());
    EXPECT_EQ(shown, pages) << "each step shows a page of its own";

    // Step 1's second button posts 33156: the second website.
    test::RecordingBrowser browser;
    ASSERT_TRUE(browser.Ok());
    ASSERT_TRUE(program.Command(ID_STEP1_MONO_TO_STEREO));
    const std::wstring url = kSecondWebsiteUrl;
    EXPECT_EQ(browser.Addresses(1), std::vector<std::string>{std::string(url.begin(), url.end())});
}

TEST(RunningProgramRealInput, HandlesAndGdiObjectsStayFlatOverAHundredBackNextCycles)
{
    RunningProgram program;
    ASSERT_TRUE(program.Ready());
    const WizardWindows w = program.Windows();
    HWND first = w.VisiblePage();
    ASSERT_TRUE(first && w.back && w.next);
    // Through all three pages and back, by the footer's commands.
    auto cycle = [&] {
        return program.Command(ID_WIZARD_NEXT) && program.Command(ID_WIZARD_NEXT) &&
               program.Command(ID_WIZARD_BACK) && program.Command(ID_WIZARD_BACK) && w.VisiblePage() == first;
    };
    // Counted once the GDI count stays still: a shown window gets its display
    // events late on a busy machine, and objects with them.
    auto settle = [&] {
        for (long i = 0, last = -1, now = 0; i < 20 && now != last; ++i) {
            last = now;
            ::Sleep(250);
            now = program.GdiObjectCount();
        }
    };
    ASSERT_TRUE(cycle());  // what is made once, on first use
    settle();
    const int64_t handles = program.HandleCount();
    const long gdi = program.GdiObjectCount();
    const int windows = program.WindowCount();
    ASSERT_GT(handles, 0);
    ASSERT_GT(gdi, 0);
    for (int i = 0; i < 100; ++i) ASSERT_TRUE(cycle()) << "cycle " << i;
    settle();
    // Wine makes a few objects of its own now and then; a leak of the
    // program's grows with the hundred cycles.
    EXPECT_EQ(program.WindowCount(), windows);
    EXPECT_LT(std::abs(program.HandleCount() - handles), 10) << "handles: " << handles << " before";
    EXPECT_LT(std::abs(program.GdiObjectCount() - gdi), 10) << "GDI objects: " << gdi << " before";
}

// The frame stays topmost in these tests, so that the pixels read from the
// screen are its own.
class ProgramRealInput : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(test::UseProgramSkin(), nullptr);
        fixture_ = test::FixturePath(L"mp3\\Песня 歌曲.mp3");
        if (fixture_.empty()) GTEST_SKIP() << "needs the fixtures";
        ASSERT_TRUE(program_.Ready());
        program_.KeepOnTop();
        w_ = program_.Windows();
        ASSERT_TRUE(w_.header && w_.back && w_.next && w_.pages.size() == 3);
        first_ = w_.VisiblePage();
        ASSERT_NE(first_, nullptr);
    }

    // The header's banner of a step, below its 65-pixel band.
    bool ShowsBanner(int id)
    {
        return test::WaitUntil([&] { return test::ScreenDifferences(w_.header, id, {0, 65}) == 0; }, 5000);
    }
    // Step 1 asks for a song with the prompt at (95, 42); once it has one, it
    // shows the name box at (130, 42) with the name inside its 4-pixel rim.
    bool ShowsPrompt()
    {
        return test::WaitUntil([&] { return test::ScreenDifferences(first_, IDJ_CHOOSE_PROMPT, {95, 42}) == 0; },
                               5000);
    }
    bool ShowsNameBox()
    {
        return test::WaitUntil([&] {
            return test::ScreenDifferences(first_, IDJ_NAME_BOX, {130, 42}, RECT{4, 4, 337, 28}) == 0 &&
                   test::ScreenDifferences(first_, IDJ_NAME_BOX, {130, 42}) > 0;
        }, 5000);
    }
    // A song accepted from the Open dialog: the title names it at once, and
    // the idle pass after it has set the buttons.
    bool Accept(HWND dialog, const std::wstring& path, const std::wstring& title)
    {
        return test::AnswerFileDialog(dialog, path) &&
               test::WaitUntil([&] { return program_.Title() == title && program_.Dialogs().empty(); }) &&
               program_.IdlePass();
    }

    // Step 1's button, the Open dialog and a song in it: step 2 with the song.
    bool Choose(const std::wstring& path, const std::wstring& title)
    {
        if (!program_.Command(ID_STEP3_NEW) || !test::ClickButton(::GetDlgItem(first_, ID_STEP1_CHOOSE_SONG)))
            return false;
        HWND dialog = program_.WaitForDialog();
        return dialog && Accept(dialog, path, title) && program_.Windows().VisiblePage() == w_.pages[1];
    }

    test::TempDir dir_;
    std::wstring fixture_;
    RunningProgram program_{SW_SHOWNORMAL};
    WizardWindows w_;
    HWND first_ = nullptr;
};

TEST_F(ProgramRealInput, CtrlOChoosesASongThatStepOneFollowsUntilItIsGoneOrNewStartsAgain)
{
    const std::wstring song = dir_.File(L"Песня 歌曲.mp3"), title = L"Vorlune - [Песня 歌曲.mp3]";
    ASSERT_TRUE(::CopyFileW(fixture_.c_str(), song.c_str(), FALSE));
    HWND frame = program_.Frame();
    EXPECT_TRUE(ShowsBanner(IDJ_STEP1));
    EXPECT_TRUE(ShowsPrompt());

    // Ctrl+O as real keys to the frame in the foreground: the dialog, owned
    // by the frame and centred on it.
    ASSERT_TRUE(program_.TakeForeground()) << "the frame did not take the foreground and the focus";
    ASSERT_TRUE(test::PressKeys({VK_CONTROL, 'O'}));
    HWND dialog = program_.WaitForDialog();
    ASSERT_NE(dialog, nullptr) << "no dialog after Ctrl+O" << ForegroundNow(program_);
    EXPECT_EQ(::GetWindow(dialog, GW_OWNER), frame);
    EXPECT_TRUE(test::WaitUntil([&] { return test::CentredOn(dialog, frame); }, 5000)) << "not centred on the frame";
    ASSERT_TRUE(Accept(dialog, song, title));
    const Seen step2 = SeenIn(program_);
    EXPECT_NE(std::get<0>(step2), first_);
    EXPECT_EQ(step2, Seen(std::get<0>(step2), true, true, title));
    EXPECT_TRUE(ShowsBanner(IDJ_STEP2));

    // Ctrl+S, Ctrl+C and About are taken and do nothing.
    const int windows = program_.WindowCount();
    for (WORD key : {'S', 'C'}) {
        ASSERT_TRUE(program_.TakeForeground());
        ASSERT_TRUE(program_.AfterIdlePass([&] { test::PressKeys({VK_CONTROL, key}); })) << char(key);
        EXPECT_EQ(SeenIn(program_), step2) << char(key);
    }
    ASSERT_TRUE(program_.Command(ID_APP_ABOUT));
    EXPECT_EQ(SeenIn(program_), step2) << "About";
    EXPECT_EQ(program_.WindowCount(), windows);
    EXPECT_TRUE(program_.Dialogs().empty());

    // Back at step 1 the song's name is shown and Next leads on; once the
    // file is gone, the next idle pass turns both back.
    ASSERT_TRUE(program_.Click(w_.back));
    EXPECT_EQ(SeenIn(program_), Seen(first_, false, true, title));
    EXPECT_TRUE(ShowsBanner(IDJ_STEP1));
    EXPECT_TRUE(ShowsNameBox());
    // Moved away rather than deleted: step 2's player holds the song open,
    // and Wine shows a file deleted while open until its last handle goes.
    ASSERT_TRUE(::MoveFileW(song.c_str(), (song + L".gone").c_str()));
    ASSERT_TRUE(program_.IdlePass());
    EXPECT_EQ(SeenIn(program_), Seen(first_, false, false, title)) << "the song is gone";
    EXPECT_TRUE(ShowsPrompt());
    ASSERT_TRUE(::CopyFileW(fixture_.c_str(), song.c_str(), FALSE));
    ASSERT_TRUE(program_.IdlePass());
    EXPECT_EQ(SeenIn(program_), Seen(first_, false, true, title)) << "the song is back";
    EXPECT_TRUE(ShowsNameBox());

    // New from step 3 empties the project: step 1 asks again although the
    // file is still there.
    ASSERT_TRUE(program_.Click(w_.next));
    ASSERT_TRUE(program_.Click(w_.next));
    EXPECT_TRUE(ShowsBanner(IDJ_STEP3));
    ASSERT_TRUE(program_.Command(ID_STEP3_NEW));
    EXPECT_EQ(SeenIn(program_), Seen(first_, false, false, L"Vorlune"));
    EXPECT_TRUE(ShowsBanner(IDJ_STEP1));
    EXPECT_TRUE(ShowsPrompt());
}

TEST_F(ProgramRealInput, TheSongDialogTakesOnlyExistingMp3sOnAnyStepAndCancelChangesNothing)
{
    HWND frame = program_.Frame();
    HWND choose = ::GetDlgItem(first_, ID_STEP1_CHOOSE_SONG);
    ASSERT_NE(choose, nullptr);
    // Step 1's big button opens the dialog as Ctrl+O does.
    auto open = [&] {
        test::ClickButton(choose);
        return program_.WaitForDialog();
    };
    auto closed = [&] { return test::WaitUntil([&] { return program_.Dialogs().empty(); }) && program_.IdlePass(); };
    const Seen start = SeenIn(program_);
    ASSERT_EQ(start, Seen(first_, false, false, L"Vorlune"));

    HWND dialog = open();
    ASSERT_NE(dialog, nullptr) << "no dialog from the Choose a Song button";
    ASSERT_TRUE(test::PressButton(dialog, IDCANCEL));
    ASSERT_TRUE(closed());
    EXPECT_EQ(SeenIn(program_), start) << "after Cancel";

    // Typed past the filter, other files under an MP3 name, songs damaged at
    // their head and one another program holds: refused with the name as
    // typed and the reason below it, in a box centred on the frame; nothing
    // changes.
    const wchar_t* const notMp3 = L"This is not an MP3 song.";
    const wchar_t* const damaged = L"The song is damaged: no part of it can be read.";
    const std::pair<const wchar_t*, const wchar_t*> refused[] = {
        {L"tune.wav", L"Only files whose names end in .mp3 can be used."},
        {L"tune", L"Only files whose names end in .mp3 can be used."},
        {L"png.mp3", notMp3}, {L"video.mp3", notMp3}, {L"wav.mp3", notMp3}, {L"text.mp3", notMp3},
        {L"empty.mp3", L"The file is empty."}, {L"cut-short.mp3", damaged}, {L"giant-id3.mp3", damaged},
        {L"held.mp3", L"The file is in use by another program."}};
    for (const auto& [name, reason] : refused) {
        const std::wstring path = dir_.File(name);
        SCOPED_TRACE(path);
        const std::wstring fixture = test::FixturePath((L"mp3\\" + std::wstring(name)).c_str());
        ASSERT_TRUE(::CopyFileW((fixture.empty() ? fixture_ : fixture).c_str(), path.c_str(), FALSE));
        KernelHandle held;
        if (std::wstring(name) == L"held.mp3")
            held.Reset(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                     nullptr));
        ASSERT_NE(dialog = open(), nullptr);
        ASSERT_TRUE(test::AnswerFileDialog(dialog, path));
        HWND box = program_.WaitForDialog(L"Vorlune");
        ASSERT_NE(box, nullptr) << "no message box";
        EXPECT_EQ(test::MessageText(box), L"Error opening file:\n" + path + L"\n" + reason);
        EXPECT_EQ(::GetWindow(box, GW_OWNER), frame);
        EXPECT_TRUE(test::WaitUntil([&] { return test::CentredOn(box, frame); }, 5000)) << "not centred on the frame";
        ASSERT_TRUE(test::PressButton(box, IDOK));
        ASSERT_TRUE(closed());
        EXPECT_EQ(SeenIn(program_), start);
    }

    // The extension in capitals is an MP3 too, and Ctrl+O works on the last
    // step as well: the title follows the new song, and the wizard lands on
    // step 2 to show it.
    const std::wstring loud = dir_.File(L"LOUD.MP3");
    ASSERT_TRUE(::CopyFileW(fixture_.c_str(), loud.c_str(), FALSE));
    ASSERT_TRUE(program_.Command(ID_WIZARD_NEXT) && program_.Command(ID_WIZARD_NEXT));
    ASSERT_TRUE(program_.TakeForeground());
    ASSERT_TRUE(test::PressKeys({VK_CONTROL, 'O'}));
    ASSERT_NE(dialog = program_.WaitForDialog(), nullptr) << "no dialog after Ctrl+O on step 3" << ForegroundNow(program_);
    ASSERT_TRUE(Accept(dialog, loud, L"Vorlune - [LOUD.MP3]"));
    EXPECT_EQ(SeenIn(program_), Seen(w_.pages[1], true, true, L"Vorlune - [LOUD.MP3]"));
    EXPECT_TRUE(ShowsBanner(IDJ_STEP2));
}

// Step 2 as the user sees it. The track bar is at (91, 111) of the page, its
// track 10 pixels in from either side; the selection is filled in grey.
constexpr int kTrackLeft = 91 + 10, kTrackTop = 111;
constexpr COLORREF kSelectionGrey = RGB(75, 75, 75);

// The selection from track column `start` to `end` (0 to 398): grey between
// them on the screen, and the tips standing on the track bar, the start
// tip's right edge and the end tip's left edge on the thumbs' columns.
::testing::AssertionResult ShowsSelection(const test::Step2Windows& s, int start, int end)
{
    const RECT a = test::RectIn(s.startTip, s.page), b = test::RectIn(s.endTip, s.page);
    const Place tips{a.right, a.bottom, b.left, b.bottom}, want{kTrackLeft + start, kTrackTop, kTrackLeft + end, kTrackTop};
    auto grey = [&](int column) { return test::ScreenPixel(s.trackBar, {10 + column, 16}) == kSelectionGrey; };
    const bool shown = test::WaitUntil([&] {
        return ::IsWindowVisible(s.startTip) && ::IsWindowVisible(s.endTip) && grey(start + 1) && grey(end - 1) &&
               !grey(start - 2) && !grey(end + 2);
    }, 5000);
    if (tips != want || !shown)
        return ::testing::AssertionFailure() << "tips at " << tips[0] << "," << tips[1] << " " << tips[2] << ","
                                             << tips[3] << (shown ? "" : "; the track does not show the selection");
    return ::testing::AssertionSuccess();
}

bool SamePixels(const Surface24& a, const Surface24& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            RGBQUAD p{}, q{};
            if (!a.GetColor(x, y, p) || !b.GetColor(x, y, q) || p.rgbRed != q.rgbRed || p.rgbGreen != q.rgbGreen ||
                p.rgbBlue != q.rgbBlue)
                return false;
        }
    return true;
}

// Whether the play time shows something else than `then` within 3 s.
bool PlayTimeMoves(const test::Step2Windows& s, const Surface24& then)
{
    Surface24 now;
    return test::WaitUntil([&] { return test::ScreenShot(s.playTime, now) && !SamePixels(now, then); }, 3000);
}

TEST_F(ProgramRealInput, StepTwoPlaysAndPausesAndLeavingItStopsPlaybackButKeepsAPause)
{
    const std::wstring long40 = test::FixturePath(L"mp3\\long-44100-2.mp3"), song = dir_.File(L"forty.mp3");
    ASSERT_TRUE(::CopyFileW(long40.c_str(), song.c_str(), FALSE));
    ASSERT_TRUE(Choose(song, L"Vorlune - [forty.mp3]"));
    const test::Step2Windows s = program_.Step2();
    ASSERT_TRUE(s.playPause && s.stop && s.trackBar && s.playTime && s.startTip && s.endTip && s.fadeIn && s.fadeOut);
    EXPECT_EQ(PlaceIn(s.playPause, s.page), (Place{32, 113, 64, 145}));
    EXPECT_EQ(PlaceIn(s.stop, s.page), (Place{65, 116, 89, 140}));
    EXPECT_EQ(PlaceIn(s.trackBar, s.page), (Place{91, 111, 509, 158}));
    EXPECT_EQ(PlaceIn(s.playTime, s.page), (Place{512, 122, 581, 132}));
    EXPECT_TRUE(test::WaitUntil([&] { return test::ScreenDifferences(s.page, IDJ_DRAG_PROMPT, {145, 50}) == 0; }, 5000));

    // A new song: the default selection, nothing to stop, the Play look.
    EXPECT_TRUE(ShowsSelection(s, 80, 200));
    EXPECT_FALSE(s.StopEnabled());
    EXPECT_TRUE(test::ShowsLook(s.playPause, IDB_PLAY, 3));
    Surface24 atStart;
    ASSERT_TRUE(test::SettledScreenShot(s.playTime, atStart));

    // Play: the Pause look, Stop enabled, the time moving.
    ASSERT_TRUE(program_.Click(s.playPause));
    EXPECT_TRUE(test::ShowsLook(s.playPause, IDB_PAUSE, 3));
    EXPECT_TRUE(s.StopEnabled());
    EXPECT_TRUE(PlayTimeMoves(s, atStart));

    // Leaving the step while playing stops: back at the start, nothing to stop.
    ASSERT_TRUE(program_.Command(ID_WIZARD_NEXT) && program_.Command(ID_WIZARD_BACK));
    EXPECT_TRUE(test::ShowsLook(s.playPause, IDB_PLAY, 3));
    EXPECT_FALSE(s.StopEnabled());
    Surface24 shown;
    EXPECT_TRUE(test::WaitUntil([&] { return test::ScreenShot(s.playTime, shown) && SamePixels(shown, atStart); },
                                5000)) << "not rewound";

    // Paused, it stays paused through a visit to step 3: the Play look, Stop
    // enabled, the time still; Play goes on from there.
    ASSERT_TRUE(program_.Click(s.playPause));
    EXPECT_TRUE(PlayTimeMoves(s, atStart));
    ASSERT_TRUE(program_.Click(s.playPause));
    ASSERT_TRUE(program_.Command(ID_WIZARD_NEXT) && program_.Command(ID_WIZARD_BACK));
    EXPECT_TRUE(test::ShowsLook(s.playPause, IDB_PLAY, 3));
    EXPECT_TRUE(s.StopEnabled());
    Surface24 paused;
    ASSERT_TRUE(test::SettledScreenShot(s.playTime, paused));
    EXPECT_FALSE(PlayTimeMoves(s, paused));
    ASSERT_TRUE(program_.Click(s.playPause));
    EXPECT_TRUE(test::ShowsLook(s.playPause, IDB_PAUSE, 3));
    EXPECT_TRUE(PlayTimeMoves(s, paused));
    ASSERT_TRUE(program_.Click(s.stop));
    EXPECT_FALSE(s.StopEnabled());
}

TEST_F(ProgramRealInput, StepTwoKeepsTheSelectionForTheSameSongAndTheFadeBoxesForAnyOther)
{
    const std::wstring a = dir_.File(L"a.mp3"), b = dir_.File(L"b.mp3");
    for (const std::wstring& song : {a, b}) ASSERT_TRUE(::CopyFileW(fixture_.c_str(), song.c_str(), FALSE));
    ASSERT_TRUE(Choose(a, L"Vorlune - [a.mp3]"));
    const test::Step2Windows s = program_.Step2();
    ASSERT_TRUE(s.trackBar && s.startTip && s.endTip && s.fadeIn && s.fadeOut);
    ASSERT_TRUE(ShowsSelection(s, 80, 200));
    // The start thumb hangs left of its column, the end thumb right of its.
    ASSERT_TRUE(program_.PostedDrag(s.trackBar, {85, 38}, {125, 38}));
    ASSERT_TRUE(program_.PostedDrag(s.trackBar, {212, 38}, {252, 38}));
    ASSERT_TRUE(program_.Click(s.fadeIn) && program_.Click(s.fadeOut));
    auto boxesTicked = [&] {
        return test::ShowsLook(s.fadeIn, IDB_FADE_IN_CHECKED, 4) && test::ShowsLook(s.fadeOut, IDB_FADE_OUT_CHECKED, 4);
    };
    EXPECT_TRUE(ShowsSelection(s, 120, 240));
    EXPECT_TRUE(boxesTicked());

    // Back and Next with the same song: all as it was.
    ASSERT_TRUE(program_.Click(w_.back) && program_.Click(w_.next));
    ASSERT_EQ(w_.VisiblePage(), s.page);
    EXPECT_TRUE(ShowsSelection(s, 120, 240));
    EXPECT_TRUE(boxesTicked());

    // Another song: the default selection, the boxes as they were.
    ASSERT_TRUE(Choose(b, L"Vorlune - [b.mp3]"));
    EXPECT_TRUE(ShowsSelection(s, 80, 200));
    EXPECT_TRUE(boxesTicked());
}

}  // namespace
}  // namespace vorlune
