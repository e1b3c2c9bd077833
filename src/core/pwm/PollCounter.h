#pragma once

#include <cstdint>

// The counting rule of the periodic poll.
//
// Each tick shows the count, then increments it; once the count passes
// sampleTime the tick polls and the count starts again at 0, so with
// sampleTime N a poll goes out every N + 1 ticks. The increment is done in
// a wider type: at sampleTime 32767 the count would pass the 16-bit range
// on the very tick it polls, and it is reset to 0 there, so the counter
// never overflows and the rule holds for every sampleTime from 1 to 32767.
class PollCounter
{
public:
    struct Tick
    {
        int shown;  // the count before this tick's increment
        bool poll;  // this tick sends the poll
    };

    static Tick tick(std::int16_t &pollCount, std::int16_t sampleTime);
};
