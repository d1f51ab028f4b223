// Step 3 of the real program as a user meets it: the Save dialog, the render
// with its progress bar, the saved state with Locate and New, failures, and
// the whole road from a song to a ringtone by real mouse and keys, and by
// the keys alone. The
// program runs with a temporary folder of its own, so its "~Ve" files are
// counted apart from those of tests running beside it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "audio/Mp3Decoder.h"
#include "controls/ControlTesting.h"
#include "gfx/Surface.h"
#include "res/resource.h"
#include "support/Fixtures.h"
#include "support/RunningProgram.h"
#include "support/TempDir.h"
#include "win/ComApartment.h"
#include "win/Handle.h"

namespace vorlune {
namespace {

using test::RunningProgram;
using test::Step3Windows;

// The names in a folder, sorted; "." and ".." left out.
std::vector<std::wstring> NamesIn(const std::wstring& dir)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((dir + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

bool Decode(const std::wstring& mp3, test::PcmWav& out)
{
    test::TempPath wav(L".wav");
    return DecodeToWav(wav, mp3, nullptr) && test::ReadPcmWav(wav, out);
}

// Mean absolute level (0 .. 1) of channel 0 over [from, to) seconds.
double Level(const test::PcmWav& w, double from, double to)
{
    const size_t a = size_t(from * w.rate), b = std::min<size_t>(size_t(to * w.rate), w.Frames());
    double sum = 0;
    for (size_t i = a; i < b; ++i) sum += std::abs(w.samples[i * w.channels]);
    return b > a ? sum / double(b - a) / 32768.0 : 0;
}

// The filled part of the progress bar as the screen shows it: the bar's
// colour along the middle row from 4 pixels in; -1 when it cannot be read.
int BarWidth(HWND progress)
{
    Surface24 shot;
    if (!test::ScreenShot(progress, shot)) return -1;
    int width = 0;
    for (RGBQUAD p{}; shot.GetColor(4 + width, 16, p) && RGB(p.rgbRed, p.rgbGreen, p.rgbBlue) == RGB(123, 134, 175);)
        ++width;
    return width;
}

// The top-level windows of the explorer, of any process.
std::vector<HWND> ExplorerWindows()
{
    std::vector<HWND> found;
    for (HWND hwnd = nullptr; (hwnd = ::FindWindowExW(nullptr, hwnd, L"ExplorerWClass", nullptr)) != nullptr;)
        if (::IsWindowVisible(hwnd)) found.push_back(hwnd);
    return found;
}

// A new explorer window beside `before`, once there is one; null after 20 s.
HWND WaitForNewExplorer(const std::vector<HWND>& before, DWORD timeoutMs = 20000)
{
    HWND found = nullptr;
    test::WaitUntil([&] {
        for (HWND hwnd : ExplorerWindows())
            if (std::find(before.begin(), before.end(), hwnd) == before.end()) found = hwnd;
        return found != nullptr;
    }, timeoutMs);
    return found;
}

bool CloseExplorer(HWND explorer)
{
    ::PostMessageW(explorer, WM_CLOSE, 0, 0);
    return test::WaitUntil([&] { return !::IsWindow(explorer); });
}

// Screens of a test saved for the eye as build\screens\<prefix>-NN-<name>.png.
class Screens {
public:
    explicit Screens(const wchar_t* prefix) : prefix_(prefix)
    {
        // vorlune.exe is in build\<target>.
        dir_ = test::BuiltProgramPath();
        dir_.erase(dir_.find_last_of(L'\\'));
        dir_.replace(dir_.find_last_of(L'\\'), std::wstring::npos, L"\\screens");
        ::CreateDirectoryW(dir_.c_str(), nullptr);
    }
    // The screen under these windows (their union), once it stays the same
    // for a moment: a dialog paints its controls one by one.
    bool Save(const wchar_t* name, std::initializer_list<HWND> windows)
    {
        RECT all{};
        for (HWND hwnd : windows) {
            if (!hwnd) continue;
            const RECT r = test::RectIn(hwnd);
            ::UnionRect(&all, &all, &r);
        }
        const std::wstring path = dir_ + L"\\" + prefix_ + Number(++count_) + name + L".png";
        std::string last;
        for (int i = 0; i < 20; ++i) {
            ::Sleep(100);
            if (!test::SaveScreenPng(all, path)) return false;
            std::string now = test::ReadFileBytes(path);
            if (now == last) break;
            last = std::move(now);
        }
        return true;
    }

private:
    static std::wstring Number(int n)
    {
        wchar_t text[8];
        std::swprintf(text, 8, L"-%02d-", n);
        return text;
    }

    std::wstring dir_, prefix_;
    int count_ = 0;
};

class Step3ProgramRealInput : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(test::UseProgramSkin(), nullptr);
        if (test::FixturePath(L"mp3\\render-stereo.mp3").empty()) GTEST_SKIP() << "needs the fixtures";
    }

    // The program (this build's, or a copy elsewhere) with its own TEMP,
    // topmost, so that the pixels read from the screen are its own.
    void Start(const std::wstring& exe = {})
    {
        program_ = std::make_unique<RunningProgram>(test::ProgramStart{SW_SHOWNORMAL, exe, temp_.Path(), {}});
        ASSERT_TRUE(program_->Ready()) << "the program did not start";
        program_->KeepOnTop();
        const test::WizardWindows w = program_->Windows();
        ASSERT_EQ(w.pages.size(), 3u);
        s_ = program_->Step3();
        ASSERT_TRUE(s_.page && s_.progress && s_.save && s_.locate && s_.newRingtone);
    }

    // A fixture copied beside the test's other files.
    std::wstring Song(const wchar_t* fixture, const wchar_t* name)
    {
        const std::wstring song = dir_.File(name);
        return ::CopyFileW(test::FixturePath(fixture).c_str(), song.c_str(), FALSE) ? song : std::wstring();
    }

    // Step 1's button, the Open dialog and the song in it: step 2.
    bool Choose(const std::wstring& song)
    {
        const test::WizardWindows w = program_->Windows();
        if (!program_->Command(ID_STEP3_NEW) || !test::ClickButton(::GetDlgItem(w.pages[0], ID_STEP1_CHOOSE_SONG)))
            return false;
        HWND dialog = program_->WaitForDialog();
        return dialog && test::AnswerFileDialog(dialog, song) &&
               test::WaitUntil([&] { return program_->Dialogs().empty(); }) && program_->IdlePass() &&
               w.VisiblePage() == w.pages[1];
    }

    // Step 3 entered afresh (from step 2, or Back and Next from step 3).
    bool EnterStep3()
    {
        const test::WizardWindows w = program_->Windows();
        if (w.VisiblePage() == w.pages[2] && !program_->Command(ID_WIZARD_BACK)) return false;
        return program_->Command(ID_WIZARD_NEXT) && w.VisiblePage() == w.pages[2];
    }

    // The Save dialog from the Save button.
    HWND OpenSave()
    {
        if (!test::ClickButton(s_.save)) return nullptr;
        return program_->WaitForDialog();
    }

    // What the page shows: Save alone (ready), the bar alone (processing),
    // or Locate and New (saved).
    bool ShowsReady() const
    {
        return Step3Windows::Shows(s_.save) && !Step3Windows::Shows(s_.progress) &&
               !Step3Windows::Shows(s_.locate) && !Step3Windows::Shows(s_.newRingtone);
    }
    bool ShowsProcessing() const
    {
        return Step3Windows::Shows(s_.progress) && !Step3Windows::Shows(s_.save) &&
               !Step3Windows::Shows(s_.locate) && !Step3Windows::Shows(s_.newRingtone);
    }
    bool ShowsSaved() const
    {
        return Step3Windows::Shows(s_.locate) && Step3Windows::Shows(s_.newRingtone) &&
               !Step3Windows::Shows(s_.save) && !Step3Windows::Shows(s_.progress);
    }
    bool WaitReady() const { return test::WaitUntil([&] { return program_->Dialogs().empty() && ShowsReady(); }); }
    bool WaitSaved() const { return test::WaitUntil([&] { return ShowsSaved(); }, 120000); }
    bool ShowsCaption(int id) const
    {
        return test::WaitUntil([&] { return test::ScreenDifferences(s_.page, id, {130, 48}) == 0; }, 5000);
    }

    // A question over `owner` (the Save dialog's own) or captioned "Vorlune"
    // (the page's), once there is one; null after 20 s.
    HWND WaitForQuestion(HWND owner) const
    {
        HWND found = nullptr;
        test::WaitUntil([&] {
            for (HWND d : program_->Dialogs())
                if (d != owner && (::GetWindow(d, GW_OWNER) == owner || test::TextOf(d) == L"Vorlune")) found = d;
            return found != nullptr;
        });
        return found;
    }

    test::TempDir dir_, temp_;
    std::unique_ptr<RunningProgram> program_;
    Step3Windows s_;
};

TEST_F(Step3ProgramRealInput, TheSaveDialogProposesAFreeNameAndSavesAnMp3UnderTheNameTypedAskingBeforeItReplaces)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    const std::wstring song = Song(L"mp3\\cbr-44100-2.mp3", L"Song.mp3");
    ASSERT_FALSE(song.empty());
    const std::string songBytes = test::ReadFileBytes(song);
    ASSERT_TRUE(Choose(song) && EnterStep3());
    ASSERT_TRUE(WaitReady());
    EXPECT_TRUE(ShowsCaption(IDJ_SAVE_PROMPT));

