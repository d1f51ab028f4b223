#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "audio/Mp3Decoder.h"
#include "audio/RenderJob.h"
#include "audio/RingtoneProject.h"
#include "support/FakePropertyStore.h"
#include "support/Fixtures.h"
#include "support/MessageRecorder.h"

namespace vorlune {
namespace {

using test::FixturePath;
using test::MessageRecorder;
using test::PcmWav;
using test::TempPath;

// Renders through the real job, its messages arriving at a real window on
// this thread.
struct Render {
    RingtoneProject project;
    MessageRecorder window;
    std::vector<std::pair<WPARAM, LPARAM>> messages;

    // The job's last message: kJobSucceeded or kJobFailed, or -1 for neither.
    int Run()
    {
        RenderJob job(window.Hwnd(), &project);
        if (!job.Start()) return -2;
        window.PumpUntil([&] { return !job.IsThreadAlive(); }, 120000);
        window.PumpPending();
        Collect();
        for (auto it = messages.rbegin(); it != messages.rend(); ++it)
            if (it->first == kJobSucceeded || it->first == kJobFailed) return int(it->first);
        return -1;
    }
    void Collect()
    {
        messages.clear();
        for (const auto& m : window.Messages())
            if (m.msg == WM_JOB_PROGRESS) messages.emplace_back(m.wParam, m.lParam);
    }
};

bool Decode(const std::wstring& mp3, PcmWav& out)
{
    TempPath wav(L".wav");
    return DecodeToWav(wav, mp3, nullptr) && test::ReadPcmWav(wav, out);
}

// Mean absolute level (0 .. 1) of channel 0 over [from, to) seconds.
double Level(const PcmWav& w, double from, double to)
{
    const size_t a = size_t(from * w.rate), b = std::min<size_t>(size_t(to * w.rate), w.Frames());
    double sum = 0;
    for (size_t i = a; i < b; ++i) sum += std::abs(w.samples[i * w.channels]);
    return b > a ? sum / double(b - a) / 32768.0 : 0;
}

uint32_t SongFrames(const std::wstring& mp3)
{
    PcmWav w;
    return Decode(mp3, w) ? w.Frames() : 0;
}

TEST(Render, ASelectionWithBothFadesBecomesAFadedRingtone)
{
    const std::wstring song = FixturePath(L"mp3\\render-stereo.mp3");
    ASSERT_FALSE(song.empty());
    const std::vector<uint8_t> songBytes = test::ReadAll(song);
    const uint32_t songFrames = SongFrames(song);
    ASSERT_EQ(songFrames, 20u * 44100);
    const int tempBefore = test::CountTempFiles(L"~Ve*");

    TempPath out(L".mp3");
    Render r;
    r.project.sourcePath = song;
    r.project.outputPath = out;
    r.project.SetSelection(0.25, 0.75);  // 10 s of a 20 s song
    r.project.fadeIn = r.project.fadeOut = 1;
    ASSERT_EQ(r.Run(), int(kJobSucceeded));

    // Start, rising positions, success at the end of the range.
    EXPECT_EQ(r.messages.front(), std::make_pair(WPARAM(kJobStarted), LPARAM(3100)));
    for (size_t i = 2; i + 1 < r.messages.size(); ++i) {
        EXPECT_EQ(r.messages[i].first, WPARAM(kJobPosition));
        EXPECT_GT(r.messages[i].second, r.messages[i - 1].second);
    }
    EXPECT_EQ(r.messages.back(), std::make_pair(WPARAM(kJobSucceeded), LPARAM(3100)));

    // Only the loaded document's two channel stores remain, until it is reset.
    EXPECT_EQ(test::CountTempFiles(L"~Ve*"), tempBefore + 2);
    r.project.Reset();
    EXPECT_EQ(test::CountTempFiles(L"~Ve*"), tempBefore);
    EXPECT_EQ(test::ReadAll(song), songBytes);  // the song is only read

    PcmWav w;
    ASSERT_TRUE(Decode(out, w));
    EXPECT_EQ(w.channels, 2);
    EXPECT_EQ(w.rate, 44100u);
    EXPECT_EQ(w.Frames(), uint32_t(songFrames * 0.75) - uint32_t(songFrames * 0.25));
    const double full = Level(w, 2.0, 3.0);
    EXPECT_GT(full, 0.2);
    EXPECT_LT(Level(w, 0.0, 0.05), full * 0.06);  // rises from silence
    EXPECT_NEAR(Level(w, 0.70, 0.80), full * 0.5, full * 0.08);
    EXPECT_NEAR(Level(w, 1.6, 2.0), full, full * 0.05);
    EXPECT_NEAR(Level(w, 8.0, 8.4), full, full * 0.05);
    EXPECT_NEAR(Level(w, 9.2, 9.3), full * 0.5, full * 0.08);  // halfway down
    EXPECT_LT(Level(w, 9.95, 10.0), full * 0.06);                // and silent at the end
}

TEST(Render, MonoStaysMonoAndAnEmptySelectionKeepsTheWholeSong)
{
    const std::wstring song = FixturePath(L"mp3\\render-mono.mp3");
    ASSERT_FALSE(song.empty());
    TempPath out(L".mp3");
    Render r;
    r.project.sourcePath = song;
    r.project.outputPath = out;
    r.project.SetSelection(0.4, 0.4);
    ASSERT_EQ(r.Run(), int(kJobSucceeded));
    PcmWav w;
    ASSERT_TRUE(Decode(out, w));
    EXPECT_EQ(w.channels, 1);
    EXPECT_EQ(w.rate, 22050u);
    EXPECT_EQ(w.Frames(), SongFrames(song));
    EXPECT_GT(Level(w, 0.0, 0.05), 0.2);  // no fades asked for
}

TEST(Render, ShortSelectionsFadeOverHalfTheirLengthOrNotAtAll)
{
    const std::wstring song = FixturePath(L"mp3\\render-mono.mp3");
    TempPath out(L".mp3");
    Render r;
    r.project.sourcePath = song;
    r.project.outputPath = out;
    r.project.SetSelection(0.3, 0.5);  // 2 s: each fade takes 1 s
    r.project.fadeIn = r.project.fadeOut = 1;
    ASSERT_EQ(r.Run(), int(kJobSucceeded));
    PcmWav w;
    ASSERT_TRUE(Decode(out, w));
    const double peak = Level(w, 0.95, 1.05);
    EXPECT_NEAR(Level(w, 0.45, 0.55), peak * 0.5, peak * 0.08);
    EXPECT_NEAR(Level(w, 1.45, 1.55), peak * 0.5, peak * 0.08);

    Render tiny;
    tiny.project.sourcePath = song;
    tiny.project.outputPath = out;
    tiny.project.SetSelection(0.5, 0.52);  // 0.2 s: too short to fade
    tiny.project.fadeIn = tiny.project.fadeOut = 1;
    ASSERT_EQ(tiny.Run(), int(kJobSucceeded));
    PcmWav t;
    ASSERT_TRUE(Decode(out, t));
    EXPECT_NEAR(double(t.Frames()) / t.rate, 0.2, 0.001);
    EXPECT_GT(Level(t, 0.0, 0.02), 0.2);
}

TEST(Render, FailuresPostFourAndLeaveNoTemporaryFiles)
{
    const int tempBefore = test::CountTempFiles(L"~Ve*");
    TempPath out(L".mp3");
    {
        Render missing;
        missing.project.sourcePath = test::TempDirectory() + L"no such song.mp3";
        missing.project.outputPath = out;
        EXPECT_EQ(missing.Run(), int(kJobFailed));
        EXPECT_FALSE(test::Exists(out));
    }
    {
        Render noOutput;
        noOutput.project.sourcePath = FixturePath(L"mp3\\render-mono.mp3");
        EXPECT_EQ(noOutput.Run(), int(kJobFailed));
    }
    {
        Render notMp3;
        notMp3.project.sourcePath = FixturePath(L"mp3\\text.mp3");
        notMp3.project.outputPath = out;
        EXPECT_EQ(notMp3.Run(), int(kJobFailed));
    }
    {
        // Asked to write over the song: refused, and the song is untouched.
        TempPath copy(L".mp3");
        ASSERT_TRUE(CopyFileW(FixturePath(L"mp3\\render-mono.mp3").c_str(), copy.Path().c_str(), FALSE));
        const std::vector<uint8_t> before = test::ReadAll(copy);
        Render over;
        over.project.sourcePath = copy;
        std::wstring shouted = copy.Path();
        for (wchar_t& c : shouted) c = wchar_t(towupper(c));
        over.project.outputPath = shouted;
        EXPECT_EQ(over.Run(), int(kJobFailed));
        EXPECT_EQ(test::ReadAll(copy), before);
    }
    EXPECT_EQ(test::CountTempFiles(L"~Ve*"), tempBefore);
}

TEST(Render, ACancelledJobPostsNothingMoreAndCleansUp)
{
    const int tempBefore = test::CountTempFiles(L"~Ve*");
    TempPath out(L".mp3");
    Render r;
    r.project.sourcePath = FixturePath(L"mp3\\long-44100-2.mp3");
    r.project.outputPath = out;
    {
        RenderJob job(r.window.Hwnd(), &r.project);
        ASSERT_TRUE(job.Start());
        // Cancel once the job has made some progress, as the window would.
        ASSERT_TRUE(r.window.PumpUntil([&] {
            for (const auto& m : r.window.Messages())
                if (m.msg == WM_JOB_PROGRESS && m.wParam == kJobPosition) return true;
            return false;
        }));
        job.CancelAndWait();
        EXPECT_FALSE(job.IsThreadAlive());
    }
    r.window.PumpPending();
    r.Collect();
    for (const auto& m : r.messages) {
        EXPECT_NE(m.first, WPARAM(kJobSucceeded));
        EXPECT_NE(m.first, WPARAM(kJobFailed));
    }
    r.project.Reset();
    EXPECT_EQ(test::CountTempFiles(L"~Ve*"), tempBefore);
}

// Sends the song's path to one set of properties and anything else to another.
class TwoFiles final : public PropertyBinder {
public:
    TwoFiles(std::wstring song, test::FakeFile& songFile, test::FakeFile& other)
        : song_(std::move(song)), songBinder_(songFile), otherBinder_(other) {}
    HRESULT Bind(const std::wstring& path, bool write, IPropertySetStorage** out) override
    {
        return (path == song_ ? songBinder_ : otherBinder_).Bind(path, write, out);
    }

private:
    std::wstring song_;
    test::FakeBinder songBinder_, otherBinder_;
};

TEST(Render, TheSongsTagsReachTheRingtone)
{
    const std::wstring song = FixturePath(L"mp3\\render-mono.mp3");
    test::FakeFile songTags, ringtoneTags;
    songTags.sets[test::kMusic] = {{2, std::wstring(L"Артист")}, {3, std::wstring(L"Title")}, {5, uint32_t(2004)}};
    TwoFiles binder(song, songTags, ringtoneTags);
    TempPath out(L".mp3");
    Render r;
    r.project.sourcePath = song;
    r.project.outputPath = out;
    r.project.document.SetPropertyBinder(&binder);
    ASSERT_EQ(r.Run(), int(kJobSucceeded));
    EXPECT_EQ(std::get<std::wstring>(ringtoneTags.sets[test::kMusic][2]), L"Артист");
    EXPECT_EQ(std::get<std::wstring>(ringtoneTags.sets[test::kSummary][2]), L"Title");
    EXPECT_EQ(ringtoneTags.commits, 3);

    // A song without tags: nothing is written.
    test::FakeFile bare, untouched;
    TwoFiles none(song, bare, untouched);
    Render plain;
    plain.project.sourcePath = song;
    plain.project.outputPath = out;
    plain.project.document.SetPropertyBinder(&none);
    ASSERT_EQ(plain.Run(), int(kJobSucceeded));
    EXPECT_TRUE(untouched.openModes.empty());
}

}  // namespace
}  // namespace vorlune
