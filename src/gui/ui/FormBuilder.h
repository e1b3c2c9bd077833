#pragma once

class QWidget;

// Creates the window's controls from FormLayout: widget kinds, places and
// sizes in pixels for the screen's logical DPI, colours, fonts, initial
// states, stacking and keyboard order.
class FormBuilder
{
public:
    static void build(QWidget *window, double logicalDpi);
};