    // The proposal beside the song, taken as it stands.
    HWND dialog = OpenSave();
    ASSERT_NE(dialog, nullptr) << "no Save dialog";
    EXPECT_EQ(test::FileDialogName(dialog), L"Song (1).mp3");
    ASSERT_TRUE(test::PressButton(dialog, IDOK));
    ASSERT_TRUE(WaitSaved()) << "not saved";
    EXPECT_TRUE(ShowsCaption(IDJ_SAVED));
    EXPECT_EQ(NamesIn(dir_.Path()), (std::vector<std::wstring>{L"Song (1).mp3", L"Song.mp3"}));

    // Entering the step again makes it ready, with the next free number.
    ASSERT_TRUE(EnterStep3());
    EXPECT_TRUE(ShowsReady());
    ASSERT_NE(dialog = OpenSave(), nullptr);
    EXPECT_EQ(test::FileDialogName(dialog), L"Song (2).mp3");
    ASSERT_TRUE(test::PressButton(dialog, IDCANCEL));
    ASSERT_TRUE(WaitReady());

    // Names typed in the song's folder: an MP3 whatever was typed, the
    // extension in capitals kept.
    for (const wchar_t* typed : {L"ring", L"X.MP3", L"x.wav"}) {
        SCOPED_TRACE(typed);
        ASSERT_TRUE(EnterStep3());
        ASSERT_NE(dialog = OpenSave(), nullptr);
        ASSERT_TRUE(test::AnswerFileDialog(dialog, typed));
        ASSERT_TRUE(WaitSaved()) << "not saved";
    }
    const std::vector<std::wstring> saved{L"Song (1).mp3", L"Song.mp3", L"X.MP3", L"ring.mp3", L"x.wav.mp3"};
    ASSERT_EQ(NamesIn(dir_.Path()), saved);
    test::PcmWav w;
    EXPECT_TRUE(Decode(dir_.File(L"x.wav.mp3"), w) && w.Frames() > 0) << "not an MP3";

