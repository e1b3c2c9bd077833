#include "pwm/PollCounter.h"

#include "toolkit/Constants.h"

#include <algorithm>

PollCounter::Tick PollCounter::tick(std::int16_t &pollCount, std::int16_t sampleTime)
{
    const Tick out{pollCount, int(pollCount) + 1 > int(sampleTime)};
    // The count is reset after the poll itself; until then it holds the
    // incremented value, kept within 16 bits.
    pollCount = std::int16_t(std::min(int(pollCount) + 1, Int16::Max));
    return out;
}
