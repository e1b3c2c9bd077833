#pragma once

#include <ctime>

// CPU seconds this process has used so far: tests that must not spin
// compare it with the wall time.
inline double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}
