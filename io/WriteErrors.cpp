#include "io/WriteErrors.h"

#include <atomic>

namespace vorlune {
namespace {

// The thread's first error, in a slot of the system's own: a thread_local
// here would set up the runtime's thread keys, and their handles, on first use.
const DWORD firstErrorSlot = ::TlsAlloc();

std::atomic<bool> limited{false};
std::atomic<uint64_t> bytesLeft{0};
std::atomic<DWORD> limitError{NO_ERROR};

}  // namespace

DWORD FirstWriteError() noexcept
{
    return static_cast<DWORD>(reinterpret_cast<uintptr_t>(::TlsGetValue(firstErrorSlot)));
}

void ClearWriteErrors() noexcept { ::TlsSetValue(firstErrorSlot, nullptr); }

void NoteWriteError(DWORD error) noexcept
{
    if (FirstWriteError() == NO_ERROR) ::TlsSetValue(firstErrorSlot, reinterpret_cast<void*>(uintptr_t{error}));
    ::SetLastError(error);
}

bool WriteFits(uint64_t bytes) noexcept
{
    if (!limited.load()) return true;
    uint64_t left = bytesLeft.load();
    while (left >= bytes)
        if (bytesLeft.compare_exchange_weak(left, left - bytes)) return true;
    NoteWriteError(limitError.load());
    return false;
}

void LimitWrites(uint64_t bytes, DWORD error) noexcept
{
    bytesLeft.store(bytes);
    limitError.store(error);
    limited.store(true);
}

void UnlimitWrites() noexcept { limited.store(false); }

}  // namespace vorlune
