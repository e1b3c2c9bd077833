#pragma once

// Ends the program at once: no further code runs, no window is asked
// whether it may close, no unload handler runs.
class ProgramEnd
{
public:
    [[noreturn]] static void now(int exitCode = 0);
};
