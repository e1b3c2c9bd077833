#pragma once

#include <chrono>

// The window's timer periods and the pacing pause between commands.
namespace Intervals {
using namespace std::chrono_literals;

inline constexpr std::chrono::milliseconds SearchRetry = 2500ms; // Timer1: one search attempt
inline constexpr std::chrono::milliseconds ReplyTimeout = 5000ms; // TimerCom: "No response!"
inline constexpr std::chrono::milliseconds QueryStep = 800ms;     // Timer2: read-back after discovery
inline constexpr std::chrono::milliseconds PollTick = 1000ms;     // StTimer: poll counter
inline constexpr std::chrono::milliseconds Pacing = 50ms;         // pause after every command

} // namespace Intervals
