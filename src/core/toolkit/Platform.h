#pragma once

#include <QtGlobal>

// The two kinds of system the tool is built for. Where their rules differ
// (what port n opens, what the port list offers, the executable's name),
// the rule takes the platform as a value, so that a test on one system can
// ask what the other would do. ThisPlatform is the one being built for.
enum class Platform { Posix, Windows };

#ifdef Q_OS_WIN
inline constexpr Platform ThisPlatform = Platform::Windows;
#else
inline constexpr Platform ThisPlatform = Platform::Posix;
#endif
