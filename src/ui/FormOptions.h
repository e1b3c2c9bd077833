#pragma once

#include "Executable.h"
#include "MessageBox.h"

// What the window takes from its surroundings: the executable it belongs to
// (its folder holds the settings file and the com<n> links) and who answers
// its message boxes. Tests supply both; the program uses the defaults.
struct FormOptions
{
    Executable executable = Executable::running();
    MessageBox::Responder messageBox; // empty: real modal boxes
};
