#pragma once

#include <windows.h>

namespace vorlune {

// The process's module: the instance that owns our window classes, the one
// that holds the skin, and the critical section that guards class
// registration and other once-per-process set-up.
namespace AppModule {

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
