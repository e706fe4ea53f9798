// Long runs of the whole link stack - the real port thread and controller, no window -
// against a simulator that misbehaves at random, and unplug/replug cycles at random moments.
// Sizes come from the environment, so CI runs a short version and a measurement a long one:
//   ZEL_SOAK_FRAMES (default 3000)   frames to write in the fault-injected soak
//   ZEL_SOAK_SEED   (default 1)      seed of the edits and of the simulator's faults
//   ZEL_SOAK_CYCLES (default 10)     unplug/replug cycles
//   ZEL_SOAK_FAULTS (default 8)      frames in a thousand the simulator plays a fault on
#include "LinkFixture.h"
#include "RandomEdits.h"

#include "model/Defaults.h"
#include "model/FieldTable.h"
#include "modes/ModeFile.h"
#include "modes/ModeLibrary.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <vector>

namespace zel::test {
namespace {

long envNumber(const char* name, long fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::strtol(v, nullptr, 10) : fallback;
}

// Counts the frames the port thread writes (every copy of a resent frame too).
class FrameCounter : public FrameTap {
public:
    void onWrite(const std::uint8_t*, std::size_t) override { ++written; }
    void onReadByte(std::uint8_t, bool) override {}
    std::atomic<long> written{0};
};

class SilentUi : public ModeUi {
public:
    void message(const std::string&) override {}
    bool confirm(const std::string&) override { return true; }
};

// The store offsets the device holds: every field the link sends, the mute flags with them.
std::vector<std::size_t> deviceOffsets() {
    std::vector<std::size_t> out;
    for (const Field& f : allFields())
        if (f.delivery == Delivery::ChangeDetector || f.delivery == Delivery::Command ||
            f.delivery == Delivery::Derived)
            for (std::size_t k = 0; k < f.size(); ++k)
                out.push_back(f.offset + k);
    return out;
}

const std::uint8_t* bytesOf(const DeviceParams& p) {
    return reinterpret_cast<const std::uint8_t*>(&p);
}

// The last `n` lines of a simulator's log, for a failure message.
std::string logTail(const SimProcess& sim, std::size_t n) {
    const std::vector<SimLogLine> log = sim.log();
    std::ostringstream out;
    for (std::size_t i = log.size() > n ? log.size() - n : 0; i < log.size(); ++i) {
        out << '#' << log[i].frame << ' ' << log[i].tag << ' ' << hex(log[i].bytes)
            << (log[i].note.empty() ? "" : " (" + log[i].note + ")") << '\n';
    }
    return out.str();
}

class Soak : public LinkFixture {
protected:
    Soak() { port.setFrameTap(&counter); }

    // A mode image unlike the store: random edits all over, in both banks.
    ModeBytes randomMode(RandomEdits& edits) {
        DeviceParams p{};
        {
            std::lock_guard guard(g_frameLock);
            p = liveParams;
        }
        for (int i = 0; i < 60; ++i) {
            edits.singing(p);
            edits.dance(p);
        }
        p.scene = edits.u8(3);
        return encodeMode(p);
    }

    void upload(RandomEdits& edits) {
        const ModeBytes image = randomMode(edits);
        SilentUi ui;
        CModeLibrary library(ui, ".");
        library.uploadModeImage(std::vector<std::uint8_t>(image.begin(), image.end()), "soak.dat",
                                edits.pick(kModePartCount));
    }

    // The link is idle: nothing queued, a keep-alive in flight (so every frame before it was
    // answered) and every field the change detector sends sent. Device commands leave their
    // fields unlike sentParams until the next dump, so they are not compared.
    bool settled() const {
        std::lock_guard guard(g_frameLock);
        if (command.queuedCount() != 0 || TxRecord[3] != 0x30)
            return false;
        for (const Field& f : allFields())
            if ((f.delivery == Delivery::ChangeDetector || f.delivery == Delivery::Derived) &&
                std::memcmp(bytesOf(liveParams) + f.offset, bytesOf(sentParams) + f.offset,
                            f.size()) != 0)
                return false;
        return true;
    }

    // What keeps the link from being idle, for a failure message.
    std::string linkState() {
        std::lock_guard guard(g_frameLock);
        std::ostringstream text;
        text << "queued " << command.queuedCount() << ", in flight " << int(TxRecord[3])
             << ", unsent store bytes:";
        for (std::size_t at = 0; at < sizeof liveParams; ++at)
            if (bytesOf(liveParams)[at] != bytesOf(sentParams)[at])
                text << ' ' << at;
        return text.str();
    }

