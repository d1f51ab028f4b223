#pragma once

#include <windows.h>

// Seconds from the performance counter, for timing one piece of work.
inline double Seconds()
{
    static const double tick = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return 1.0 / double(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) * tick;
}
