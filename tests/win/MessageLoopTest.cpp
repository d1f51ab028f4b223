// The user-interface thread's loop: who sees a message first, and when the
// idle handlers run.

#include "win/MessageLoop.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "win/AppModule.h"

namespace vorlune {
namespace {

struct Journal {
    std::vector<std::string> lines;
};

class RecordingFilter : public MessageFilter {
public:
    RecordingFilter(Journal& journal, std::string name, UINT claims) : journal_(journal), name_(name), claims_(claims) {}
    bool PreTranslateMessage(MSG& msg) override
    {
        if (msg.message >= WM_APP || msg.message == WM_MOUSEMOVE || msg.message == WM_TIMER)
            journal_.lines.push_back(name_ + " " + std::to_string(msg.message));
        return msg.message == claims_;
    }

private:
    Journal& journal_;
    std::string name_;
    UINT claims_;
};

class RecordingIdler : public IdleHandler {
public:
    RecordingIdler(Journal& journal, std::string name) : journal_(journal), name_(name) {}
    bool OnIdle() override
    {
        journal_.lines.push_back(name_ + " idle " + std::to_string(++passes));
        if (then) then(passes);
        return true;  // asks for more: the loop still runs one pass per burst
    }
    std::function<void(int)> then;
    int passes = 0;

private:
    Journal& journal_;
    std::string name_;
};

TEST(MessageLoop, FiltersLastAddedFirstAndOneIdlePassPerBurst)
{
    MessageLoop loop;
    Journal j;
    RecordingFilter older(j, "older", 0), newer(j, "newer", WM_APP + 5);
    RecordingIdler first(j, "first"), second(j, "second");
    ASSERT_TRUE(loop.AddMessageFilter(&older));
    ASSERT_TRUE(loop.AddMessageFilter(&newer));
    ASSERT_TRUE(loop.AddIdleHandler(&first));
    ASSERT_TRUE(loop.AddIdleHandler(&second));
    UINT_PTR timer = 0;
    first.then = [&](int pass) {
        switch (pass) {
        case 1:
            // A mouse move alone does not earn an idle pass; the timer's tick does.
            ::PostThreadMessageW(::GetCurrentThreadId(), WM_MOUSEMOVE, 0, 0);
            timer = ::SetTimer(nullptr, 0, 30, nullptr);
            break;
        case 2:
            ::KillTimer(nullptr, timer);
            // A burst: two messages, one pass after both. The newer filter
            // claims WM_APP + 5, so the older never sees it.
            ::PostThreadMessageW(::GetCurrentThreadId(), WM_APP + 5, 0, 0);
            ::PostThreadMessageW(::GetCurrentThreadId(), WM_APP + 6, 0, 0);
            loop.RemoveIdleHandler(&second);  // leaving during a pass is safe
            break;
        default:
            ::PostQuitMessage(42);
        }
    };
    EXPECT_EQ(loop.Run(), 42);

    const std::string move = std::to_string(WM_MOUSEMOVE), tick = std::to_string(WM_TIMER);
    const std::string app5 = std::to_string(WM_APP + 5), app6 = std::to_string(WM_APP + 6);
    EXPECT_EQ(j.lines, (std::vector<std::string>{
                           "first idle 1", "second idle 1",                            //
                           "newer " + move, "older " + move, "newer " + tick, "older " + tick,  //
                           "first idle 2",  // second left during this pass
                           "newer " + app5, "newer " + app6, "older " + app6,          //
                           "first idle 3"}));
    ::KillTimer(nullptr, timer);
    for (MSG msg; ::PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE);) {
    }
}

DWORD WINAPI LoopOfThread(void* out)
{
    *static_cast<MessageLoop**>(out) = MessageLoop::Current();
    return 0;
}

TEST(MessageLoop, ModuleKeepsOneLoopPerThread)
{
    MessageLoop loop, other;
    EXPECT_EQ(MessageLoop::Current(), nullptr);
    {
        ScopedMessageLoop registered(loop);
        ASSERT_TRUE(registered.Ok());
        EXPECT_EQ(MessageLoop::Current(), &loop);
        EXPECT_FALSE(AppModule::AddMessageLoop(&other));  // the thread has one
        MessageLoop* seen = &other;
        HANDLE thread = ::CreateThread(nullptr, 0, &LoopOfThread, &seen, 0, nullptr);
        ASSERT_NE(thread, nullptr);
        ::WaitForSingleObject(thread, INFINITE);
        ::CloseHandle(thread);
        EXPECT_EQ(seen, nullptr);  // another thread has none
    }
    EXPECT_EQ(MessageLoop::Current(), nullptr);
}

}  // namespace
}  // namespace vorlune