    // The song itself under other letters, or under another name of the
    // same file (a hard link): the dialog's question, then the page refuses
    // it and stays ready; the song is untouched.
    std::wstring shouting = song;
    std::transform(shouting.begin(), shouting.end(), shouting.begin(), ::towupper);
    const std::wstring alias = dir_.File(L"Alias.mp3");
    ASSERT_TRUE(::CreateHardLinkW(alias.c_str(), song.c_str(), nullptr));
    for (const std::wstring& typed : {shouting, alias}) {
        SCOPED_TRACE(typed);
        ASSERT_TRUE(EnterStep3());
        ASSERT_NE(dialog = OpenSave(), nullptr);
        ASSERT_TRUE(test::AnswerFileDialog(dialog, typed));
        HWND question = WaitForQuestion(dialog);
        ASSERT_NE(question, nullptr) << "replacing the song asked nothing";
        ASSERT_TRUE(test::PressButton(question, IDYES));
        HWND box = program_->WaitForDialog(L"Vorlune");
        ASSERT_NE(box, nullptr) << "no message box";
        EXPECT_EQ(test::MessageText(box), L"File in use. Please choose another name.");
        ASSERT_TRUE(test::PressButton(box, IDOK));
        EXPECT_TRUE(WaitReady());
        EXPECT_EQ(test::ReadFileBytes(song), songBytes);
    }

