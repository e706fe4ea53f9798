// Command-line parsing and usage texts of zelctl.
#include "Options.h"

#include "platform/NetworkPortName.h"

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
  fleet status ROOMS                     every room's link, scene, mode and drift at once
  fleet push ROOMS [--part N] [FILE]     upload every room's approved mode and verify it
  diff [--port NAME] [--part N] A B      compare two mode files, or one with the processor
  import-eq TEXT BLOCK FILE [--bank singing|dance] [--out OUT]
                                         put a measurement program's filter text on the
                                         bands of one EQ block of a mode file

  --json        show, diff, curve, ports, import-eq and fleet: one JSON document on stdout
  --verbose     log every frame sent and received, in hex with a timestamp, on stderr
  --help        this text; zelctl COMMAND --help describes one command

Without --port the ports are tried in discovery order (open, probe, next port when the
probe is not answered); ZEL_EXTRA_PORTS (colon-separated paths and network names) adds
ports after the machine's own. A port name is a device path, tcp://HOST:PORT (a raw byte
stream to a serial device server) or rfc2217://HOST:PORT (Telnet com-port control, which
also sets 115200 8N1 on the server's port). Exit status: 0 success, 1 no processor
answered or the link failed, 2 bad usage or bad input (nothing is sent then). diff
differs: 0 the same, 1 different, 2 trouble (bad input or no processor).
)";

const char* const kPortsUsage = R"(usage: zelctl ports [--json]

One line per serial port, in discovery order: the name to pass to --port, a tab, and a
description (may be empty). Paths in ZEL_EXTRA_PORTS that do not exist, and network names
whose serial device server does not accept a connection, are skipped.
  --json     {"ports": [{"name", "description"}]}
)";

const char* const kFleetUsage = R"(usage: zelctl fleet status ROOMS [-j N] [--json]
       zelctl fleet push ROOMS [--part N] [FILE] [-j N] [--json]

ROOMS is a text file with one room per line: a name, a port name and optionally the room's
approved mode file (relative to the rooms file's folder), separated by blanks; '#' starts
a comment. Every room is handled by its own zelctl process, at most N at once (-j N,
default 8), so one room's fault never touches another.
  status   links to every room and reports its link state, current scene and device mode
           and, where an approved mode is named, the number of differing fields per store
           block between the processor and the mode (the device's mode names and its
           selected mode are its own, not the mode's)
  push     uploads the room's approved mode, or FILE to every room, with load part N
           (--part as for push), then reads the processor's parameters back and checks
           that they equal what was uploaded
The result is a table with one row per room on stdout, or with --json a JSON array of one
object per room: "room", "port", "link" (the LINK column: on-line, cannot open, no
answer, link failed, ...), "ok", "error" when it failed, "scene" (0 Auto, 1 Singing,
2 Dance), "mode" (0..5) and "modeName" when on-line, "differences" when compared with a
mode ({"fieldCount", "blocks": [{"block", "fields"}]}, named as in zelctl diff --json)
and "verified" after a push. Exit status: 0 when every room succeeded (status: on-line
and, where an approved mode is named, no differing field; push: uploaded and verified),
1 when any room did not, 2 for bad usage or a bad rooms or mode file (then no room is
touched).
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

const char* const kShowUsage = R"(usage: zelctl show [--json] FILE

Prints every field of the mode file FILE, one per line, as NAME=VALUE (the stored value in
decimal), followed by its display text where it has one. Mode names are printed quoted,
with quotes, backslashes and control characters escaped as \", \\, \n, \t, \r, \xHH.
  --json     {"file", "fields": [{"name", "value", "text"}]}; a mode name's value is its
             text, and "text" is left out where a field has no display text
)";

const char* const kCurveUsage = R"(usage: zelctl curve FILE BLOCK [--bank singing|dance] [--json]

Prints the 420 points of the summed response of EQ block BLOCK (0..14) computed from the
mode file FILE: the grid frequency with one decimal, a space, the level in dB with six
decimals. For the music and output blocks the bank defaults to the file's scene (Auto
counts as the last manual scene); --bank is ignored for the other blocks.
  0 music, 1 microphone A, 2 echo A pre-EQ, 3 reverb A pre-EQ, 4 microphone B,
  5 echo B pre-EQ, 6 reverb B pre-EQ, 7 Main, 8 Center, 9 Subwoofer, 10 Rear,
  11 echo A post-EQ, 12 reverb A post-EQ, 13 echo B post-EQ, 14 reverb B post-EQ
  --json     {"file", "block", "bank", "points": [{"hz", "db"}]}; "bank" is null for
             the blocks with one bank
)";

