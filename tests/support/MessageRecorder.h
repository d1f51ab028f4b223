#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

namespace vorlune::test {

struct RecordedMessage {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

// A message-only window on the calling thread that records the messages it
// is posted in one range of numbers.
class MessageRecorder {
public:
    explicit MessageRecorder(UINT first = WM_APP, UINT last = 0xBFFF);
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    HWND Hwnd() const { return hwnd_; }
    const std::vector<RecordedMessage>& Messages() const { return messages_; }
    void Clear() { messages_.clear(); }

    // Dispatches this thread's messages until done() is true or the time runs
    // out; returns done().
    template <class Done>
    bool PumpUntil(Done done, DWORD timeoutMs = 10000);
    // Dispatches whatever is queued now.
    void PumpPending();

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);

    HWND hwnd_ = nullptr;
    UINT first_, last_;
    std::vector<RecordedMessage> messages_;
};

template <class Done>
bool MessageRecorder::PumpUntil(Done done, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    while (!done()) {
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= timeoutMs) return done();
        // Wake now and then: some conditions (a thread ending) post no message.
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(timeoutMs - elapsed, 10), QS_ALLINPUT);
        PumpPending();
    }
    return true;
}

}  // namespace vorlune::test
