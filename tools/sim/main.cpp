// tavermund-sim: the PWM board on a pseudo-terminal, for running the tool
// and its tests without hardware. See --help.

#include "SimDevice.h"
#include "SimOptions.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    const std::string program = argc > 0 ? argv[0] : "tavermund-sim";
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);

    SimOptions options;
    const std::string error = SimOptions::parse(args, options);
    if (!error.empty()) {
        std::fprintf(stderr, "tavermund-sim: %s\n\n%s", error.c_str(),
                     SimOptions::usage(program).c_str());
        return 2;
    }
    if (options.showHelp) {
        std::fputs(SimOptions::usage(program).c_str(), stdout);
        return 0;
    }
    SimDevice device(options);
    return device.run();
}
