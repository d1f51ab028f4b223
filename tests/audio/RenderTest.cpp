#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "audio/Mp3Decoder.h"
#include "audio/RenderJob.h"
#include "audio/RingtoneProject.h"
#include "io/FileMapping.h"
#include "io/WriteErrors.h"
#include "support/FakePropertyStore.h"
#include "support/Fixtures.h"
#include "support/MessageRecorder.h"
#include "support/RecordingRange.h"

namespace vorlune {
namespace {

using test::FixturePath;
using test::MessageRecorder;
using test::PcmWav;
using test::TempPath;

std::vector<float> Samples(ChannelSamples& ch)
{
    std::vector<float> out(size_t(ch.Count()));
    ch.ForEachRun(0, ch.Count(), [&](float* run, int32_t n, int32_t index) {
        std::copy(run, run + n, out.begin() + index);
    });
    return out;
}

// Renders through the real job, its messages arriving at a real window on
// this thread.
struct Render {
    RingtoneProject project;
    MessageRecorder window;
    std::vector<std::pair<WPARAM, LPARAM>> messages;
    RenderFailure failure = RenderFailure::kNone;
    DWORD error = NO_ERROR;

    // The job's one end message: kJobSucceeded or kJobFailed; -1 for none or more.
    int Run()
    {
        RenderJob job(window.Hwnd(), &project);
        if (!job.Start()) return -2;
        window.PumpUntil([&] { return !job.IsBusy(); }, 120000);
        job.Wait();
        failure = job.Failure();
        error = job.FailureError();
        window.PumpPending();
        Collect();
        int end = -1, ends = 0;
        for (const auto& m : messages)
            if (m.first == kJobSucceeded || m.first == kJobFailed) end = int(m.first), ++ends;
        return ends == 1 ? end : -1;
    }
    // Whether the window has had the job message `event`, with a value of
    // at least `atLeast`.
    bool Heard(WPARAM event, uint32_t atLeast = 0) const
    {
        for (const auto& m : window.Messages())
            if (m.msg == WM_JOB_PROGRESS && m.wParam == event && uint32_t(m.lParam) >= atLeast) return true;
        return false;
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

    // The job let go of the song's stores before it said it was done.
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
        ASSERT_TRUE(r.window.PumpUntil([&] { return r.Heard(kJobPosition); }));
        job.Cancel();
        job.Wait();
    }
    r.window.PumpPending();
    r.Collect();
    for (const auto& m : r.messages) {
        EXPECT_NE(m.first, WPARAM(kJobSucceeded));
        EXPECT_NE(m.first, WPARAM(kJobFailed));
    }
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

// Decoding only the selection gives the very samples of decoding the whole song
// and cropping it, at every rate, mono and stereo, CBR (length from a scan) and
// VBR (from the Info tag); selections at the start, middle, end, none (whole).
TEST(Render, TheSelectionAloneDecodesToTheWholeSongsSamples)
{
    const std::pair<double, double> selections[] = {{0.0, 0.3}, {0.35, 0.65}, {0.7, 1.0}, {0.5, 0.5}};
    for (const wchar_t* name : {L"cbr-8000-1.mp3", L"vbr-8000-2.mp3", L"cbr-22050-1.mp3", L"vbr-22050-2.mp3",
                                L"cbr-44100-2.mp3", L"vbr-44100-1.mp3", L"cbr-48000-1.mp3", L"vbr-48000-2.mp3",
                                L"long-44100-2.mp3"}) {
        const std::wstring song = FixturePath((std::wstring(L"mp3\\") + name).c_str());
        AudioDocument whole;
        ASSERT_TRUE(whole.Open(song, nullptr)) << name;
        for (const auto& [a, b] : selections) {
            AudioDocument cropped, selected;
            ASSERT_TRUE(whole.Clip().CopyTo(cropped.Clip(), nullptr));
            const FrameSpan span = SelectionFrames(a, b, whole.Clip().buffer.frames);
            ASSERT_TRUE((span.first == 0 && span.end == whole.Clip().buffer.frames) ||
                        cropped.Crop(int32_t(span.first), int32_t(span.end), false));
            ASSERT_TRUE(selected.OpenSelection(song, a, b, nullptr)) << name << " " << a;
            SampleBuffer &want = cropped.Clip().buffer, &got = selected.Clip().buffer;
            ASSERT_EQ(got.frames, want.frames) << name << " " << a;
            ASSERT_EQ(got.channels, want.channels);
            EXPECT_EQ(got.rate, want.rate);
            for (int c = 0; c < got.channels; ++c) {
                const std::vector<float> g = Samples(got.Channel(c)), w = Samples(want.Channel(c));
                EXPECT_TRUE(g == w) << name << " selection " << a << ".." << b << " channel " << c << " from frame "
                                    << std::mismatch(g.begin(), g.end(), w.begin()).first - g.begin();
            }
        }
    }
}

// The old file at the output path survives a failure or a cancel in every
// stage byte for byte, and nothing is left beside it or in the temporary
// folder (here the same folder) but the stores of the loaded document.
TEST(Render, TheOldOutputSurvivesEveryFailureAndCancel)
{
    const std::wstring song = FixturePath(L"mp3\\long-44100-2.mp3"), output = test::TempDirectory() + L"ring.mp3";
    const std::vector<uint8_t> old(3000, uint8_t(0x5A));
    ASSERT_TRUE(test::WriteAll(output, old.data(), old.size()));
    TempPath copy(L".mp3");  // of the song, for another program to hold
    ASSERT_TRUE(CopyFileW(song.c_str(), copy.Path().c_str(), FALSE));
    const int files = test::CountTempFiles(L"*");
    const auto expectUntouched = [&](const char* what, int stores) {
        EXPECT_EQ(test::ReadAll(output), old) << what;
        EXPECT_EQ(test::CountTempFiles(L"*"), files + stores) << what;
    };
    // Cancels inside the edit and save stages, where their own ranges stand.
    AudioDocument doc;
    ASSERT_TRUE(doc.OpenSelection(song, 0.25, 0.75, nullptr));
    test::RecordingRange edit;
    edit.Init(100, 0);
    edit.cancelAbove = 50;  // after the crop's share, before the fades
    EXPECT_FALSE(EditForRingtone(doc, 0.0, 1.0, true, true, edit));
    for (const uint32_t mark : {1u, 1000u, 1999u}) {
        test::RecordingRange save;
        save.Init(2000, 0);
        save.cancelAbove = mark;
        EXPECT_FALSE(doc.SaveMp3(output, &save));
        expectUntouched("cancelled save", 2);
    }
    ASSERT_TRUE(doc.SaveMp3(output, nullptr));  // success replaces it
    EXPECT_EQ(test::CountTempFiles(L"*"), files + 2);
    EXPECT_NE(test::ReadAll(output), old);
    ASSERT_TRUE(test::WriteAll(output, old.data(), old.size()));

    // Jobs that fail say why and post one "failed".
    DWORD error = NO_ERROR;
    const auto failure = [&](const std::wstring& source, const std::wstring& out) {
        Render r;
        r.project.sourcePath = source;
        r.project.outputPath = out;
        r.project.SetSelection(0.4, 0.5);
        EXPECT_EQ(r.Run(), int(kJobFailed));
        error = r.error;
        return r.failure;
    };
    EXPECT_EQ(failure(test::TempDirectory() + L"gone.mp3", output), RenderFailure::kSongMissing);
    EXPECT_EQ(failure(song, test::TempDirectory() + L"no folder\\ring.mp3"), RenderFailure::kOutputFolderMissing);
    EXPECT_EQ(failure(song, song), RenderFailure::kOutputIsSong);
    // Another program holds the old file, or the song, without sharing it.
    HANDLE held = CreateFileW(output.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(failure(song, output), RenderFailure::kOutputInUse);
    CloseHandle(held);
    held = CreateFileW(copy.Path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(failure(copy, output), RenderFailure::kSongInUse);
    CloseHandle(held);
    expectUntouched("failed jobs", 2);

    // The same damaged song again and again, cancelled as soon as its
    // failure is heard (a window closing): always the one true reason.
    for (int i = 0; i < 6; ++i) {
        Render r;
        r.project.sourcePath = FixturePath(L"mp3\\text.mp3");
        r.project.outputPath = output;
        RenderJob job(r.window.Hwnd(), &r.project);
        ASSERT_TRUE(job.Start());
        ASSERT_TRUE(r.window.PumpUntil([&] { return r.Heard(kJobFailed); }));
        job.Cancel();
        job.Wait();
        EXPECT_EQ(job.Failure(), RenderFailure::kSongUnreadable) << i;
    }

    // A disk that fills up, or refuses, in each stage that writes: the
    // decoded selection and its stores in the temporary folder, then the
    // ringtone beside the old file.
    int64_t frames = 0;
    long rate = 0;
    int channels = 0;
    ASSERT_TRUE(Mp3Decoder().Probe(song, frames, rate, channels));
    const FrameSpan span = SelectionFrames(0.4, 0.5, frames);
    const uint64_t W = MappedWindowSize(), samples = uint64_t(span.end - span.first) * channels;
    const uint64_t decoded = (44 + samples * 2 + W - 1) / W * W, stores = samples * 4;
    struct Fault {
        uint64_t room;
        DWORD error;
        RenderFailure why;
    };
    for (const Fault& f : {Fault{0, ERROR_DISK_FULL, RenderFailure::kTempDiskFull},
                           Fault{decoded, ERROR_DISK_FULL, RenderFailure::kTempDiskFull},
                           Fault{decoded + stores + 4096, ERROR_DISK_FULL, RenderFailure::kDiskFull},
                           Fault{0, ERROR_ACCESS_DENIED, RenderFailure::kOther},
                           Fault{decoded + stores + 4096, ERROR_ACCESS_DENIED, RenderFailure::kOutputNotWritable}}) {
        LimitWrites(f.room, f.error);
        EXPECT_EQ(failure(song, output), f.why) << f.room;
        UnlimitWrites();
        EXPECT_EQ(error, f.error) << f.room;
        expectUntouched("a full or refusing disk", 2);
    }

    // Jobs cancelled right after Start and once each stage has begun (the
    // open one in the job's own range), as a window would: no end message.
    for (const uint32_t mark : {0u, 1u, 1000u, 1100u, 1500u}) {
        Render r;
        r.project.sourcePath = song;
        r.project.outputPath = output;
        r.project.fadeIn = r.project.fadeOut = 1;
        RenderJob job(r.window.Hwnd(), &r.project);
        ASSERT_TRUE(job.Start());
        r.window.PumpUntil([&] { return mark == 0 || r.Heard(kJobPosition, mark) || !job.IsBusy(); });
        const DWORD t0 = GetTickCount();
        job.Cancel();
        job.Wait();
        EXPECT_LT(GetTickCount() - t0, 3000u) << mark;
        EXPECT_EQ(job.Failure(), RenderFailure::kCancelled) << mark;
        r.window.PumpPending();
        r.Collect();
        for (const auto& m : r.messages) EXPECT_TRUE(m.first != kJobSucceeded && m.first != kJobFailed) << mark;
        expectUntouched("cancelled job", 2);
    }
}

}  // namespace
}  // namespace vorlune
