// zelctl: the command-line tool on the program's link stack.
#include "FileCommands.h"
#include "FleetCommands.h"
#include "LinkCommands.h"
#include "Options.h"

#include <cstdio>

using namespace zel::ctl;

int main(int argc, char** argv) {
    ZelctlOptions options;
    if (const std::string error = parseOptions(argc, argv, options); !error.empty())
        return fail(kExitUsage, error);
    if (options.help) {
        std::fputs(usageText(options.command), stdout);
        return kExitOk;
    }
    if (options.command == "ports")
        return runPorts(options);
    if (options.command == "pull")
        return runPull(options);
    if (options.command == "push")
        return runPush(options);
    if (options.command == "set")
        return runSet(options);
    if (options.command == "fleet")
        return runFleet(options);
    if (options.command == "fleet-room")
        return runFleetRoom(options);
    if (options.command == "show")
        return runShow(options, stdout);
    return runCurve(options, stdout);
}
