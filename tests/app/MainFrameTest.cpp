// The frame and its wizard as the program runs them: the steps and their
// rules, choosing a song, and the web links.

#include "app/MainFrame.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "app/WizardView.h"
#include "audio/RingtoneProject.h"
#include "controls/ControlTesting.h"
#include "controls/WebLinks.h"
#include "res/resource.h"
#include "support/DialogAnswerer.h"
#include "support/Fixtures.h"
#include "support/RecordingBrowser.h"
#include "support/TempDir.h"
#include "win/ComApartment.h"
#include "win/MessageLoop.h"

namespace vorlune {
namespace {

using test::DialogAnswerer;
using test::Press;

POINT CentreOf(HWND hwnd)
{
    RECT rc{};
    ::GetWindowRect(hwnd, &rc);
    return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

class WizardRealInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(test::UseProgramSkin(), nullptr);
        ASSERT_TRUE(registered.Ok());
        ASSERT_TRUE(com.Ok());
        hwnd = frame.Create();
        ASSERT_NE(hwnd, nullptr);
        // Songs step 2's player can load, and a file that is none.
        const std::wstring song = test::FixturePath(L"mp3\\vbr-44100-1.mp3");
        if (song.empty()) GTEST_SKIP() << "no fixtures";
        for (const wchar_t* name : {L"a.mp3", L"b.MP3"})
            ASSERT_TRUE(::CopyFileW(song.c_str(), dir.File(name).c_str(), FALSE));
        ASSERT_TRUE(test::WriteFileBytes(dir.File(L"c.wav"), "not really a song"));
    }
    void TearDown() override
    {
        frame.Destroy();
        test::PumpPending();  // the frame's quit message
    }

    // Input has come and gone: the idle pass the loop would run.
    void Settle()
    {
        test::PumpPending();
        loop.RunIdleHandlers();
    }
    void Command(UINT id) { ::SendMessageW(hwnd, WM_COMMAND, id, 0); }
    std::wstring Title()
    {
        wchar_t text[512] = L"";
        ::GetWindowTextW(hwnd, text, 512);
        return text;
    }
    // The step as the stack, the header and the shown page have it, and
    // whether Back and Next are enabled.
    std::vector<int> State()
    {
        Settle();
        WizardView& view = frame.View();
        int shown = -1;
        for (int i = 0; i < 3; ++i)
            if (::GetWindowLongPtrW(view.Stack().GetPage(i), GWL_STYLE) & WS_VISIBLE) shown = shown == -1 ? i : 9;
        return {view.Step(), view.Header().Step(), shown, ::IsWindowEnabled(view.Footer().BackButton().Hwnd()),
                ::IsWindowEnabled(view.Footer().NextButton().Hwnd())};
    }
    // The texts of the message boxes `input` brought up, each answered with
    // OK; an Open dialog on the way is answered by typing `typed`.
    std::vector<std::wstring> Boxes(const std::function<void()>& input, const std::wstring& typed = {})
    {
        std::vector<std::wstring> boxes;
        DialogAnswerer answerer([&](HWND box) {
            if (::GetDlgItem(box, 1148)) {  // the Open dialog
                ::SetDlgItemTextW(box, 1148, typed.c_str());
                return Press(box, IDOK);
            }
            boxes.push_back(test::BoxText(box));
            const POINT at = CentreOf(box), frameAt = CentreOf(hwnd);
            EXPECT_LE(std::abs(at.x - frameAt.x) + std::abs(at.y - frameAt.y), 2) << "box not over the frame";
            Press(box, IDOK);
        });
        input();
        if (!typed.empty()) {
            EXPECT_GE(answerer.answered, 1) << "no Open dialog";
        }
        return boxes;
    }
    // Ctrl+O's command with the Open dialog answered.
    std::vector<std::wstring> Open(const std::wstring& typed) { return Boxes([&] { Command(ID_FILE_OPEN); }, typed); }
    // Files dropped on the frame as the explorer drops them: wide names in a
    // fixed DROPFILES block, which the frame frees.
    std::vector<std::wstring> Drop(const std::vector<std::wstring>& files)
    {
        std::wstring names;
        for (const std::wstring& file : files) names += file + L'\0';
        const size_t bytes = sizeof(DROPFILES) + (names.size() + 1) * sizeof(wchar_t);
        auto* drop = static_cast<DROPFILES*>(::GlobalAlloc(GPTR, bytes));
        *drop = DROPFILES{sizeof(DROPFILES), {}, FALSE, TRUE};
        std::memcpy(drop + 1, names.data(), names.size() * sizeof(wchar_t));  // the list's last L'\0' is GPTR's
        return Boxes([&] { ::SendMessageW(hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0); });
    }

