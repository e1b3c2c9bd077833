#include "ui/ProgramEnd.h"

#include <cstdio>
#include <cstdlib>

void ProgramEnd::now(int exitCode)
{
    // Nothing of ours needs flushing: the settings file is written only
    // through an atomic save, and that never happens on this path.
    std::fflush(nullptr);
    std::_Exit(exitCode);
}
