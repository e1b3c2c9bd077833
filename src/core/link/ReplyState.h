#pragma once

#include "link/LineAssembler.h"

#include <array>

// What the receive path remembers between events. Arrays are indexed from
// 1 (element 0 unused).
struct ReplyState
{
    std::array<float, 3> reportedValues{}; // 1: duty, 2: frequency index
    LineAssembler rxLine;                  // the reply line being received
};
