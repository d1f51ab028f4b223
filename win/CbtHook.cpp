#include "win/CbtHook.h"

#include <algorithm>
#include <new>
#include <vector>

namespace vorlune {
namespace {

struct ThreadHook {
    HHOOK hook = nullptr;
    std::vector<CbtListener*> listeners;
};

ThreadHook& Current()
{
    static thread_local ThreadHook state;
    return state;
}

LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam)
{
    ThreadHook& state = Current();
    if (code >= 0) {
        // A listener may leave while it handles the event: walk a copy.
        const std::vector<CbtListener*> listeners = state.listeners;
        for (CbtListener* listener : listeners)
            if (LRESULT answer = listener->OnCbtEvent(code, wParam, lParam)) return answer;
    }
    return ::CallNextHookEx(state.hook, code, wParam, lParam);
}

}  // namespace

bool CbtHook::AddListener(CbtListener* listener) noexcept
{
    if (!listener) return false;
    ThreadHook& state = Current();
    if (!state.hook) {
        state.hook = ::SetWindowsHookExW(WH_CBT, &HookProc, nullptr, ::GetCurrentThreadId());
        if (!state.hook) return false;
    }
    try {
        state.listeners.push_back(listener);
    } catch (const std::bad_alloc&) {
        if (state.listeners.empty()) {
            ::UnhookWindowsHookEx(state.hook);
            state.hook = nullptr;
        }
        return false;
    }
    return true;
}

void CbtHook::RemoveListener(CbtListener* listener) noexcept
{
    ThreadHook& state = Current();
    auto it = std::find(state.listeners.begin(), state.listeners.end(), listener);
    if (it == state.listeners.end()) return;
    state.listeners.erase(it);
    if (state.listeners.empty() && state.hook) {
        ::UnhookWindowsHookEx(state.hook);
        state.hook = nullptr;
    }
}

bool CbtHook::IsInstalled() noexcept { return Current().hook != nullptr; }

}  // namespace vorlune
