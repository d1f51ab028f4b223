#include "win/MessageLoop.h"

#include <algorithm>

#include "win/AppModule.h"

namespace vorlune {
namespace {

// The system timer message, which drives caret blinks and the like.
constexpr UINT kSysTimer = 0x0118;

template <class T>
bool AddTo(std::vector<T*>& list, T* item) noexcept
{
    if (!item) return false;
    try {
        list.push_back(item);
    } catch (...) {
        return false;
    }
    return true;
}

template <class T>
bool RemoveFrom(std::vector<T*>& list, T* item) noexcept
{
    const auto it = std::find(list.begin(), list.end(), item);
    if (it == list.end()) return false;
    list.erase(it);
    return true;
}

}  // namespace

bool MessageLoop::AddMessageFilter(MessageFilter* filter) noexcept { return AddTo(filters_, filter); }
bool MessageLoop::RemoveMessageFilter(MessageFilter* filter) noexcept { return RemoveFrom(filters_, filter); }
bool MessageLoop::AddIdleHandler(IdleHandler* handler) noexcept { return AddTo(idleHandlers_, handler); }
bool MessageLoop::RemoveIdleHandler(IdleHandler* handler) noexcept { return RemoveFrom(idleHandlers_, handler); }

bool MessageLoop::PreTranslateMessage(MSG& msg) noexcept
{
    // By index: a filter may remove itself (its window closing) while it runs.
    for (size_t i = filters_.size(); i > 0; --i) {
        if (i > filters_.size()) continue;
        try {
            if (filters_[i - 1]->PreTranslateMessage(msg)) return true;
        } catch (...) {
        }
    }
    return false;
}

void MessageLoop::RunIdleHandlers() noexcept
{
    for (size_t i = 0; i < idleHandlers_.size(); ++i) {
        try {
            idleHandlers_[i]->OnIdle();
        } catch (...) {
        }
    }
}

bool MessageLoop::IsIdleMessage(const MSG& msg) noexcept
{
    switch (msg.message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_PAINT:
    case kSysTimer:
        return false;
    }
    return true;
}

int MessageLoop::Run() noexcept
{
    bool idle = true;
    for (;;) {
        if (idle && !::PeekMessageW(&msg_, nullptr, 0, 0, PM_NOREMOVE)) {
            RunIdleHandlers();
            idle = false;  // whatever the handlers answer: one pass per burst
        }
        const BOOL got = ::GetMessageW(&msg_, nullptr, 0, 0);
        if (got == -1) continue;
        if (!got) return static_cast<int>(msg_.wParam);
        if (!PreTranslateMessage(msg_)) {
            ::TranslateMessage(&msg_);
            ::DispatchMessageW(&msg_);
        }
        if (IsIdleMessage(msg_)) idle = true;
    }
}

MessageLoop* MessageLoop::Current() noexcept { return AppModule::GetMessageLoop(::GetCurrentThreadId()); }

ScopedMessageLoop::ScopedMessageLoop(MessageLoop& loop) noexcept : ok_(AppModule::AddMessageLoop(&loop)) {}

ScopedMessageLoop::~ScopedMessageLoop()
{
    if (ok_) AppModule::RemoveMessageLoop();
}

}  // namespace vorlune
