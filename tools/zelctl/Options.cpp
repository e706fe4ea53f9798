// Command-line parsing and usage texts of zelctl.
#include "Options.h"

#include <charconv>
#include <cstring>
#include <string_view>

namespace zel::ctl {

namespace {

const char* const kUsage = R"(usage: zelctl [--verbose] COMMAND [options] [arguments]

Talks to the ZEL karaoke processor over its serial link (115200 8N1), the way the desktop
program does, without a window.

Commands:
  ports                                  list the serial ports in discovery order
  pull [--port NAME] FILE                read the processor's parameters into a mode file
  push [--port NAME] [--part N] FILE     load a mode file and upload it to the processor
  set [--port NAME] FIELD=VALUE...       change single parameters on the processor
  show FILE                              print every field of a mode file
  curve FILE BLOCK [--bank singing|dance]
                                         print the summed EQ response of one block

  --verbose     log every frame sent and received, in hex with a timestamp, on stderr
  --help        this text; zelctl COMMAND --help describes one command

Without --port the ports are tried in discovery order (open, probe, next port when the
probe is not answered); ZEL_EXTRA_PORTS (colon-separated paths) adds ports after the
machine's own. Exit status: 0 success, 1 no processor answered or the link failed,
2 bad usage or bad input (nothing is sent then).
)";

const char* const kPortsUsage = R"(usage: zelctl ports

One line per serial port, in discovery order: the name to pass to --port, a tab, and a
description (may be empty). Paths in ZEL_EXTRA_PORTS that do not exist are skipped.
)";

const char* const kPullUsage = R"(usage: zelctl pull [--port NAME] FILE

Connects (probe, then synchronisation request), waits for the processor's parameter dump
and writes the parameter store as the mode file FILE (1427 bytes: length byte 8,
"ZEL_3.00", store bytes 6..1423). Fields the dump does not carry keep their factory
defaults. FILE is replaced whole or not at all.
)";

const char* const kPushUsage = R"(usage: zelctl push [--port NAME] [--part N] FILE

Connects and synchronises, loads FILE into the store with load part N as the System
panel's upload does, sends the full upload (347 frames) and waits until every frame, and
any change that follows from it (a master volume pulled under a new limit), is answered.
  --part N   0 all (default), 1 music, 2 microphone A and effect A,
             3 microphone B and effect B, 4 outputs, 5 system
Progress (frames answered / 347) is shown on stderr when it is a terminal.
)";

const char* const kSetUsage = R"(usage: zelctl set [--port NAME] FIELD=VALUE...

Connects and synchronises, writes every FIELD into the store at once and waits until the
processor has received them all. FIELD is a store field name as zelctl show prints it:
masterVolume[1], byteParam[12], eqBand[5].gain, filter[15].slope, timeParam[3],
compressor[0].ratio, noiseGate[2].release, dance.eqBand[12].freq, scene, ...
VALUE is the stored index in decimal, or for modeName[i] a text of at most 20 bytes in
the processor's code page GBK (20 Latin letters or 10 Chinese characters; no control
characters). Each field may be given once.
A master volume above its limit is set to the limit. Out-of-range values, masterMute and
the fields the processor never receives are refused before anything is sent.
)";

const char* const kShowUsage = R"(usage: zelctl show FILE

Prints every field of the mode file FILE, one per line, as NAME=VALUE (the stored value in
decimal), followed by its display text where it has one. Mode names are printed quoted,
with quotes, backslashes and control characters escaped as \", \\, \n, \t, \r, \xHH.
)";

const char* const kCurveUsage = R"(usage: zelctl curve FILE BLOCK [--bank singing|dance]

