// zelctl: the command-line tool on the program's link stack.
#include "DiffCommand.h"
#include "FileCommands.h"
#include "FleetCommands.h"
#include "ImportCommand.h"
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
    if (options.command == "diff")
        return runDiff(options, stdout);
    if (options.command == "import-eq")
        return runImportEq(options, stdin, stdout);
    return runCurve(options, stdout);
}
