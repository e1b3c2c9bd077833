#pragma once

#include "toolkit/Executable.h"
#include "toolkit/MessageRequest.h"

// What the window takes from its surroundings: the executable it belongs to
// (its folder holds the settings file and the com<n> links) and who answers
// its message boxes. Tests supply both; the program uses the defaults.
struct FormOptions
{
    Executable executable = Executable::running();
    AskOperator messageBox; // empty: real modal boxes
};
