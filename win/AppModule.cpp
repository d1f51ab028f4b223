#include "win/AppModule.h"

#include <algorithm>
#include <atomic>
#include <utility>
#include <vector>

namespace vorlune {
namespace {

// Initialised before main, while the process has one thread.
struct ModuleState {
    ModuleState() noexcept { ::InitializeCriticalSection(&lock); }
    ~ModuleState() { ::DeleteCriticalSection(&lock); }
    CRITICAL_SECTION lock;
    std::atomic<HINSTANCE> resources{nullptr};
    std::atomic<HINSTANCE> instance{nullptr};
    std::atomic<DWORD> mainThread{0};
    std::vector<std::pair<DWORD, MessageLoop*>> loops;  // under lock
};

ModuleState& State() noexcept
{
    static ModuleState state;
    return state;
}

const ModuleState& kEarly = State();

}  // namespace

void AppModule::Init(HINSTANCE instance) noexcept
{
    State().instance.store(instance);
    State().mainThread.store(::GetCurrentThreadId());
}

void AppModule::Term() noexcept
{
    ModuleLock lock;
    State().loops.clear();
    State().loops.shrink_to_fit();
}

DWORD AppModule::MainThreadId() noexcept { return State().mainThread.load(); }

bool AppModule::AddMessageLoop(MessageLoop* loop) noexcept
{
    const DWORD thread = ::GetCurrentThreadId();
    ModuleLock lock;
    auto& loops = State().loops;
    if (!loop || std::any_of(loops.begin(), loops.end(), [&](const auto& e) { return e.first == thread; }))
        return false;
    try {
        loops.emplace_back(thread, loop);
    } catch (...) {
        return false;
    }
    return true;
}

bool AppModule::RemoveMessageLoop() noexcept
{
    const DWORD thread = ::GetCurrentThreadId();
    ModuleLock lock;
    auto& loops = State().loops;
    const auto it = std::find_if(loops.begin(), loops.end(), [&](const auto& e) { return e.first == thread; });
    if (it == loops.end()) return false;
    loops.erase(it);
    return true;
}

MessageLoop* AppModule::GetMessageLoop(DWORD threadId) noexcept
{
    ModuleLock lock;
    for (const auto& e : State().loops)
        if (e.first == threadId) return e.second;
    return nullptr;
}

HINSTANCE AppModule::Instance() noexcept
{
    HINSTANCE instance = State().instance.load();
    return instance ? instance : ::GetModuleHandleW(nullptr);
}

HINSTANCE AppModule::ResourceInstance() noexcept
{
    HINSTANCE module = State().resources.load();
    return module ? module : Instance();
}

void AppModule::SetResourceInstance(HINSTANCE module) noexcept { State().resources.store(module); }

CRITICAL_SECTION& AppModule::Lock() noexcept { return State().lock; }

}  // namespace vorlune
