// SimOptions: parsing and help text of the simulator's command line.
#include "SimOptions.h"

#include <cstdlib>
#include <cstring>

namespace zel::sim {

const char* const kSimHelp = R"(usage: zel-sim [options]

Plays the karaoke processor on a pseudo-terminal: answers every frame the PC sends with
its acknowledgement, answers the synchronisation request (AA) with the dump frame, applies
every parameter command to its own parameter set (scene-dependent ones to the bank of the
last scene frame), keeps six device modes (37 stores the working set and its name as a
mode, 38 loads one; names, passwords, keyboard lock and user mode stay with the device)
and the passwords. It starts from the factory defaults.

  --link PATH            keep a symlink to the pseudo-terminal at PATH (default
                         $XDG_RUNTIME_DIR/zel-sim-port, else /tmp/zel-sim-port); the line
                         "zel-sim: PATH -> /dev/pts/N" on stdout says it is ready
  --state FILE.dat       start from a mode file (1427 bytes: length byte 8, "ZEL_3.00",
                         store bytes 6..1423)
  --log FILE             log every frame received (RX) and sent (TX), and every fault, one
                         line each: CLOCK_MONOTONIC seconds, frame number, hex bytes
  --dump-state FILE      write the parameter set, the 1424 raw bytes of the store, to FILE
                         on SIGUSR2 and on exit (written aside, then renamed into place)
  --pace                 keep the 115200 8N1 byte time, 86.8 us a byte: a reply starts
                         once the request would have arrived and goes out at that rate
Faults:
  --silent               never answer
  --silent-for MS        answer nothing for MS ms after start (a device switched on late)
  --silent-after N       answer the first N frames only
  --drop SEL             do not answer the selected frames
  --repeat SEL[/STATUS]  answer the selected frames with STATUS (1..3 ask the PC for the
                         same frame again; default 2); such a frame is not applied
  --garbage N            send N noise bytes (never FF, 55, 03 or CC) before every reply
  --slow MS              send every reply byte by byte, MS ms apart
  --stall SEL/K/MS       send K bytes of the reply to the selected frames, pause MS ms,
                         then the rest; MS "forever" never sends the rest
  --chaos SEED/PERMILLE  random faults: each frame, with probability PERMILLE/1000, one of
                         a dropped reply, a repeat request, a stall (up to 700 ms or for
                         ever), noise before the reply or a reply byte by byte, 1..3 ms apart
  --unplug-after MS      unplug MS ms after start: the pseudo-terminal is closed and the
                         link removed; it comes back after --replug-delay
  --replug-delay MS      time unplugged before the pseudo-terminal is made again under the
                         same link (default 1000; -1: stays unplugged)
SEL is N (the N-th frame received, counted from 1 over the simulator's life) or
cmd:HH[xK] (the next K frames, default 1, or all, carrying command byte HH in hex).
Signals: SIGUSR1 unplugs now (then the replug delay applies), SIGUSR2 writes the
--dump-state file, SIGINT/SIGTERM end the simulator (the state file is written, the link
removed).
A frame with a wrong checksum is answered with status 1 and not applied.
)";

namespace {

bool parseLong(const char* text, long& out) {
    char* end = nullptr;
    out = std::strtol(text, &end, 10);
    return end != text && *end == '\0';
}

} // namespace

std::string defaultLinkPath() {
    const char* dir = std::getenv("XDG_RUNTIME_DIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/zel-sim-port";
}

std::string parseSimOptions(int argc, char** argv, SimOptions& out) {
    out.link = defaultLinkPath();
    for (int i = 1; i < argc; ++i) {
        const std::string opt = argv[i];
        auto value = [&](std::string& v) -> bool {
            if (i + 1 >= argc)
                return false;
            v = argv[++i];
            return true;
        };
        auto number = [&](long& v) -> bool {
            std::string text;
            return value(text) && parseLong(text.c_str(), v);
        };
        const std::string bad = "option " + opt + ": ";
        long n = 0;
        std::string text;
        if (opt == "--help" || opt == "-h") {
            out.help = true;
        } else if (opt == "--link") {
            if (!value(out.link) || out.link.empty())
                return bad + "needs a path";
        } else if (opt == "--state") {
            if (!value(out.stateFile))
                return bad + "needs a mode file";
        } else if (opt == "--log") {
            if (!value(out.logFile))
                return bad + "needs a file name";
        } else if (opt == "--dump-state") {
            if (!value(out.dumpStateFile))
                return bad + "needs a file name";
        } else if (opt == "--pace") {
            out.pace = true;
        } else if (opt == "--silent") {
            out.silent = true;
        } else if (opt == "--silent-for") {
            if (!number(out.silentForMs) || out.silentForMs < 0)
                return bad + "needs a time in ms";
        } else if (opt == "--silent-after") {
            if (!number(out.silentAfter) || out.silentAfter < 0)
                return bad + "needs a frame count";
        } else if (opt == "--garbage") {
            if (!number(n) || n < 0 || n > 1000)
                return bad + "needs a byte count 0..1000";
            out.garbage = static_cast<int>(n);
        } else if (opt == "--slow") {
            if (!number(n) || n < 0 || n > 60000)
                return bad + "needs a time in ms";
            out.slowMs = static_cast<int>(n);
        } else if (opt == "--unplug-after") {
            if (!number(out.unplugAfterMs) || out.unplugAfterMs < 0)
                return bad + "needs a time in ms";
        } else if (opt == "--replug-delay") {
            if (!number(out.replugDelayMs))
                return bad + "needs a time in ms (-1: never)";
        } else if (opt == "--chaos") {
            long seed = 0, permille = 0;
            const auto slash = value(text) ? text.find('/') : std::string::npos;
            if (slash == std::string::npos || !parseLong(text.substr(0, slash).c_str(), seed) ||
                seed < 0 || !parseLong(text.substr(slash + 1).c_str(), permille) || permille < 0 ||
                permille > 1000)
                return bad + "expected SEED/PERMILLE (PERMILLE 0..1000)";
            out.faults.setChaos(static_cast<unsigned>(seed), static_cast<int>(permille));
        } else if (opt == "--drop" || opt == "--repeat" || opt == "--stall") {
            if (!value(text))
                return bad + "needs a frame selector";
            FaultRule rule;
            std::string sel = text;
            std::string rest;
            if (const auto slash = text.find('/'); slash != std::string::npos) {
                sel = text.substr(0, slash);
                rest = text.substr(slash + 1);
            }
            if (std::string err = parseSelector(sel, rule.which); !err.empty())
                return bad + err;
            if (opt == "--drop") {
                rule.kind = FaultRule::Kind::Drop;
                if (!rest.empty())
                    return bad + "takes only a selector";
            } else if (opt == "--repeat") {
                rule.kind = FaultRule::Kind::Repeat;
                if (!rest.empty()) {
                    if (!parseLong(rest.c_str(), n) || n < 0 || n > 255)
                        return bad + "the status must be 0..255";
                    rule.status = static_cast<std::uint8_t>(n);
                }
            } else {
                rule.kind = FaultRule::Kind::Stall;
                const auto slash = rest.find('/');
                long after = 0;
                if (slash == std::string::npos ||
                    !parseLong(rest.substr(0, slash).c_str(), after) || after < 0)
                    return bad + "expected SEL/K/MS";
                rule.stallAfter = static_cast<int>(after);
                const std::string ms = rest.substr(slash + 1);
                if (ms == "forever")
                    rule.stallMs = -1;
                else if (!parseLong(ms.c_str(), n) || n < 0)
                    return bad + "the pause must be a time in ms or \"forever\"";
                else
                    rule.stallMs = static_cast<int>(n);
            }
            out.faults.add(rule);
        } else {
            return "unknown option " + opt + " (zel-sim --help lists them)";
        }
    }
    return {};
}

} // namespace zel::sim
