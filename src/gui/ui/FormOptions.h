#pragma once

#include "serial/PortEntry.h"
#include "toolkit/Executable.h"
#include "toolkit/Intervals.h"
#include "toolkit/MessageRequest.h"

// What the window takes from its surroundings: the executable it belongs to
// (its folder holds the settings file and the com<n> links), who answers its
// message boxes, its timer intervals and where its port list comes from.
// Tests supply their own; the program uses the defaults.
struct FormOptions
{
    Executable executable = Executable::running();
    AskOperator messageBox; // empty: real modal boxes
    Intervals intervals;
    PortLister ports; // empty: this machine's ports (PortCatalog)
};
