#pragma once

#include <chrono>

// The window's timer periods, the pacing pause between commands and the
// frame that what received lines show is painted at most once in. The
// window takes them from its options, so that tests can run it on a
// compressed clock.
struct Intervals
{
    using ms = std::chrono::milliseconds;

    ms searchRetry{2500}; // Timer1: one search attempt
    ms replyTimeout{5000}; // TimerCom: "No response!"
    ms readBackStep{800}; // Timer2: the read-back after discovery
    ms pollTick{1000};    // StTimer: the poll counter
    ms pacing{50};        // the pause after every command
    ms frame{17};         // DisplayBatch: about 60 paints a second at most

    // Every interval divided by `factor`: the same order of events, sooner.
    Intervals compressed(int factor) const
    {
        return {searchRetry / factor, replyTimeout / factor, readBackStep / factor, pollTick / factor,
                pacing / factor, frame / factor};
    }
};
