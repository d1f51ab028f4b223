#include "win/AppModule.h"

#include <atomic>

namespace vorlune {
namespace {

// Initialised before main, while the process has one thread.
struct ModuleState {
    ModuleState() noexcept { ::InitializeCriticalSection(&lock); }
    ~ModuleState() { ::DeleteCriticalSection(&lock); }
    CRITICAL_SECTION lock;
    std::atomic<HINSTANCE> resources{nullptr};
};

ModuleState& State() noexcept
{
    static ModuleState state;
    return state;
}

const ModuleState& kEarly = State();

}  // namespace

HINSTANCE AppModule::Instance() noexcept { return ::GetModuleHandleW(nullptr); }

HINSTANCE AppModule::ResourceInstance() noexcept
{
    HINSTANCE module = State().resources.load();
    return module ? module : Instance();
}

void AppModule::SetResourceInstance(HINSTANCE module) noexcept { State().resources.store(module); }

CRITICAL_SECTION& AppModule::Lock() noexcept { return State().lock; }

}  // namespace vorlune
