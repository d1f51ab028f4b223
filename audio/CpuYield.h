#pragma once

#include <windows.h>

namespace vorlune {

// Long sample loops let the rest of the system breathe: after more than
// 110 ms of work they sleep 20 ms and start a new interval.
class CpuYield {
public:
    CpuYield() noexcept : start_(GetTickCount()) {}
    void Tick() noexcept
    {
        if (GetTickCount() - start_ > 110) {
            Sleep(20);
            start_ = GetTickCount();
        }
    }

private:
    DWORD start_;
};

}  // namespace vorlune
