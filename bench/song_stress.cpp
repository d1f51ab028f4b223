// Drives the real program through Open, step 2, Play, Stop and Save for many
// damaged copies of one song, and counts what a user must never meet: a
// crash, a window that stops answering (no answer to WM_NULL within 5 s) and
// "~Ve" files left in the program's temporary folder while it waits on step 3.
//
//   bench_song_stress.exe SONG.mp3 COUNT WORKDIR [SEED]
//
// Not a test: it runs for minutes and its songs differ with the seed.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "res/resource.h"
#include "support/RunningProgram.h"

using namespace vorlune;
using test::RunningProgram;

namespace {

std::vector<char> ReadAll(const std::wstring& path)
{
    std::vector<char> bytes;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size{};
    ::GetFileSizeEx(file, &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!bytes.empty()) ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    ::CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

bool WriteAll(const std::wstring& path, const std::vector<char>& bytes)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    const bool ok = bytes.empty() || ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    ::CloseHandle(file);
    return ok && put == bytes.size();
}

// One damage of the song, by kind: bytes flipped, cut short, junk put in,
// a block zeroed, a block repeated, its head scrambled.
// A kind of -1 draws one at random.
std::vector<char> Mutated(std::vector<char> song, std::mt19937& random, int& kind)
{
    auto at = [&](size_t size) { return size ? std::uniform_int_distribution<size_t>(0, size - 1)(random) : 0; };
    auto byte = [&] { return static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random)); };
    if (kind < 0) kind = std::uniform_int_distribution<int>(0, 5)(random);
    switch (kind) {
    case 0:
        for (int i = std::uniform_int_distribution<int>(1, 200)(random); i > 0; --i) song[at(song.size())] ^= byte();
        break;
    case 1:
        song.resize(at(song.size()));
        break;
    case 2: {
        std::vector<char> junk(std::uniform_int_distribution<size_t>(1, 20000)(random));
        for (char& c : junk) c = byte();
        song.insert(song.begin() + static_cast<std::ptrdiff_t>(at(song.size())), junk.begin(), junk.end());
        break;
    }
    case 3: {
        const size_t from = at(song.size()), n = std::min<size_t>(song.size() - from, at(30000) + 1);
        std::fill_n(song.begin() + static_cast<std::ptrdiff_t>(from), n, '\0');
        break;
    }
    case 4: {
        const size_t from = at(song.size()), n = std::min<size_t>(song.size() - from, at(30000) + 1);
        std::vector<char> block(song.begin() + static_cast<std::ptrdiff_t>(from),
                                song.begin() + static_cast<std::ptrdiff_t>(from + n));
        song.insert(song.begin() + static_cast<std::ptrdiff_t>(at(song.size())), block.begin(), block.end());
        break;
    }
    default:
        for (size_t i = 0; i < std::min<size_t>(song.size(), 64); ++i)
            if (random() % 3 == 0) song[i] = byte();
        break;
    }
    return song;
}

