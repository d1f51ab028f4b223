#include "audio/RenderJob.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <stdexcept>

#include "support/MessageRecorder.h"

namespace vorlune {
namespace {

using test::MessageRecorder;

// A job whose body is given by the test.
class ScriptedJob : public RenderJob {
public:
    ScriptedJob(HWND target, std::function<bool(ScriptedJob&)> body)
        : RenderJob(target, nullptr), body_(std::move(body)) {}
    ~ScriptedJob() override
    {
        Cancel();
        Wait();
    }

    std::atomic<int> runs{0};
    std::atomic<DWORD> bodyThread{0};
    std::atomic<bool> made{false};

    void Give(RenderFailure why) { SetFailure(why); }

protected:
    bool Run() override
    {
        ++runs;
        bodyThread = ::GetCurrentThreadId();
        made = body_(*this);
        return made;
    }

private:
    std::function<bool(ScriptedJob&)> body_;
};

std::vector<std::pair<WPARAM, LPARAM>> JobMessages(const MessageRecorder& rec)
{
    std::vector<std::pair<WPARAM, LPARAM>> out;
    for (const auto& m : rec.Messages())
        if (m.msg == WM_JOB_PROGRESS) out.emplace_back(m.wParam, m.lParam);
    return out;
}

bool Ended(const MessageRecorder& rec)
{
    for (const auto& m : rec.Messages())
        if (m.msg == WM_JOB_PROGRESS && (m.wParam == kJobSucceeded || m.wParam == kJobFailed)) return true;
    return false;
}

RenderFailure Outcome(RenderJob& job)
{
    job.Wait();
    return job.Failure();
}

TEST(RenderJob, SuccessPostsStartEachPositionAndSuccessFromAnotherThread)
{
    MessageRecorder rec;
    ScriptedJob job(rec.Hwnd(), [](ScriptedJob& j) {
        ProgressRange& root = j.Progress();
        root.Begin(3100);
        NestedProgress open(&root, 1000);
        open.Advance(400);
        open.Complete();
        NestedProgress edit(&root, 100);
        edit.Complete();
        NestedProgress save(&root, 2000);
        save.SetPercent(50.0f);
        save.Complete();
        return true;
    });
    ASSERT_TRUE(job.Start());
    ASSERT_TRUE(rec.PumpUntil([&] { return Ended(rec); }));
    EXPECT_EQ(Outcome(job), RenderFailure::kNone);
    EXPECT_NE(job.bodyThread.load(), ::GetCurrentThreadId());

    const std::vector<std::pair<WPARAM, LPARAM>> expected = {
        {kJobStarted, 3100}, {kJobPosition, 400},  {kJobPosition, 1000}, {kJobPosition, 1100},
        {kJobPosition, 2100}, {kJobPosition, 3100}, {kJobSucceeded, 3100}};
    EXPECT_EQ(JobMessages(rec), expected);
}

TEST(RenderJob, FailurePostsFourOnceWithItsReason)
{
    MessageRecorder rec;
    // A body that returns failure without marking its range.
    ScriptedJob plain(rec.Hwnd(), [](ScriptedJob& j) {
        j.Progress().Begin(3100);
        j.Progress().Advance(500);
        return false;
    });
    ASSERT_TRUE(plain.Start());
    ASSERT_TRUE(rec.PumpUntil([&] { return Ended(rec); }));
    EXPECT_EQ(Outcome(plain), RenderFailure::kOther);
    EXPECT_EQ(JobMessages(rec).back(), std::make_pair(WPARAM(kJobFailed), LPARAM(500)));

    // A stage that fails its nested range with a reason, and lingers: the
    // failure is posted once the body is over, with its reason, and a cancel
    // that comes as soon as it is heard does not replace that.
    rec.Clear();
    ScriptedJob nested(rec.Hwnd(), [](ScriptedJob& j) {
        j.Progress().Begin(3100);
        NestedProgress stage(&j.Progress(), 1000);
        stage.Advance(100);
        stage.Fail();
        j.Give(RenderFailure::kSongUnreadable);
        ::Sleep(50);
        return false;
    });
    ASSERT_TRUE(nested.Start());
    ASSERT_TRUE(rec.PumpUntil([&] { return Ended(rec); }));
    EXPECT_EQ(nested.Failure(), RenderFailure::kSongUnreadable);
    nested.Cancel();
    EXPECT_EQ(Outcome(nested), RenderFailure::kSongUnreadable);
    rec.PumpPending();
    int fails = 0;
    for (const auto& m : JobMessages(rec)) fails += m.first == kJobFailed;
    EXPECT_EQ(fails, 1);

    // An exception from the body is a failure, never a crash.
    rec.Clear();
    ScriptedJob throwing(rec.Hwnd(), [](ScriptedJob& j) -> bool {
        j.Progress().Begin(3100);
        throw std::runtime_error("boom");
    });
    ASSERT_TRUE(throwing.Start());
    ASSERT_TRUE(rec.PumpUntil([&] { return Ended(rec); }));
    EXPECT_EQ(Outcome(throwing), RenderFailure::kOther);
}

TEST(RenderJob, CancelStopsTheBodyAndPostsNoFailure)
{
    MessageRecorder rec;
    std::atomic<bool> inside{false};
    ScriptedJob job(rec.Hwnd(), [&](ScriptedJob& j) {
        j.Progress().Begin(3100);
        NestedProgress stage(&j.Progress(), 1000);
        inside = true;
        while (!stage.IsCancelled()) ::Sleep(1);
        stage.Fail();  // what a real stage does when it sees the cancel
        return false;
    });
    ASSERT_TRUE(job.Start());
    ASSERT_TRUE(rec.PumpUntil([&] { return inside.load(); }));
    EXPECT_TRUE(job.IsBusy());
    job.Cancel();
    EXPECT_EQ(Outcome(job), RenderFailure::kCancelled);
    EXPECT_FALSE(job.IsBusy());
    EXPECT_TRUE(job.Progress().IsCancelled());
    rec.PumpPending();
    for (const auto& m : JobMessages(rec)) {
        EXPECT_NE(m.first, WPARAM(kJobFailed));
        EXPECT_NE(m.first, WPARAM(kJobSucceeded));
    }
}

TEST(RenderJob, StartWhileRunningDoesNothingAndARestartRunsAgain)
{
    MessageRecorder rec;
    HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ScriptedJob job(rec.Hwnd(), [&](ScriptedJob& j) {
        j.Progress().Begin(10);
        ::WaitForSingleObject(release, 10000);
        j.Progress().Complete();
        return true;
    });
    ASSERT_TRUE(job.Start());
    ASSERT_TRUE(rec.PumpUntil([&] { return job.runs.load() == 1; }));
    EXPECT_TRUE(job.IsBusy());
    EXPECT_FALSE(job.Start());
    ::SetEvent(release);
    ASSERT_TRUE(rec.PumpUntil([&] { return Ended(rec); }));
    EXPECT_FALSE(job.IsBusy());  // by the time the end is heard
    EXPECT_EQ(job.runs.load(), 1);

    // The ended thread is waited for and replaced; the body runs once more.
    rec.Clear();
    ASSERT_TRUE(job.Start());
    ASSERT_TRUE(rec.PumpUntil([&] { return Ended(rec); }));
    EXPECT_EQ(job.runs.load(), 2);
    EXPECT_EQ(JobMessages(rec).front(), std::make_pair(WPARAM(kJobStarted), LPARAM(10)));
    ::CloseHandle(release);
}

// Cancels jobs before Start (no thread yet), right after it and in every stage
// to past their end, many times over. A cancel that lands before the end
// silences it; otherwise the job posts exactly one end. The wait is short.
TEST(RenderJob, ACancelAtAnyMomentHoldsAndSilencesTheEnd)
{
    MessageRecorder rec;
    for (int round = 0; round < 120; ++round) {
        rec.Clear();
        const bool failing = round % 4 == 3;
        ScriptedJob job(rec.Hwnd(), [failing](ScriptedJob& j) {  // begins at once, as the real job does
            ProgressRange& root = j.Progress();
            root.Begin(3100);
            for (const uint32_t span : {1000u, 100u, 2000u}) {
                NestedProgress stage(&root, span);
                for (int i = 0; i < 20; ++i) {
                    if (stage.IsCancelled()) return EndProgress(&stage, false);
                    stage.Advance(int32_t(span / 20));
                    ::Sleep(0);
                }
                if (failing && span == 2000u) return EndProgress(&stage, false);
                stage.Complete();
            }
            return true;
        });
        if (round % 10 == 9) job.Cancel();
        ASSERT_TRUE(job.Start());
        if (round % 8) ::Sleep(DWORD(round % 8));
        const DWORD t0 = ::GetTickCount();
        job.Cancel();
        job.Wait();
        EXPECT_LT(::GetTickCount() - t0, 2000u);
        EXPECT_FALSE(job.IsBusy());
        ::Sleep(1);
        rec.PumpPending();
        std::vector<WPARAM> ends;
        for (const auto& m : JobMessages(rec))
            if (m.first == kJobSucceeded || m.first == kJobFailed) ends.push_back(m.first);
        const bool ended = job.Progress().EndPosted();
        EXPECT_FALSE(ended && round % 10 == 9) << "a cancel before Start was lost";
        EXPECT_EQ(ends, ended ? std::vector<WPARAM>{WPARAM(failing ? kJobFailed : kJobSucceeded)}
                              : std::vector<WPARAM>{})
            << "round " << round;
        // A ringtone made is made, even when a late cancel silenced its end.
        EXPECT_EQ(job.Failure(), job.made ? RenderFailure::kNone
                                 : !ended ? RenderFailure::kCancelled
                                          : RenderFailure::kOther);
    }
}

TEST(RenderJob, DestroyingALiveJobWaitsForItsThread)
{
    MessageRecorder rec;
    std::atomic<bool> finished{false};
    {
        std::atomic<bool> inside{false};
        ScriptedJob job(rec.Hwnd(), [&](ScriptedJob& j) {
            j.Progress().Begin(100);
            inside = true;
            while (!j.Progress().IsCancelled()) ::Sleep(1);
            finished = true;
            return false;
        });
        ASSERT_TRUE(job.Start());
        ASSERT_TRUE(rec.PumpUntil([&] { return inside.load(); }));
    }
    EXPECT_TRUE(finished.load());
}

}  // namespace
}  // namespace vorlune
