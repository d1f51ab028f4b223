#pragma once

#include <windows.h>

namespace vorlune {

// Long sample loops let the rest of the system breathe: after more than
// 110 ms of work they sleep 20 ms and start a new interval. That keeps a
// window responsive on a busy machine; a thread that serves no window (the
// command-line renderer's job) may switch it off for itself.
class CpuYield {
public:
    CpuYield() noexcept : start_(GetTickCount()) {}
    void Tick() noexcept
    {
        if (!EnabledHere()) return;
        if (GetTickCount() - start_ > 110) {
            Sleep(20);
            start_ = GetTickCount();
        }
    }

    // For the calling thread only; on unless switched off.
    static void EnableOnThisThread(bool enabled) noexcept { EnabledHere() = enabled; }

private:
    static bool& EnabledHere() noexcept
    {
        static thread_local bool enabled = true;
        return enabled;
    }

    DWORD start_;
};

}  // namespace vorlune
