#pragma once

#include <windows.h>

namespace vorlune {

class MessageLoop;

// The process's module: the instance that owns our window classes, the one
// that holds the skin, the critical section that guards class registration
// and other once-per-process set-up, and the message loops by thread.
namespace AppModule {

// Start-up and shut-down of the program: records the instance and the main
// thread; Term forgets every loop.
void Init(HINSTANCE instance) noexcept;
void Term() noexcept;
DWORD MainThreadId() noexcept;

// The loop table, under the module's lock. Add fails when the current thread
// already has a loop.
bool AddMessageLoop(MessageLoop* loop) noexcept;
bool RemoveMessageLoop() noexcept;
MessageLoop* GetMessageLoop(DWORD threadId) noexcept;

// The executable; window classes are registered for it.
HINSTANCE Instance() noexcept;

// Where skin images, strings and icons are read from: the executable unless
// a test or tool has pointed it at another module (vorlune.exe loaded as data).
HINSTANCE ResourceInstance() noexcept;
void SetResourceInstance(HINSTANCE module) noexcept;

CRITICAL_SECTION& Lock() noexcept;

}  // namespace AppModule

// Holds the module's critical section for one scope.
class ModuleLock {
public:
    ModuleLock() noexcept { ::EnterCriticalSection(&AppModule::Lock()); }
    ~ModuleLock() { ::LeaveCriticalSection(&AppModule::Lock()); }
    ModuleLock(const ModuleLock&) = delete;
    ModuleLock& operator=(const ModuleLock&) = delete;
};

}  // namespace vorlune
