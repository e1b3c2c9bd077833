#pragma once

#include <cstdint>

class QWidget;

// Back and text colours of a control, given as &HBBGGRR or system colours.
//
// Each control gets a palette of its own with every role set, so nothing
// seeps in from its container (a black frame must not blacken the default
// buttons inside it). The colour value last set stays on the widget as the
// property "BackColor", so a system colour can be told from the RGB it
// resolves to.
class ControlPainter
{
public:
    static constexpr std::uint32_t Default = 0xFFFFFFFFu;

    // Gives `widget` its own full palette: the application's, with the
    // kind's defaults (button face and button text for frames, labels and
    // buttons; window colours for text boxes).
    static void initialise(QWidget *widget);

    static void setBackColor(QWidget *widget, std::uint32_t value);
    static void setForeColor(QWidget *widget, std::uint32_t value);

    static std::uint32_t backColorValue(const QWidget *widget);
};
