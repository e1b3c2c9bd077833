#pragma once

#include <cstdint>

// Values shared across the tool: colours as the window's tables write them
// (&HBBGGRR, blue in the high byte) and the range of its 16-bit numbers.
namespace Colour {

// The status line.
inline constexpr std::uint32_t LightYellow = 0xC0FFFF; // waiting, searching
inline constexpr std::uint32_t LightRed = 0x8080FF;    // a port error, no response
inline constexpr std::uint32_t LightGreen = 0xC0FFC0;  // a line received
inline constexpr std::uint32_t Green = 0x00C000;       // the device found

// With the high bit set, a value names a system colour by its index; the
// palette supplies it, so it follows the desktop theme.
inline constexpr std::uint32_t ButtonFace = 0x8000000F;
inline constexpr std::uint32_t Highlight = 0x8000000D;
inline constexpr std::uint32_t InactiveTitleBar = 0x80000003;
inline constexpr std::uint32_t WindowBackground = 0x80000005;

} // namespace Colour

// The 16-bit signed whole numbers of the settings, the counters and the
// length of a received line.
namespace Int16 {
inline constexpr int Min = -32768;
inline constexpr int Max = 32767;
} // namespace Int16
