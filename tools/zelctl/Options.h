// ZelctlOptions: the command line of zelctl, parsed and checked before any port is opened.
#pragma once

#include <string>
#include <vector>

namespace zel::ctl {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitLink = 1;  // no processor answered, or the link failed
inline constexpr int kExitUsage = 2; // bad usage or bad input; nothing was sent

struct ZelctlOptions {
    std::string command;    // ports, pull, push, set, show, curve, diff, import-eq, fleet,
                            // fleet-room; empty with --help alone
    std::string port;       // --port NAME; empty: search the ports in discovery order
    int part = 0;           // push --part N
    bool partGiven = false; // diff: compare only what --part N loads
    std::string bank;       // curve, import-eq --bank singing|dance; empty: the file's scene
    std::string out;        // import-eq --out FILE; empty: rewrite the mode file itself
    int jobs = 8;           // fleet -j N: rooms handled at once
    bool json = false;      // --json: one JSON document on standard output
    bool verbose = false;
    bool help = false;
    std::vector<std::string> args; // the positional arguments after the command
};

// Parses argv; returns an empty string, or one line saying what is wrong.
std::string parseOptions(int argc, const char* const* argv, ZelctlOptions& out);

// The usage text of the whole tool, or of one command.
const char* usageText(const std::string& command);

} // namespace zel::ctl