    // Replacing a file asks first: the dialog for the name it returns, the
    // page when it appends ".mp3" itself. No keeps the file and the page ready.
    for (const wchar_t* name : {L"ring.mp3", L"x.wav.mp3"})
        ASSERT_TRUE(test::WriteFileBytes(dir_.File(name), "keep"));
    for (const wchar_t* typed : {L"ring.mp3", L"ring", L"x.wav"}) {
        SCOPED_TRACE(typed);
        ASSERT_TRUE(EnterStep3());
        ASSERT_NE(dialog = OpenSave(), nullptr);
        ASSERT_TRUE(test::AnswerFileDialog(dialog, typed));
        HWND question = WaitForQuestion(dialog);
        ASSERT_NE(question, nullptr) << "replaced without a question";
        EXPECT_TRUE(::GetDlgItem(question, IDYES) && ::GetDlgItem(question, IDNO));
        ASSERT_TRUE(test::PressButton(question, IDNO));
        // The dialog's own question leaves the dialog open.
        ASSERT_TRUE(test::WaitUntil([&] { return !::IsWindow(question); }));
        if (::IsWindowVisible(dialog)) {
            ASSERT_TRUE(test::PressButton(dialog, IDCANCEL));
        }
        EXPECT_TRUE(WaitReady());
        EXPECT_EQ(test::ReadFileBytes(dir_.File(L"ring.mp3")), "keep");
        EXPECT_EQ(test::ReadFileBytes(dir_.File(L"x.wav.mp3")), "keep");
    }
    // Yes replaces.
    ASSERT_TRUE(EnterStep3());
    ASSERT_NE(dialog = OpenSave(), nullptr);
    ASSERT_TRUE(test::AnswerFileDialog(dialog, L"x.wav"));
    HWND question = WaitForQuestion(dialog);
    ASSERT_NE(question, nullptr);
    ASSERT_TRUE(test::PressButton(question, IDYES));
    ASSERT_TRUE(WaitSaved());
    EXPECT_TRUE(Decode(dir_.File(L"x.wav.mp3"), w) && w.Frames() > 0) << "not replaced by the ringtone";
    EXPECT_EQ(NamesIn(dir_.Path()), (std::vector<std::wstring>{L"Alias.mp3", L"Song (1).mp3", L"Song.mp3", L"X.MP3",
                                                               L"ring.mp3", L"x.wav.mp3"}));
}

TEST_F(Step3ProgramRealInput, AFailedRenderSaysSoLeavesTheFileItWouldReplaceAndIsReadyAgain)
{
    // A copy of the program without the encoder library beside it.
    test::TempDir bin;
    const std::wstring exe = bin.File(L"vorlune.exe");
    ASSERT_TRUE(::CopyFileW(test::BuiltProgramPath().c_str(), exe.c_str(), FALSE));
    ASSERT_NO_FATAL_FAILURE(Start(exe));
    const std::wstring song = Song(L"mp3\\cbr-44100-2.mp3", L"Song.mp3"), keep = dir_.File(L"keep.mp3");
    ASSERT_FALSE(song.empty());
    ASSERT_TRUE(test::WriteFileBytes(keep, "keep"));
    ASSERT_TRUE(Choose(song) && EnterStep3());

    HWND dialog = OpenSave();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(test::AnswerFileDialog(dialog, keep));
    HWND question = WaitForQuestion(dialog);
    ASSERT_NE(question, nullptr);
    ASSERT_TRUE(test::PressButton(question, IDYES));
    HWND box = program_->WaitForDialog(L"Vorlune");
    ASSERT_NE(box, nullptr) << "no message box";
    EXPECT_EQ(test::MessageText(box),
              L"Processing failed. Please try again.\nlame_enc.dll is missing from the program's folder.");
    EXPECT_EQ(::GetWindow(box, GW_OWNER), program_->Frame());
    ASSERT_TRUE(test::PressButton(box, IDOK));
    EXPECT_TRUE(WaitReady());
    EXPECT_TRUE(program_->IdlePass() && program_->Windows().BackEnabled());
    EXPECT_EQ(test::ReadFileBytes(keep), "keep");
    EXPECT_EQ(NamesIn(dir_.Path()), (std::vector<std::wstring>{L"Song.mp3", L"keep.mp3"}));
    EXPECT_EQ(NamesIn(temp_.Path()), std::vector<std::wstring>{}) << "the failed save's files are kept";

    DWORD code = 0;
    ASSERT_TRUE(program_->Close(code));

    // With the encoder, a file another program holds cannot be replaced: the
    // reason says where to look. (Root under Wine writes into any folder, so
    // a held file stands in for a folder that cannot be written.)
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(Choose(song) && EnterStep3());
    KernelHandle held(::CreateFileW(keep.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    ASSERT_NE(dialog = OpenSave(), nullptr);
    ASSERT_TRUE(test::AnswerFileDialog(dialog, keep));
    ASSERT_NE(question = WaitForQuestion(dialog), nullptr);
    ASSERT_TRUE(test::PressButton(question, IDYES));
    ASSERT_NE(box = program_->WaitForDialog(L"Vorlune"), nullptr) << "no message box";
    EXPECT_EQ(test::MessageText(box), L"Processing failed. Please try again.\nThe file is open in another program.");
    ASSERT_TRUE(test::PressButton(box, IDOK));
    EXPECT_TRUE(WaitReady());
}

TEST_F(Step3ProgramRealInput, WhileARenderRunsNothingChangesTheProjectAndClosingStopsItLeavingNothingBehind)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    // A long song, so that the render lasts: 240 pieces of 2.5 s, one stream.
    std::string piece = test::ReadFileBytes(test::FixturePath(L"mp3\\cbr-44100-2.mp3")), whole;
    ASSERT_FALSE(piece.empty());
    for (int i = 0; i < 240; ++i) whole += piece;
    const std::wstring song = dir_.File(L"Long.mp3"), ring = dir_.File(L"ring.mp3");
    ASSERT_TRUE(test::WriteFileBytes(song, whole));
    ASSERT_TRUE(Choose(song) && EnterStep3());
    const test::WizardWindows w = program_->Windows();
    const std::wstring title = program_->Title();

    HWND dialog = OpenSave();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(test::AnswerFileDialog(dialog, ring));
    ASSERT_TRUE(test::WaitUntil([&] { return ShowsProcessing(); })) << "not processing";

    // Ctrl+O, and every command that would change the project, posted as the
    // buttons and the footer post them: all ignored.
    ASSERT_TRUE(program_->TakeForeground());
    ASSERT_TRUE(program_->AfterIdlePass([&] {
        test::PressKeys({VK_CONTROL, 'O'});
        for (UINT id : {ID_FILE_OPEN, ID_STEP1_CHOOSE_SONG, ID_STEP3_NEW})
            ::PostMessageW(program_->Frame(), WM_COMMAND, id, 0);
        for (UINT id : {ID_STEP3_SAVE, ID_STEP3_LOCATE, ID_STEP3_NEW})
            ::PostMessageW(s_.page, WM_COMMAND, id, 0);
    }));
    ::Sleep(500);  // a dialog that comes, comes now
    EXPECT_TRUE(program_->Dialogs().empty()) << "a dialog while processing";
    EXPECT_TRUE(ShowsProcessing()) << "the render ended too soon to tell";
    EXPECT_EQ(w.VisiblePage(), w.pages[2]);
    EXPECT_FALSE(w.BackEnabled());
    EXPECT_EQ(program_->Title(), title);
    // Nor does the footer's Back, posted before its button was disabled.
    ASSERT_TRUE(program_->Command(ID_WIZARD_BACK));
    ASSERT_EQ(w.VisiblePage(), w.pages[2]) << "Back left step 3 while processing";
    EXPECT_TRUE(ShowsProcessing()) << "the render ended too soon to tell";

    // The bar only rises, with steps between empty and full, and the render
    // ends unharmed: the default selection, columns 80 to 200 of the 398 of
    // the track.
    std::vector<int> widths;
    test::WaitUntil([&] {
        if (ShowsProcessing()) {
            const int width = BarWidth(s_.progress);
            if (ShowsProcessing() && (widths.empty() || width != widths.back())) widths.push_back(width);
        }
        return ShowsSaved();
    }, 120000);
    ASSERT_TRUE(ShowsSaved()) << "not saved";
    EXPECT_TRUE(std::is_sorted(widths.begin(), widths.end())) << "the bar went back";
    EXPECT_TRUE(std::any_of(widths.begin(), widths.end(), [](int x) { return x > 0 && x < 333; }))
        << "the bar showed no step between empty and full";
    EXPECT_TRUE(program_->Dialogs().empty());
    test::PcmWav in, out;
    ASSERT_TRUE(Decode(song, in) && Decode(ring, out));
    const uint32_t n = in.Frames();
    EXPECT_EQ(out.Frames(), uint32_t(int64_t(200.0 / 398 * n) - int64_t(80.0 / 398 * n)));

    // Closed while the next one runs: exit code 1, no partial ringtone, no
    // temporary file.
    ASSERT_TRUE(EnterStep3());
    ASSERT_NE(dialog = OpenSave(), nullptr);
    ASSERT_TRUE(test::AnswerFileDialog(dialog, dir_.File(L"ring2.mp3")));
    ASSERT_TRUE(test::WaitUntil([&] { return ShowsProcessing() && BarWidth(s_.progress) > 0; }))
        << "no progress";
    DWORD code = 0;
    ASSERT_TRUE(program_->Close(code)) << "still running";
    EXPECT_EQ(code, 1u);
    EXPECT_EQ(NamesIn(dir_.Path()), (std::vector<std::wstring>{L"Long.mp3", L"ring.mp3"}));
    EXPECT_EQ(NamesIn(temp_.Path()), std::vector<std::wstring>{});
}

// Whether the program's focus is in `hwnd`.
bool HasFocus(const RunningProgram& program, HWND hwnd)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(hwnd, nullptr), &info) && info.hwndFocus == hwnd &&
           ::GetForegroundWindow() == ::GetAncestor(hwnd, GA_ROOT) && program.Id() != 0;
}

