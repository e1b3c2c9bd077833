#pragma once

#include <QColor>
#include <QPalette>

#include <cstdint>
#include <optional>

// Colours as the window's tables give them: &HBBGGRR, blue in the high
// byte (toolkit/Constants.h names the tool's own). A value with the high bit
// set names a system colour by its index (&H8000000F button face,
// &H8000000D highlight, &H80000003 inactive title bar); those come from the
// palette, so they follow the desktop theme.
class BgrColor
{
public:
    static bool isSystem(std::uint32_t value) { return (value & 0x80000000u) != 0; }

    // The palette role standing for a system colour index, if there is one.
    static std::optional<QPalette::ColorRole> systemRole(int index);

    static QColor toQColor(std::uint32_t value, const QPalette &palette);
    // Back to &HBBGGRR (system colours are resolved, so the result is RGB).
    static std::uint32_t fromQColor(const QColor &color);
};