Prints the 420 points of the summed response of EQ block BLOCK (0..14) computed from the
mode file FILE: the grid frequency with one decimal, a space, the level in dB with six
decimals. For the music and output blocks the bank defaults to the file's scene (Auto
counts as the last manual scene); --bank is ignored for the other blocks.
  0 music, 1 microphone A, 2 echo A pre-EQ, 3 reverb A pre-EQ, 4 microphone B,
  5 echo B pre-EQ, 6 reverb B pre-EQ, 7 Main, 8 Center, 9 Subwoofer, 10 Rear,
  11 echo A post-EQ, 12 reverb A post-EQ, 13 echo B post-EQ, 14 reverb B post-EQ
)";

bool isCommand(std::string_view c) {
    return c == "ports" || c == "pull" || c == "push" || c == "set" || c == "show" || c == "curve";
}

bool takesPort(std::string_view c) {
    return c == "pull" || c == "push" || c == "set";
}

// "--name VALUE" or "--name=VALUE".
bool optionValue(std::string_view arg, std::string_view name, int argc, const char* const* argv,
                 int& i, std::string& value, std::string& error) {
    if (arg == name) {
        if (i + 1 >= argc) {
            error = std::string(name) + " needs a value";
            return true;
        }
        value = argv[++i];
        return true;
    }
    if (arg.size() > name.size() && arg.substr(0, name.size()) == name && arg[name.size()] == '=') {
        value = std::string(arg.substr(name.size() + 1));
        return true;
    }
    return false;
}

} // namespace

const char* usageText(const std::string& command) {
    if (command == "ports")
        return kPortsUsage;
    if (command == "pull")
        return kPullUsage;
    if (command == "push")
        return kPushUsage;
    if (command == "set")
        return kSetUsage;
    if (command == "show")
        return kShowUsage;
    if (command == "curve")
        return kCurveUsage;
    return kUsage;
}

std::string parseOptions(int argc, const char* const* argv, ZelctlOptions& out) {
    out = {};
    std::string error;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        std::string value;
        if (arg == "--verbose" || arg == "-v") {
            out.verbose = true;
        } else if (arg == "--help" || arg == "-h") {
            out.help = true;
        } else if (optionValue(arg, "--port", argc, argv, i, value, error)) {
            if (!error.empty())
                return error;
            if (!takesPort(out.command))
                return "--port belongs to pull, push or set";
            if (value.empty())
                return "--port needs a port name";
            out.port = value;
        } else if (optionValue(arg, "--part", argc, argv, i, value, error)) {
            if (!error.empty())
                return error;
            if (out.command != "push")
                return "--part belongs to push";
            int part = -1;
            const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), part);
            if (ec != std::errc() || end != value.data() + value.size() || part < 0 || part > 5)
                return "--part must be 0..5 (0 all, 1 music, 2 mic A, 3 mic B, 4 outputs, "
                       "5 system), not '" +
                       value + "'";
            out.part = part;
        } else if (optionValue(arg, "--bank", argc, argv, i, value, error)) {
            if (!error.empty())
                return error;
            if (out.command != "curve")
                return "--bank belongs to curve";
            if (value != "singing" && value != "dance")
                return "--bank must be singing or dance, not '" + value + "'";
            out.bank = value;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option '" + std::string(arg) + "' (see zelctl --help)";
        } else if (out.command.empty()) {
            if (!isCommand(arg))
                return "unknown command '" + std::string(arg) + "' (see zelctl --help)";
            out.command = std::string(arg);
        } else {
            out.args.emplace_back(arg);
        }
    }
    if (out.help)
        return {};
    if (out.command.empty())
        return "no command given (see zelctl --help)";

    const std::size_t n = out.args.size();
    if (out.command == "ports" && n != 0)
        return "ports takes no arguments";
    if ((out.command == "pull" || out.command == "push" || out.command == "show") && n != 1)
        return out.command + " needs exactly one FILE";
    if (out.command == "set" && n == 0)
        return "set needs at least one FIELD=VALUE";
    if (out.command == "curve" && n != 2)
        return "curve needs FILE and BLOCK";
    return {};
}

} // namespace zel::ctl
