// SimOptions: the simulator's command line.
#pragma once

#include "FaultPlan.h"

#include <string>

namespace zel::sim {

struct SimOptions {
    std::string link;      // the symlink to the pseudo-terminal
    std::string stateFile; // mode file to start from
    std::string logFile;
    std::string dumpStateFile;
    bool pace = false;
    bool silent = false;
    long silentForMs = 0;
    long silentAfter = -1; // < 0: no limit
    int garbage = 0;
    int slowMs = 0;
    long unplugAfterMs = -1;
    long replugDelayMs = 1000; // < 0: stays unplugged
    CFaultPlan faults;
    bool help = false;
};

extern const char* const kSimHelp;

// Parses argv into `out`; returns an empty string or a message naming the bad option.
std::string parseSimOptions(int argc, char** argv, SimOptions& out);

// The default link: $XDG_RUNTIME_DIR/zel-sim-port, or /tmp/zel-sim-port.
std::string defaultLinkPath();

} // namespace zel::sim