    ComApartment com;  // step 2's player
    MessageLoop loop;
    ScopedMessageLoop registered{loop};
    MainFrame frame;
    HWND hwnd = nullptr;
    test::TempDir dir;
};

TEST_F(WizardRealInput, StepsMoveWithinTheirRulesAndStepTwoLoadsOnlyANewSong)
{
    WizardView& view = frame.View();
    RingtoneProject& project = frame.Project();
    Step2Page& step2 = view.Step2();
    Command(ID_WIZARD_NEXT);  // no song yet, but a command still moves
    EXPECT_EQ(step2.SongLoads(), 0);  // the empty song is what it holds
    Command(ID_STEP3_NEW);

    const std::wstring a = dir.File(L"a.mp3");
    ASSERT_TRUE(view.Step1().AcceptSong(L"  " + a + L" "));
    EXPECT_EQ(project.sourcePath, a);
    EXPECT_EQ(State(), (std::vector<int>{0, 0, 0, false, true}));
    EXPECT_EQ(Title(), L"Vorlune - [a.mp3]");

    project.SetSelection(0.3, 0.6);
    project.fadeIn = project.fadeOut = 1;
    Command(ID_WIZARD_NEXT);
    EXPECT_EQ(State(), (std::vector<int>{1, 1, 1, true, true}));
    EXPECT_EQ(step2.LoadedSongPath(), a);
    Command(ID_WIZARD_BACK);
    Command(ID_WIZARD_NEXT);
    Command(ID_WIZARD_NEXT);
    EXPECT_EQ(State(), (std::vector<int>{2, 2, 2, true, false}));
    EXPECT_EQ(step2.SongLoads(), 1);  // the same song again: kept
    // Entering step 3 takes the selection and the fades from step 2: a new
    // song's track columns 90 to 210 of 398, no fades.
    EXPECT_EQ((std::vector<double>{project.selectionStart, project.selectionEnd, double(project.fadeIn),
                                   double(project.fadeOut)}),
              (std::vector<double>{80.0 / 398, 200.0 / 398, 0.0, 0.0}));

    // New: step 1, an empty project, the title back; step 2 keeps its song.
    Command(ID_STEP3_NEW);
    EXPECT_EQ(State(), (std::vector<int>{0, 0, 0, false, false}));
    EXPECT_TRUE(project.sourcePath.empty());
    EXPECT_EQ(Title(), L"Vorlune");
    EXPECT_EQ(step2.LoadedSongPath(), a);
}

TEST_F(WizardRealInput, OpenOrADropFromAnyStepLandsOnStepTwoWithTheSong)
{
    WizardView& view = frame.View();
    RingtoneProject& project = frame.Project();
    // Refused (the program test has the box): nothing changes.
    EXPECT_EQ(Open(dir.File(L"c.wav")).size(), 1u);
    EXPECT_EQ(State(), (std::vector<int>{0, 0, 0, false, false}));
    EXPECT_TRUE(project.sourcePath.empty());

    // From step 1 to step 2 with the song; capitals in the extension are fine.
    const std::wstring b = dir.File(L"b.MP3");
    EXPECT_TRUE(Open(b).empty());
    EXPECT_EQ(State(), (std::vector<int>{1, 1, 1, true, true}));
    EXPECT_EQ(project.sourcePath, b);
    EXPECT_EQ(view.Step2().LoadedSongPath(), b);
    EXPECT_EQ(Title(), L"Vorlune - [b.MP3]");

    // From step 2 the wizard stays there with the new song, and from step 3
    // it comes back to it: the user sees and hears the range before a save.
    const std::wstring a = dir.File(L"a.mp3");
    EXPECT_TRUE(Open(a).empty());
    EXPECT_EQ(State(), (std::vector<int>{1, 1, 1, true, true}));
    EXPECT_EQ(view.Step2().LoadedSongPath(), a);
    EXPECT_EQ(view.Step2().SongLoads(), 2);
    EXPECT_EQ(Title(), L"Vorlune - [a.mp3]");

    // A drop goes the same way, from step 1: of several files the first MP3;
    // a file that is none gets the same box and changes nothing.
    const std::wstring c = dir.File(L"c.wav");
    Command(ID_WIZARD_BACK);
    EXPECT_TRUE(Drop({c, b, a}).empty());
    EXPECT_EQ(State(), (std::vector<int>{1, 1, 1, true, true}));
    EXPECT_EQ(view.Step2().LoadedSongPath(), b);
    EXPECT_EQ(Drop({c}),
              std::vector<std::wstring>{L"Error opening file:\n" + c + L"\nOnly files whose names end in .mp3 can be used."});
    EXPECT_EQ(State(), (std::vector<int>{1, 1, 1, true, true}));
    EXPECT_EQ(project.sourcePath, b);
    Command(ID_WIZARD_NEXT);
    EXPECT_TRUE(Open(a).empty());
    EXPECT_EQ(State(), (std::vector<int>{1, 1, 1, true, true}));
    EXPECT_EQ(view.Step2().LoadedSongPath(), a);
    EXPECT_EQ(Title(), L"Vorlune - [a.mp3]");
}

TEST_F(WizardRealInput, OpenAndDropsWaitWhileARenderRuns)
{
    const std::wstring song = test::FixturePath(L"mp3\\long-44100-2.mp3");
    if (song.empty()) GTEST_SKIP() << "no fixtures";
    test::TempPath out(L".mp3");
    RingtoneProject& project = frame.Project();
    ASSERT_TRUE(frame.View().Step1().AcceptSong(song));
    project.outputPath = out.Path();
    Step3Page& step3 = frame.View().Step3();
    ASSERT_NE(step3.Job(), nullptr);
    ASSERT_TRUE(step3.Job()->Start());
    ASSERT_TRUE(step3.IsBusy());
    EXPECT_TRUE(Drop({dir.File(L"a.mp3")}).empty());
    DialogAnswerer answerer([](HWND box) { Press(box, IDCANCEL); });
    Command(ID_FILE_OPEN);
    Command(ID_STEP1_CHOOSE_SONG);  // would post an Open
    test::PumpPending();
    const bool stillBusy = step3.IsBusy();
    step3.Job()->Cancel();
    step3.Job()->Wait();
    ASSERT_TRUE(stillBusy) << "the render ended too soon to tell";
    EXPECT_EQ(answerer.answered, 0);
    EXPECT_EQ(project.sourcePath, song);
}

TEST(WebLinks, FooterLinkAndBothCommandsOpenTheirAddresses)
{
    ASSERT_NE(test::UseProgramSkin(), nullptr);
    if (!::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) GTEST_SKIP() << "needs Wine";
    test::RecordingBrowser browser;
    ASSERT_TRUE(browser.Ok());
    const std::string website(kWebsiteUrl, kWebsiteUrl + wcslen(kWebsiteUrl));
    const std::string second(kSecondWebsiteUrl, kSecondWebsiteUrl + wcslen(kSecondWebsiteUrl));
    for (const std::string& url : {website, second})
        EXPECT_TRUE(std::regex_match(url, std::regex(R"(http://[^/?#]+/\?ref=zelk)"))) << url;
    EXPECT_NE(website, second);

    MainFrame frame;
    ASSERT_NE(frame.Create(), nullptr);
    HWND link = frame.View().Footer().Link().Hwnd();
    // Pressed on the link, released outside: no browser. Released inside: the
    // website. One at a time: the browsers run side by side.
    using Urls = std::vector<std::string>;
    test::Click(link, {20, 8}, {400, 8}, {{400, 8}});
    test::Click(link, {20, 8}, {30, 9}, {{300, 8}, {30, 9}});
    EXPECT_EQ(browser.Addresses(1), Urls{website});
    EXPECT_EQ(::SendMessageW(frame.Hwnd(), WM_COMMAND, ID_HELP_WEBSITE, 0), 0);
    EXPECT_EQ(browser.Addresses(2), (Urls{website, website}));
    EXPECT_EQ(::SendMessageW(frame.Hwnd(), WM_COMMAND, ID_STEP1_MONO_TO_STEREO, 0), 0);
    EXPECT_EQ(browser.Addresses(3), (Urls{website, website, second}));
}

}  // namespace
}  // namespace vorlune