TEST_F(Step3ProgramRealInput, FromASongToARingtoneByMouseAndKeys)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    const std::wstring song = Song(L"mp3\\render-stereo.mp3", L"Song.mp3");
    ASSERT_FALSE(song.empty());
    Screens screens(L"e2e");
    HWND frame = program_->Frame();
    const test::WizardWindows w = program_->Windows();
    auto shot = [&](const wchar_t* name, HWND over = nullptr) { EXPECT_TRUE(screens.Save(name, {frame, over})) << name; };
    EXPECT_TRUE(test::WaitUntil(
        [&] { return test::ScreenDifferences(w.pages[0], IDJ_CHOOSE_PROMPT, {95, 42}) == 0; }, 5000));
    shot(L"step1");

    // Ctrl+O, the song's path typed, Enter.
    ASSERT_TRUE(program_->TakeForeground());
    ASSERT_TRUE(test::PressKeys({VK_CONTROL, 'O'}));
    HWND dialog = program_->WaitForDialog();
    ASSERT_NE(dialog, nullptr) << "no Open dialog";
    ASSERT_TRUE(test::WaitUntil([&] { return HasFocus(*program_, test::FileNameEdit(dialog)); }, 5000))
        << "the name box has no focus";
    ASSERT_TRUE(test::TypeText(song));
    ASSERT_TRUE(test::WaitUntil([&] { return test::FileDialogName(dialog) == song; }, 5000));
    shot(L"open-dialog", dialog);
    ASSERT_TRUE(test::PressKeys({VK_RETURN}));
    ASSERT_TRUE(test::WaitUntil([&] { return program_->Title() == L"Vorlune - [Song.mp3]" && program_->Dialogs().empty(); }));
    ASSERT_TRUE(program_->IdlePass());
    ASSERT_EQ(w.VisiblePage(), w.pages[1]);
    const test::Step2Windows two = program_->Step2();
    ASSERT_TRUE(two.playPause && two.stop && two.trackBar && two.startTip && two.fadeIn && two.fadeOut);
    EXPECT_TRUE(test::WaitUntil([&] { return test::ScreenDifferences(two.page, IDJ_DRAG_PROMPT, {145, 50}) == 0; },
                                5000));
    shot(L"step2");

    // Play and Stop.
    ASSERT_TRUE(test::MouseClick(two.playPause, {16, 16}));
    ASSERT_TRUE(test::WaitUntil([&] { return two.StopEnabled(); }, 5000)) << "not playing";
    EXPECT_TRUE(test::ShowsLook(two.playPause, IDB_PAUSE, 3));
    shot(L"playing");
    ASSERT_TRUE(test::MouseClick(two.stop, {12, 12}));
    ASSERT_TRUE(test::WaitUntil([&] { return !two.StopEnabled(); }, 5000)) << "not stopped";

    // The start thumb dragged from column 80 to 120; both fades ticked.
    ASSERT_TRUE(test::MouseDrag(two.trackBar, {85, 38}, {125, 38}));
    EXPECT_TRUE(test::WaitUntil([&] { return test::RectIn(two.startTip, two.page).right == 91 + 10 + 120; }, 5000))
        << "the start thumb did not follow the mouse";
    ASSERT_TRUE(test::MouseClick(two.fadeIn, {5, 5}) && test::MouseClick(two.fadeOut, {5, 5}));
    EXPECT_TRUE(test::ShowsLook(two.fadeIn, IDB_FADE_IN_CHECKED, 4));
    EXPECT_TRUE(test::ShowsLook(two.fadeOut, IDB_FADE_OUT_CHECKED, 4));
    shot(L"selection-and-fades");

    // Next, Save, a name typed over the proposal, Enter.
    ASSERT_TRUE(test::MouseClick(w.next, {5, 5}));
    ASSERT_TRUE(test::WaitUntil([&] { return w.VisiblePage() == w.pages[2]; }, 5000));
    EXPECT_TRUE(ShowsCaption(IDJ_SAVE_PROMPT));
    shot(L"step3");
    ASSERT_TRUE(test::MouseClick(s_.save, {5, 5}));
    ASSERT_NE(dialog = program_->WaitForDialog(), nullptr) << "no Save dialog";
    ASSERT_TRUE(test::WaitUntil([&] { return HasFocus(*program_, test::FileNameEdit(dialog)); }, 5000));
    ASSERT_TRUE(test::PressKeys({VK_END}) && test::PressKeys({VK_SHIFT, VK_HOME}) && test::TypeText(L"My ring"));
    ASSERT_TRUE(test::WaitUntil([&] { return test::FileDialogName(dialog) == L"My ring"; }, 5000));
    shot(L"save-dialog", dialog);
    ASSERT_TRUE(test::PressKeys({VK_RETURN}));
    ASSERT_TRUE(WaitSaved()) << "not saved";
    EXPECT_TRUE(ShowsCaption(IDJ_SAVED));
    ASSERT_TRUE(program_->IdlePass());
    EXPECT_TRUE(w.BackEnabled());
    ASSERT_TRUE(test::MoveMouse(s_.page, {20, 20}));  // off the buttons
    EXPECT_TRUE(test::WaitUntil([&] { return test::ScreenDifferences(s_.locate, IDB_LOCATE, 3, 0) == 0; }, 5000))
        << "Locate keeps its hover look";
    shot(L"saved");

    // Columns 120 to 200 of 398, faded in and out.
    const std::wstring ring = dir_.File(L"My ring.mp3");
    test::PcmWav in, out;
    ASSERT_TRUE(Decode(song, in) && Decode(ring, out));
    const uint32_t n = in.Frames();
    EXPECT_EQ(out.Frames(), uint32_t(int64_t(200.0 / 398 * n) - int64_t(120.0 / 398 * n)));
    const double seconds = double(out.Frames()) / out.rate, full = Level(out, seconds / 2 - 0.5, seconds / 2 + 0.5);
    EXPECT_GT(full, 0.2);
    EXPECT_LT(Level(out, 0.0, 0.05), full * 0.06);
    EXPECT_LT(Level(out, seconds - 0.05, seconds), full * 0.06);
    EXPECT_EQ(NamesIn(dir_.Path()), (std::vector<std::wstring>{L"My ring.mp3", L"Song.mp3"}));
    EXPECT_EQ(NamesIn(temp_.Path()), std::vector<std::wstring>{}) << "the song's stores are kept";

    // Locate, seen beside the frame, which stops being topmost for it.
    ::SetWindowPos(frame, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const std::vector<HWND> explorers = ExplorerWindows();
    ASSERT_TRUE(test::MouseClick(s_.locate, {5, 5}));
    HWND explorer = WaitForNewExplorer(explorers);
    ASSERT_NE(explorer, nullptr) << "no explorer window";
    ::Sleep(1000);  // its first paint
    shot(L"explorer", explorer);
    EXPECT_TRUE(CloseExplorer(explorer));
    program_->KeepOnTop();
    // Once the file is gone, Locate does nothing.
    ASSERT_TRUE(::DeleteFileW(ring.c_str()));
    ASSERT_TRUE(program_->Click(s_.locate));
    EXPECT_EQ(WaitForNewExplorer(ExplorerWindows(), 3000), nullptr) << "Locate opened a window without the file";
    EXPECT_TRUE(ShowsSaved());

    // New: step 1 again, empty.
    ASSERT_TRUE(program_->TakeForeground());
    ASSERT_TRUE(test::MouseClick(s_.newRingtone, {5, 5}));
    ASSERT_TRUE(test::WaitUntil([&] { return w.VisiblePage() == w.pages[0]; }, 5000));
    ASSERT_TRUE(program_->IdlePass());
    EXPECT_EQ(program_->Title(), L"Vorlune");
    EXPECT_FALSE(w.NextEnabled());
    EXPECT_TRUE(test::WaitUntil(
        [&] { return test::ScreenDifferences(w.pages[0], IDJ_CHOOSE_PROMPT, {95, 42}) == 0; }, 5000));
    shot(L"new");
}

