#pragma once

#include <chrono>

// The clock and the event pump that handlers use to wait while the window
// keeps running.
//
// The clock is monotonic: midnight and a clock set back by the operator or
// by NTP never stretch a pause.
class EventPump
{
public:
    using Clock = std::chrono::steady_clock;

    // Runs every pending event (timer ticks, serial events, input) once.
    static void runPending();

    // Runs events until the clock shows strictly more than `pause` past the
    // start. Pending events always run at least once. Between events the
    // thread sleeps in the event loop instead of spinning on the clock, and
    // nested handlers that run meanwhile can make the pause longer.
    static void pauseFor(std::chrono::nanoseconds pause);
};
