// The benchmarks' clock.
#pragma once

#include <windows.h>

// Milliseconds on the performance counter, from an arbitrary start.
inline double NowMs() {
    LARGE_INTEGER counter;
    LARGE_INTEGER frequency;
    ::QueryPerformanceCounter(&counter);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}
