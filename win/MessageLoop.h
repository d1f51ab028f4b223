#pragma once

#include <windows.h>

#include <vector>

namespace vorlune {

// Sees every message of its thread's loop before it is dispatched.
class MessageFilter {
public:
    virtual ~MessageFilter() = default;
    // True when the message was handled and must not be dispatched.
    virtual bool PreTranslateMessage(MSG& msg) = 0;
};

// Runs once each time the loop's queue runs dry after a burst of input.
class IdleHandler {
public:
    virtual ~IdleHandler() = default;
    virtual bool OnIdle() = 0;
};

// One thread's message loop. Filters see each message, the most recently
// added first; idle handlers run in the order they were added, one pass per
// burst of input: after a pass idling stops until a message other than the
// ones that come by themselves (mouse moves, paints, the system timer).
class MessageLoop {
public:
    MessageLoop() noexcept = default;
    MessageLoop(const MessageLoop&) = delete;
    MessageLoop& operator=(const MessageLoop&) = delete;

    bool AddMessageFilter(MessageFilter* filter) noexcept;
    bool RemoveMessageFilter(MessageFilter* filter) noexcept;
    bool AddIdleHandler(IdleHandler* handler) noexcept;
    bool RemoveIdleHandler(IdleHandler* handler) noexcept;

    // Runs until WM_QUIT and returns its wParam.
    int Run() noexcept;

    // One message through the filters; true when one of them claimed it.
    bool PreTranslateMessage(MSG& msg) noexcept;
    // One idle pass: every handler once.
    void RunIdleHandlers() noexcept;
    // Whether the message allows the next idle pass.
    static bool IsIdleMessage(const MSG& msg) noexcept;

    // The current thread's loop, from the module's table; null when it has none.
    static MessageLoop* Current() noexcept;

private:
    MSG msg_{};
    std::vector<MessageFilter*> filters_;
    std::vector<IdleHandler*> idleHandlers_;
};

// Puts a loop into the module's table for the current thread for one scope.
class ScopedMessageLoop {
public:
    explicit ScopedMessageLoop(MessageLoop& loop) noexcept;
    ~ScopedMessageLoop();
    ScopedMessageLoop(const ScopedMessageLoop&) = delete;
    ScopedMessageLoop& operator=(const ScopedMessageLoop&) = delete;
    bool Ok() const noexcept { return ok_; }

private:
    bool ok_;
};

}  // namespace vorlune
