#pragma once

#include "ui/FontResolver.h"

#include <cstdint>
#include <span>

// The window's controls as its design tables give them: name, kind,
// container, caption, place and size in twips, colours (&HBBGGRR), font,
// state and tab index. Within one container the earlier entry lies over the
// later one. FormBuilder turns this table into widgets.
struct ControlSpec
{
    enum class Kind { Frame, Button, ColourButton, Label, TextBox, HelpBox };
    enum Flag : unsigned {
        None = 0,
        Hidden = 1,
        Disabled = 2,
        Border = 4, // labels: thin sunken border
        Centre = 8, // labels and text boxes: centred text
    };
    static constexpr std::uint32_t Default = 0xFFFFFFFFu; // the kind's default colour

    struct Font
    {
        FontResolver::Face face = FontResolver::Face::MsSansSerif;
        double points = 8.25;
        bool bold = false;
    };

    const char *name;
    Kind kind;
    const char *container; // nullptr: the window itself
    const char *caption;
    int left, top, width, height;
    std::uint32_t back, fore;
    Font font;
    unsigned flags;
    int tab;
};

class FormLayout
{
public:
    static constexpr int ClientWidth = 8130;
    static constexpr int ClientHeight = 3270;
    static constexpr std::uint32_t WindowBack = 0x000000;

    static std::span<const ControlSpec> controls();
    // The help panel's text: eight lines, each ended by CR LF.
    static const char *helpText();
};