TEST_F(Step3ProgramRealInput, FromASongToARingtoneByTheKeysAlone)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    const std::wstring song = Song(L"mp3\\render-stereo.mp3", L"Song.mp3");
    ASSERT_FALSE(song.empty());
    const test::WizardWindows w = program_->Windows();
    auto focused = [&](HWND hwnd) { return test::WaitUntil([&] { return HasFocus(*program_, hwnd); }, 5000); };
    auto typeName = [&](HWND dialog, const std::wstring& name) {
        return focused(test::FileNameEdit(dialog)) && test::PressKeys({VK_END}) &&
               test::PressKeys({VK_SHIFT, VK_HOME}) && test::TypeText(name) &&
               test::WaitUntil([&] { return test::FileDialogName(dialog) == name; }, 5000) &&
               test::PressKeys({VK_RETURN});
    };

    // Ctrl+O, the song's path typed, Enter: step 2.
    ASSERT_TRUE(program_->TakeForeground());
    ASSERT_TRUE(test::PressKeys({VK_CONTROL, 'O'}));
    HWND dialog = program_->WaitForDialog();
    ASSERT_NE(dialog, nullptr) << "no Open dialog";
    ASSERT_TRUE(typeName(dialog, song));
    ASSERT_TRUE(test::WaitUntil([&] { return w.VisiblePage() == w.pages[1] && program_->Dialogs().empty(); }));
    const test::Step2Windows two = program_->Step2();
    ASSERT_TRUE(two.playPause && two.stop && two.trackBar && two.startTip && two.endTip && two.fadeIn);

    // Tab: Play, then the track bar (Stop is disabled). The start thumb by
    // twenty columns to 100, Tab inside to the end thumb, ten back to 190.
    ASSERT_TRUE(test::PressKeys({VK_TAB}));
    ASSERT_TRUE(focused(two.playPause));
    ASSERT_TRUE(test::PressKeys({VK_TAB}));
    ASSERT_TRUE(focused(two.trackBar));
    ASSERT_TRUE(test::PressKeys({VK_SHIFT, VK_RIGHT}) && test::PressKeys({VK_SHIFT, VK_RIGHT}));
    ASSERT_TRUE(test::PressKeys({VK_TAB}) && test::PressKeys({VK_SHIFT, VK_LEFT}));
    EXPECT_TRUE(test::WaitUntil([&] {
        return test::RectIn(two.startTip, two.page).right == 91 + 10 + 100 &&
               test::RectIn(two.endTip, two.page).left == 91 + 10 + 190;
    }, 5000)) << "the thumbs did not follow the keys";
    EXPECT_TRUE(HasFocus(*program_, two.trackBar));

    // Space plays, Space pauses, Esc stops.
    ASSERT_TRUE(test::PressKeys({VK_SPACE}));
    EXPECT_TRUE(test::WaitUntil([&] { return two.StopEnabled(); }, 5000)) << "not playing";
    EXPECT_TRUE(test::ShowsLook(two.playPause, IDB_PAUSE, 3));
    ASSERT_TRUE(test::PressKeys({VK_SPACE}));
    EXPECT_TRUE(test::ShowsLook(two.playPause, IDB_PLAY, 3)) << "not paused";
    EXPECT_TRUE(two.StopEnabled());
    ASSERT_TRUE(test::PressKeys({VK_ESCAPE}));
    EXPECT_TRUE(test::WaitUntil([&] { return !two.StopEnabled(); }, 5000)) << "not stopped";

    // Tab leaves the track bar for Fade In, Space ticks it.
    ASSERT_TRUE(test::PressKeys({VK_TAB}));
    ASSERT_TRUE(focused(two.fadeIn));
    ASSERT_TRUE(test::PressKeys({VK_SPACE}) && test::PressKeys({VK_TAB}));
    ASSERT_TRUE(focused(two.fadeOut));
    EXPECT_TRUE(test::ShowsLook(two.fadeIn, IDB_FADE_IN_CHECKED, 4)) << "Fade In not ticked";

    // Alt+Right: step 3 with the focus on Save; Enter, a name typed, Enter.
    ASSERT_TRUE(test::HoldKey(VK_MENU, true) && test::PressKeys({VK_RIGHT}) && test::HoldKey(VK_MENU, false));
    ASSERT_TRUE(test::WaitUntil([&] { return w.VisiblePage() == w.pages[2]; }, 5000)) << "Alt+Right did not go on";
    ASSERT_TRUE(focused(s_.save));
    ASSERT_TRUE(test::PressKeys({VK_RETURN}));
    ASSERT_NE(dialog = program_->WaitForDialog(), nullptr) << "no Save dialog";
    ASSERT_TRUE(typeName(dialog, L"By keys"));
    ASSERT_TRUE(WaitSaved()) << "not saved";

    // The focus went from the hidden Save to Locate; Tab to New, Enter.
    ASSERT_TRUE(focused(s_.locate));
    ASSERT_TRUE(test::PressKeys({VK_TAB}));
    ASSERT_TRUE(focused(s_.newRingtone));
    ASSERT_TRUE(test::PressKeys({VK_RETURN}));
    ASSERT_TRUE(test::WaitUntil([&] { return w.VisiblePage() == w.pages[0]; }, 5000));
    ASSERT_TRUE(program_->IdlePass());
    EXPECT_EQ(program_->Title(), L"Vorlune");

    // Columns 100 to 190 of 398, faded in.
    test::PcmWav in, out;
    ASSERT_TRUE(Decode(song, in) && Decode(dir_.File(L"By keys.mp3"), out));
    const uint32_t n = in.Frames();
    EXPECT_EQ(out.Frames(), uint32_t(int64_t(190.0 / 398 * n) - int64_t(100.0 / 398 * n)));
    const double seconds = double(out.Frames()) / out.rate, full = Level(out, seconds / 2 - 0.5, seconds / 2 + 0.5);
    EXPECT_GT(full, 0.2);
    EXPECT_LT(Level(out, 0.0, 0.05), full * 0.06);
}

}  // namespace
}  // namespace vorlune