const char* const kDiffUsage = R"(usage: zelctl diff [--port NAME] [--part N] [--json] A B

Compares A with B, each a mode file or the word device (the processor, found as pull
finds it, or on --port NAME; a file named device is ./device). Prints one line per
differing field in field-table order with both stored values and their display texts,
  eqBand[5].gain: 240 (0.0 dB) -> 300 (6.0 dB)
an EQ band or crossover record on one line with every member that differs, then a
summary line with the number of differing fields per store block. The master levels
are no part of a mode and are never compared; against the processor, only the fields
its dump reports are.
  --part N   compare only what load part N takes from a mode file: 0 all but the mode
             names, 1 music, 2 microphone A and effect A, 3 microphone B and effect B,
             4 outputs, 5 system
  --json     {"a", "b", "part", "same", "fieldCount", "blocks": [{"block", "fields"}],
             "records": [{"record", "block", "fields": [{"name", "a", "b", "aText",
             "bText"}]}]}
Exit status: 0 the same, 1 different, 2 trouble (bad input, or no processor answered).
)";

const char* const kImportEqUsage =
    R"(usage: zelctl import-eq TEXT BLOCK FILE [--bank singing|dance] [--out OUT] [--json]

Reads TEXT (a file, or - for standard input), the parametric filters a room-measurement
program exports, one per line:
  Filter 1: ON PK Fc 1000 Hz Gain -3.0 dB Q 1.41
  Filter 2: ON LSC Fc 105 Hz Gain 4.0 dB Q 0.71
Types PK, LS, LSC, LSQ, HS, HSC, HSQ, each with Q or "BW Oct N" (bandwidth in octaves;
a shelf without either gets Q 0.71); "Filter:" without a number, OFF filters, a Preamp
line, comments (# ; //) and the export's title lines are accepted. Pass, notch and
all-pass filters and first-order shelves are refused.
Each ON filter goes to one band of EQ block BLOCK (0..14, as for curve) at the nearest
frequency, gain and Q the processor offers; remaining bands become flat. With more
filters than bands, the ones whose loss changes the curve least are dropped and listed.
For the music and output blocks the bank defaults to the file's scene.
The fit report gives, per filter, the asked and the stored values, then the largest
deviation in dB between the asked curve (ideal filters) and the processor's, on its
420-point grid, with its frequency. The block's crossover filters stay as they are and
are no part of either curve; the preamp is reported, not applied.
FILE is rewritten (or OUT written) whole, and only when the text is accepted.
  --json     {"text", "file", "block", "bank", "bands", "preamp", "filters": [{"line",
             "number", "enabled", "type", "asked": {"hz", "db", "q"}, "band", "dropped",
             "clipped", "stored": {"freq", "gain", "q", "type", "hz", "db", "qValue"}}],
             "deviation": {"db", "hz", "askedDb", "deviceDb"}}
Exit status: 0 written, 2 refused (nothing written).
)";

bool isCommand(std::string_view c) {
    return c == "ports" || c == "pull" || c == "push" || c == "set" || c == "show" ||
           c == "curve" || c == "diff" || c == "import-eq" || c == "fleet" || c == "fleet-room";
}

bool takesPort(std::string_view c) {
    return c == "pull" || c == "push" || c == "set" || c == "diff" || c == "fleet-room";
}