    FrameCounter counter;
    const std::vector<std::size_t> offsets = deviceOffsets();
};

// Random edits, scene changes, device commands, uploads and unplugs while the simulator
// drops replies, asks for repeats, stalls, sends noise and sends byte by byte. Whenever a
// lost link brings a new dump, only fields edited since the link was last idle may differ
// from what the PC meant; at the end the device holds exactly the PC's store.
TEST_F(Soak, FaultInjectedLinkLosesNoEdit) {
    const long targetFrames = envNumber("ZEL_SOAK_FRAMES", 3000);
    const auto seed = static_cast<unsigned>(envNumber("ZEL_SOAK_SEED", 1));
    const long faults = envNumber("ZEL_SOAK_FAULTS", 8);
    SimProcess device("soak", {"--chaos", std::to_string(seed) + "/" + std::to_string(faults),
                               "--replug-delay", "300"});
    SimProcess::dumpLogOnExit = [] { return false; }; // far too long to print
    useSimulators({&device});
    controller->requestStartupSearch();
    ASSERT_TRUE(runUntil([&] { return online(); }, 10s)) << host.title();

    RandomEdits edits(seed);
    DeviceParams meant{}, lastIdle{};
    {
        std::lock_guard guard(g_frameLock);
        meant = lastIdle = liveParams;
    }
    long editCount = 0, overtaken = 0, uploads = 0, commands = 0, unplugs = 0, idlePoints = 0;
    const auto started = Clock::now();

    // Bytes the PC changed since the link was last idle: only these may be lost with a link.
    std::vector<bool> touched(sizeof meant, false);
    // Every change of a store byte and the last idle point, to explain a failure.
    struct Change {
        Clock::time_point at;
        const char* what;
        std::size_t offset;
        int from, to;
    };
    std::vector<Change> changes;
    Clock::time_point lastIdleAt = started;
    auto history = [&](std::size_t at) {
        auto ms = [&](Clock::time_point t) { return static_cast<long>(elapsedMs(started, t)); };
        std::ostringstream out;
        out << "last idle point at " << ms(lastIdleAt) << " ms; the PC's changes of the byte:\n";
        std::vector<const Change*> mine;
        for (const Change& c : changes)
            if (c.offset == at)
                mine.push_back(&c);
        for (std::size_t i = mine.size() > 12 ? mine.size() - 12 : 0; i < mine.size(); ++i)
            out << "  " << ms(mine[i]->at) << " ms " << mine[i]->what << ' ' << mine[i]->from
                << " -> " << mine[i]->to << '\n';
        out << "the simulator's frames of its field, and the unplugs:\n";
        const Field* f = fieldAtOffset(at);
        const std::vector<SimLogLine> log = device.log();
        std::vector<std::string> lines;
        for (const SimLogLine& l : log) {
            const bool ofField = f && l.tag == "RX" && l.bytes.size() > 4 &&
                                 l.bytes[3] == f->command &&
                                 (f->deviceIndex < 0 || l.bytes[4] == f->deviceIndex);
            if (!ofField && l.tag != "PLUG" && l.tag != "UNPLUG")
                continue;
            std::ostringstream line;
            line << "  " << ms(l.at) << " ms #" << l.frame << ' ' << l.tag << ' ' << hex(l.bytes);
            lines.push_back(line.str());
        }
        for (std::size_t i = lines.size() > 16 ? lines.size() - 16 : 0; i < lines.size(); ++i)
            out << lines[i] << '\n';
        // The whole story, for a closer look: the simulator's log and the PC's changes.
        if (FILE* file = std::fopen("link_soak-failure.log", "w")) {
            auto us = [&](Clock::time_point t) {
                return static_cast<long long>(elapsedMs(started, t) * 1000);
            };
            std::multimap<long long, std::string> byTime;
            for (const SimLogLine& l : log) {
                std::ostringstream line;
                line << "sim #" << l.frame << ' ' << l.tag << ' ' << hex(l.bytes);
                if (!l.note.empty())
                    line << " (" << l.note << ')';
                byTime.emplace(us(l.at), line.str());
            }
            for (const Change& c : changes) {
                std::ostringstream line;
                line << "pc " << c.what << " byte " << c.offset << ' ' << c.from << " -> " << c.to;
                byTime.emplace(us(c.at), line.str());
            }
            for (const auto& [t, line] : byTime)
                std::fprintf(file, "%lld.%03lld ms %s\n", t / 1000, t % 1000, line.c_str());
            std::fclose(file);
            out << "(the whole story is in link_soak-failure.log)\n";
        }
        return out.str();
    };
    // Under g_frameLock: a store that is no longer what the PC meant was replaced by a dump
    // after a lost link. Edits confirmed before the last idle point must all be in it.
    auto checkResync = [&] {
        if (std::memcmp(&liveParams, &meant, sizeof meant) == 0)
            return;
        for (std::size_t at : offsets) {
            if (bytesOf(liveParams)[at] == bytesOf(meant)[at])
                continue;
            ASSERT_TRUE(touched[at]) << "store byte " << at << " confirmed as "
                                     << int(bytesOf(lastIdle)[at]) << " at the last idle point "
                                     << "came back as " << int(bytesOf(liveParams)[at]) << "; "
                                     << history(at) << "the simulator's last frames:\n"
                                     << logTail(device, 120);
            ++overtaken;
        }
        for (std::size_t at = 0; at < sizeof meant; ++at)
            if (bytesOf(liveParams)[at] != bytesOf(meant)[at])
                changes.push_back(
                    {Clock::now(), "dump", at, bytesOf(meant)[at], bytesOf(liveParams)[at]});
        meant = liveParams;
    };

    long nextReport = 10000;
    while (counter.written < targetFrames) {
        if (counter.written >= nextReport) {
            std::printf("soak: %ld frames after %.0f s\n", counter.written.load(),
                        elapsedMs(started, Clock::now()) / 1000.0);
            std::fflush(stdout);
            nextReport += 10000;
        }
        {
            // One hold of the lock from the check to the new intent, so a dump cannot land
            // unseen in between.
            std::lock_guard guard(g_frameLock);
            checkResync();
            if (HasFatalFailure())
                return;
            const int action = edits.pick(100);
            const char* what = "edit";
            if (action < 2 && online()) {
                device.signal(SIGUSR1);
                ++unplugs;
            } else if (action < 14 && online()) {
                upload(edits);
                what = "upload";
                ++uploads;
            } else if (action < 18 && online()) {
                static constexpr int kCodes[] = {0x32, 0x33, 0x34, 0x35};
                edit([&](DeviceParams& p) {
                    p.keyLockPassword[edits.pick(4)] = edits.u8(10);
                    p.keyLockOff = edits.u8(2);
                    p.adminPassword[edits.pick(6)] = edits.u8(10);
                    p.userMode = edits.u8(2);
                });
                for (int code : kCodes)
                    controller->SendCommand(code, 0);
                what = "device command";
                ++commands;
            } else if (action < 23) {
                edit([&](DeviceParams& p) { p.scene = edits.u8(3); });
                ++editCount;
            } else {
                const int n = 1 + edits.pick(12);
                edit([&](DeviceParams& p) {
                    for (int i = 0; i < n; ++i) {
                        if (p.scene == 2 && edits.pick(2))
                            edits.dance(p);
                        else
                            edits.singing(p);
                    }
                });
                editCount += n;
            }
            for (std::size_t at = 0; at < sizeof meant; ++at)
                if (bytesOf(liveParams)[at] != bytesOf(meant)[at]) {
                    touched[at] = true;
                    changes.push_back(
                        {Clock::now(), what, at, bytesOf(meant)[at], bytesOf(liveParams)[at]});
                }
            meant = liveParams;
        }
        loop.runFor(std::chrono::milliseconds(edits.pick(150)));
        // Now and then the PC stops editing until everything has gone out and been answered.
        if (edits.pick(6) == 0) {
            ASSERT_TRUE(runUntil([&] { return online() && settled(); }, 60s))
                << "the link never became idle: " << host.title() << "; " << linkState();
        }
        if (settled() && online()) {
            std::lock_guard guard(g_frameLock);
            checkResync();
            if (HasFatalFailure())
                return;
            lastIdle = meant;
            lastIdleAt = Clock::now();
            std::fill(touched.begin(), touched.end(), false);
            ++idlePoints;
        }
    }

    // Let everything out, then compare the device with the store.
    ASSERT_TRUE(runUntil([&] { return online() && settled(); }, 60s)) << host.title();
    {
        std::lock_guard guard(g_frameLock);
        checkResync();
    }
    loop.runFor(800ms); // the keep-alive in flight is answered or resent; no state in it
    ASSERT_TRUE(runUntil([&] { return online() && settled(); }, 60s)) << host.title();
    const DeviceParams state = device.state();
    DeviceParams pc{};
    {
        std::lock_guard guard(g_frameLock);
        pc = liveParams;
    }
    int differing = 0;
    for (std::size_t at : offsets)
        if (bytesOf(state)[at] != bytesOf(pc)[at] && ++differing <= 10)
            ADD_FAILURE() << "store byte " << at << ": device " << int(bytesOf(state)[at])
                          << ", PC " << int(bytesOf(pc)[at]);
    EXPECT_EQ(differing, 0);

    long noReply = 0, repeats = 0, stalls = 0, noisy = 0, slow = 0;
    for (const SimLogLine& l : device.log()) {
        noReply += l.tag == "NOREPLY" && l.note == "drop";
        repeats += l.note.find("status ") != std::string::npos;
        stalls += l.note.find("stall after") != std::string::npos;
        noisy += l.note.find("noise bytes") != std::string::npos;
        slow += l.note.find("byte by byte") != std::string::npos;
    }
    std::printf("soak: %ld frames written in %.1f s, %ld edits, %ld uploads, %ld device commands, "
                "%ld unplugs; faults: %ld dropped replies, %ld repeat requests, %ld stalls, %ld "
                "noisy replies, %ld byte-by-byte replies; %zu link failures, %zu dumps, %ld idle "
                "points, %ld edited bytes overtaken by a lost link\n",
                counter.written.load(), elapsedMs(started, Clock::now()) / 1000.0, editCount,
                uploads, commands, unplugs, noReply, repeats, stalls, noisy, slow,
                seen(WM_LINK_FAILED).size(), seen(WM_LINK_SYNCED).size(), idlePoints, overtaken);
}

// Unplug and replug at random moments - idle, half-way through a dump, half-way through an
// upload - again and again: every time the link comes back on-line by itself, and soon after
// the port returns.
TEST_F(Soak, UnplugReplugCyclesComeBackOnLine) {
    const long cycles = envNumber("ZEL_SOAK_CYCLES", 10);
    RandomEdits edits(static_cast<unsigned>(envNumber("ZEL_SOAK_SEED", 1)));
    // At the line's own byte rate a dump takes 120 ms and an upload about a second.
    SimProcess device("cycles", {"--pace", "--replug-delay", "500"});
    SimProcess::dumpLogOnExit = [] { return false; };
    useSimulators({&device});
    controller->requestStartupSearch();
    ASSERT_TRUE(runUntil([&] { return online(); }, 10s)) << host.title();

    static const char* const kMoments[] = {"idle", "mid-dump", "mid-upload"};
    std::vector<double> reconnectMs[3];
    for (long c = 0; c < cycles; ++c) {
        const int moment = static_cast<int>(c % 3);
        SCOPED_TRACE(std::string("cycle ") + std::to_string(c) + ", " + kMoments[moment]);
        if (moment == 0) {
            ASSERT_TRUE(runUntil([&] { return online() && settled(); }, 10s));
            loop.runFor(std::chrono::milliseconds(edits.pick(400)));
        } else if (moment == 1) {
            {
                std::lock_guard guard(g_frameLock);
                command.queueSync(0);
            }
            ASSERT_TRUE(runUntil(
                [&] {
                    std::lock_guard guard(g_frameLock);
                    return TxRecord[3] == 0xAA;
                },
                5s));
            loop.runFor(std::chrono::milliseconds(edits.pick(110)));
        } else {
            upload(edits);
            loop.runFor(std::chrono::milliseconds(edits.pick(900)));
        }
        const std::size_t syncsBefore = seen(WM_LINK_SYNCED).size();
        device.signal(SIGUSR1);
        ASSERT_TRUE(
            runUntil([&] { return seen(WM_LINK_SYNCED).size() > syncsBefore && online(); }, 15s))
            << host.title();
        // The dump of a synchronisation asked for just before the unplug may still have come
        // in; the reconnect is the last dump, after the port came back.
        const auto log = device.log();
        const auto plug = std::find_if(log.rbegin(), log.rend(),
                                       [](const SimLogLine& l) { return l.tag == "PLUG"; });
        ASSERT_NE(plug, log.rend());
        ASSERT_TRUE(runUntil([&] { return seen(WM_LINK_SYNCED).back().at > plug->at; }, 15s));
        reconnectMs[moment].push_back(elapsedMs(plug->at, seen(WM_LINK_SYNCED).back().at));
    }

    std::vector<double> all;
    for (int m = 0; m < 3; ++m) {
        std::vector<double>& v = reconnectMs[m];
        all.insert(all.end(), v.begin(), v.end());
        std::sort(v.begin(), v.end());
        if (!v.empty())
            std::printf("cycles %s: %zu, on-line after the port returned: median %.0f ms, "
                        "worst %.0f ms\n",
                        kMoments[m], v.size(), v[v.size() / 2], v.back());
    }
    std::sort(all.begin(), all.end());
    ASSERT_FALSE(all.empty());
    std::printf("cycles: %zu, median %.0f ms, worst %.0f ms\n", all.size(), all[all.size() / 2],
                all.back());
    // The controller looks for the port every 300 ms, then probe and dump follow at once.
    EXPECT_LT(all[all.size() / 2], 600.0);
    EXPECT_LT(all.back(), 1500.0);
}

} // namespace
} // namespace zel::test