int CountTempFiles(const std::wstring& dir)
{
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileW((dir + L"\\~Ve*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do ++count;
    while (::FindNextFileW(find, &found));
    ::FindClose(find);
    return count;
}

// What the program did with one song.
enum class Outcome { kRefused, kSaved, kSaveFailed, kLost, kCrashed, kHung };

class Driver {
public:
    explicit Driver(std::wstring temp) : temp_(std::move(temp)) {}

    bool Answers() const
    {
        DWORD_PTR result = 0;
        return program_ && ::SendMessageTimeoutW(program_->Frame(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    }
    bool Alive() const { return program_ && ::WaitForSingleObject(program_->Process(), 0) == WAIT_TIMEOUT; }

    Outcome Run(const std::wstring& song, const std::wstring& output)
    {
        if (!program_ && !Start()) return Outcome::kCrashed;
        const Outcome outcome = Drive(song, output);
        if (outcome == Outcome::kCrashed || outcome == Outcome::kHung || outcome == Outcome::kLost) Stop();
        return outcome;
    }
    int leftovers = 0;

private:
    bool Start()
    {
        program_ = std::make_unique<RunningProgram>(test::ProgramStart{SW_SHOWNORMAL, {}, temp_, {}});
        if (program_->Ready()) return true;
        program_.reset();
        return false;
    }
    void Stop()
    {
        if (program_ && Alive()) ::TerminateProcess(program_->Process(), 1);
        program_.reset();
    }
    // Crashed, hung, or only lost (a dialog missing, a step not reached).
    Outcome Why()
    {
        if (!Alive()) return Outcome::kCrashed;
        return Answers() ? Outcome::kLost : Outcome::kHung;
    }
    // Presses OK on the program's message box, if it shows one.
    bool AnswerBox()
    {
        HWND box = nullptr;
        test::WaitUntil([&] {
            for (HWND d : program_->Dialogs())
                if (test::TextOf(d) == L"Vorlune") box = d;
            return box != nullptr;
        }, 300);
        return box && test::PressButton(box, IDOK) && test::WaitUntil([&] { return program_->Dialogs().empty(); });
    }

    Outcome Drive(const std::wstring& song, const std::wstring& output)
    {
        RunningProgram& p = *program_;
        const test::WizardWindows w = p.Windows();
        if (w.pages.size() != 3 || !p.Command(ID_STEP3_NEW)) return Why();
        ::PostMessageW(p.Frame(), WM_COMMAND, ID_FILE_OPEN, 0);
        HWND dialog = p.WaitForDialog();
        if (!dialog || !test::AnswerFileDialog(dialog, song)) return Why();
        // Refused with a box, at once or once the player tried the song; or step 2.
        auto box = [&] {
            for (HWND d : p.Dialogs())
                if (test::TextOf(d) == L"Vorlune") return true;
            return false;
        };
        test::WaitUntil([&] { return box() || (p.Dialogs().empty() && w.VisiblePage() == w.pages[1]); }, 10000);
        ::Sleep(200);
        if (box()) return AnswerBox() && p.IdlePass() && Answers() ? Outcome::kRefused : Why();
        if (!p.IdlePass() || w.VisiblePage() != w.pages[1]) return Why();
        // Play a moment, then Stop; a box for a song the player gave up on.
        const test::Step2Windows s2 = p.Step2();
        if (!p.Click(s2.playPause)) return Why();
        ::Sleep(300);
        if (!Answers()) return Why();
        if (!p.Click(s2.stop)) return Why();
        if (!Answers()) return Why();
        if (!p.Command(ID_WIZARD_NEXT) || w.VisiblePage() != w.pages[2]) return Why();
        const test::Step3Windows s3 = p.Step3();
        if (!test::ClickButton(s3.save) || !(dialog = p.WaitForDialog()) || !test::AnswerFileDialog(dialog, output))
            return Why();
        Outcome outcome = Outcome::kLost;
        test::WaitUntil([&] {
            if (!Alive()) return true;
            if (test::Step3Windows::Shows(s3.locate)) outcome = Outcome::kSaved;
            for (HWND d : p.Dialogs())
                if (test::TextOf(d) == L"Vorlune") outcome = Outcome::kSaveFailed;
            return outcome != Outcome::kLost;
        }, 60000);
        if (outcome == Outcome::kSaveFailed) AnswerBox();
        if (outcome == Outcome::kLost) return Why();
        if (!Answers()) return Why();
        if (p.IdlePass()) leftovers += CountTempFiles(temp_) > 0;
        return outcome;
    }

    std::wstring temp_;
    std::unique_ptr<RunningProgram> program_;
};

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_song_stress SONG.mp3 COUNT WORKDIR [SEED [KIND]]\n");
        return 2;
    }
    const std::vector<char> song = ReadAll(argv[1]);
    const int count = std::max(1, _wtoi(argv[2]));
    const std::wstring work = argv[3], temp = work + L"\\temp";
    std::mt19937 random(argc > 4 ? static_cast<unsigned>(_wtoi(argv[4])) : 25u);
    // One kind of damage only, to chase what it does.
    const int onlyKind = argc > 5 ? std::clamp(_wtoi(argv[5]), 0, 5) : -1;
    ::CreateDirectoryW(work.c_str(), nullptr);
    ::CreateDirectoryW(temp.c_str(), nullptr);
    if (song.empty()) {
        std::fprintf(stderr, "cannot read the song\n");
        return 2;
    }
    const DWORD start = ::GetTickCount();
    Driver driver(temp);
    int counts[6] = {};
    const char* names[6] = {"refused", "saved", "save failed", "lost", "crashed", "hung"};
    for (int i = 0; i < count; ++i) {
        int kind = onlyKind;
        const std::wstring path = work + L"\\song-" + std::to_wstring(i) + L".mp3";
        if (!WriteAll(path, Mutated(song, random, kind))) return 2;
        const DWORD songStart = ::GetTickCount();
        const std::wstring ring = work + L"\\ring.mp3";
        ::DeleteFileW(ring.c_str());  // no question before replacing it
        const Outcome outcome = driver.Run(path, ring);
        ++counts[static_cast<int>(outcome)];
        std::printf("song %d (damage %d): %s in %.1f s\n", i, kind, names[static_cast<int>(outcome)],
                    (::GetTickCount() - songStart) / 1000.0);
        std::fflush(stdout);
    }
    std::printf("songs=%d", count);
    for (int k = 0; k < 6; ++k) std::printf(" %s=%d", names[k], counts[k]);
    std::printf(" leftover-temp-after-save=%d\n", driver.leftovers);
    std::printf("seconds=%.1f\n", (::GetTickCount() - start) / 1000.0);
    return counts[4] + counts[5] > 0;
}