bool takesPart(std::string_view c) {
    return c == "push" || c == "diff" || c == "fleet" || c == "fleet-room";
}

bool takesJson(std::string_view c) {
    return c == "show" || c == "diff" || c == "curve" || c == "ports" || c == "import-eq" ||
           c == "fleet" || c == "fleet-room";
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
    if (command == "fleet" || command == "fleet-room")
        return kFleetUsage;
    if (command == "diff")
        return kDiffUsage;
    if (command == "import-eq")
        return kImportEqUsage;
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
                return "--port belongs to pull, push, set or diff";
            if (value.empty())
                return "--port needs a port name";
            if (NetworkPortName net;
                isNetworkPortName(value) && !parseNetworkPortName(value, net, error))
                return error;
            out.port = value;
        } else if (arg == "--json") {
            if (!takesJson(out.command))
                return "--json belongs to show, diff, curve, ports, import-eq or fleet";
            out.json = true;
        } else if (optionValue(arg, "--part", argc, argv, i, value, error)) {
            if (!error.empty())
                return error;
            if (!takesPart(out.command))
                return "--part belongs to push, diff or fleet push";
            int part = -1;
            const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), part);
            if (ec != std::errc() || end != value.data() + value.size() || part < 0 || part > 5)
                return "--part must be 0..5 (0 all, 1 music, 2 mic A, 3 mic B, 4 outputs, "
                       "5 system), not '" +
                       value + "'";
            out.part = part;
            out.partGiven = true;
        } else if (optionValue(arg, "--bank", argc, argv, i, value, error)) {
            if (!error.empty())
                return error;
            if (out.command != "curve" && out.command != "import-eq")
                return "--bank belongs to curve or import-eq";
            if (value != "singing" && value != "dance")
                return "--bank must be singing or dance, not '" + value + "'";
            out.bank = value;
        } else if (arg == "-j" || arg.substr(0, 2) == "-j" ||
                   optionValue(arg, "--jobs", argc, argv, i, value, error)) {
            if (!error.empty())
                return error;
            if (arg == "-j") {
                if (i + 1 >= argc)
                    return "-j needs a number";
                value = argv[++i];
            } else if (arg.substr(0, 2) == "-j") {
                value = std::string(arg.substr(2));
            }
            if (out.command != "fleet")
                return "-j belongs to fleet";
            int jobs = 0;
            const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), jobs);
            if (ec != std::errc() || end != value.data() + value.size() || jobs < 1 || jobs > 64)
                return "-j must be 1..64, not '" + value + "'";
            out.jobs = jobs;
        } else if (optionValue(arg, "--out", argc, argv, i, value, error)) {
            if (!error.empty())
                return error;
            if (out.command != "import-eq")
                return "--out belongs to import-eq";
            if (value.empty())
                return "--out needs a file name";
            out.out = value;
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
    if (out.command == "fleet" || out.command == "fleet-room") {
        const bool push = n > 0 && out.args[0] == "push";
        if (n == 0 || (out.args[0] != "status" && !push))
            return out.command + " needs status or push";
        if (out.command == "fleet" && !push && n != 2)
            return "fleet status needs exactly one ROOMS file";
        if (out.command == "fleet" && push && (n < 2 || n > 3))
            return "fleet push needs ROOMS and at most one FILE";
        if (out.command == "fleet-room" && (push ? n != 2 : n > 2))
            return push ? "fleet-room push needs one FILE" : "fleet-room status takes one FILE";
        if (!push && out.part != 0)
            return "--part belongs to push, diff or fleet push";
        if (out.command == "fleet-room" && out.port.empty())
            return "fleet-room needs --port";
    }
    if (out.command == "diff" && n != 2)
        return "diff needs two sides A and B, each a mode file or device";
    if (out.command == "import-eq" && n != 3)
        return "import-eq needs TEXT, BLOCK and FILE";
    return {};
}

} // namespace zel::ctl
