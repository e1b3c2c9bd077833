#pragma once

#include "toolkit/Executable.h"
#include "toolkit/Intervals.h"
#include "toolkit/MessageRequest.h"

// What the window takes from its surroundings: the executable it belongs to
// (its folder holds the settings file and the com<n> links), who answers its
// message boxes, and its timer intervals. Tests supply their own; the
// program uses the defaults.
struct FormOptions
{
    Executable executable = Executable::running();
    AskOperator messageBox; // empty: real modal boxes
    Intervals intervals;
};
