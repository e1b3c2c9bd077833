#include "ui/BgrColor.h"

std::optional<QPalette::ColorRole> BgrColor::systemRole(int index)
{
    // The classic system colour indices, each on the role that plays the
    // same part in a Qt palette.
    switch (index) {
    case 0: return QPalette::Mid;             // scroll bar
    case 1: return QPalette::Dark;            // desktop
    case 2: return QPalette::Highlight;       // active title bar
    case 3: return QPalette::Mid;             // inactive title bar
    case 4: return QPalette::Window;          // menu bar
    case 5: return QPalette::Base;            // window background
    case 6: return QPalette::Shadow;          // window frame
    case 7: return QPalette::WindowText;      // menu text
    case 8: return QPalette::Text;            // window text
    case 9: return QPalette::HighlightedText; // title bar text
    case 10:
    case 11: return QPalette::Button;         // active and inactive border
    case 12: return QPalette::Dark;           // application workspace
    case 13: return QPalette::Highlight;      // highlight
    case 14: return QPalette::HighlightedText;
    case 15: return QPalette::Button;         // button face
    case 16: return QPalette::Dark;           // button shadow
    case 17: return QPalette::PlaceholderText; // grey text
    case 18: return QPalette::ButtonText;
    case 19: return QPalette::ButtonText;     // inactive title bar text
    case 20: return QPalette::Light;          // button highlight
    case 21: return QPalette::Shadow;         // 3D dark shadow
    case 22: return QPalette::Midlight;       // 3D light
    case 23: return QPalette::ToolTipText;
    case 24: return QPalette::ToolTipBase;
    default: return std::nullopt;
    }
}

QColor BgrColor::toQColor(std::uint32_t value, const QPalette &palette)
{
    if (isSystem(value)) {
        const auto role = systemRole(int(value & 0xFFu));
        return palette.color(QPalette::Active, role.value_or(QPalette::Button));
    }
    const int red = int(value & 0xFFu);
    const int green = int((value >> 8) & 0xFFu);
    const int blue = int((value >> 16) & 0xFFu);
    return QColor(red, green, blue);
}

std::uint32_t BgrColor::fromQColor(const QColor &color)
{
    return std::uint32_t(color.red()) | (std::uint32_t(color.green()) << 8) | (std::uint32_t(color.blue()) << 16);
}
