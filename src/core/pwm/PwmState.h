#pragma once

#include <cstdint>

// What the PWM controls remember between events.
struct PwmState
{
    std::int16_t dutyPercent = 0; // last number taken from the duty box
    std::int16_t pollCount = 0;   // StTimer ticks since the last poll
    std::int16_t queryStep = 0;   // Timer2 ticks since the last discovery
};
