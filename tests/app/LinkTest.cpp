// The link against the processor simulator over real pseudo-terminals: port search, probe,
// synchronisation, supervision, unplugging and the store kept in step.
#include "LinkFixture.h"
#include "RandomEdits.h"

#include "model/Defaults.h"
#include "model/StoreWrite.h"
#include "modes/ModeLibrary.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <random>
#include <thread>
#include <unistd.h>

namespace zel::test {
namespace {

const std::vector<std::uint8_t> kProbe = bytesOf({0xFF, 0x55, 0x03, 0x30, 0x00, 0x33});
const std::vector<std::uint8_t> kSyncRequest = bytesOf({0xFF, 0x55, 0x03, 0xAA, 0xBB, 0x68});

using LinkTest = LinkFixture;

std::vector<SimLogLine> withCommand(const std::vector<SimLogLine>& rx, int command) {
    std::vector<SimLogLine> out;
    for (const SimLogLine& l : rx)
        if (l.bytes.size() > 3 && l.bytes[3] == command)
            out.push_back(l);
    return out;
}

TEST_F(LinkTest, StartupSearchSkipsThePortWhoseProbeIsUnanswered) {
    SimProcess absent("first", {"--silent"});
    SimProcess device("second", {});
    useSimulators({&absent, &device});
    controller->requestStartupSearch();
    ASSERT_TRUE(runUntil([&] { return online(); }, 5s)) << host.title();

    // The first port got the probe once, was given up after one reply wait, and the
    // second port was probed only then.
    const auto failures = seen(WM_LINK_FAILED);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].message.lParam, 1);
    const auto rxAbsent = absent.received();
    ASSERT_EQ(rxAbsent.size(), 1u);
    EXPECT_EQ(hex(rxAbsent[0].bytes), hex(kProbe));
    EXPECT_NEAR(elapsedMs(rxAbsent[0].at, failures[0].at), 1000, 250);
    const auto rxDevice = device.received();
    ASSERT_GE(rxDevice.size(), 2u);
    EXPECT_EQ(hex(rxDevice[0].bytes), hex(kProbe));
    EXPECT_EQ(hex(rxDevice[1].bytes), hex(kSyncRequest));
    EXPECT_GT(rxDevice[0].at, rxAbsent[0].at + 900ms);

    EXPECT_EQ(host.titleHistory(), (std::vector<std::string>{kWaitingSync, kOnLine}));
    EXPECT_EQ(controller->portName(), device.link());
    EXPECT_FALSE(loop.timerRunning(CConnectionController::kPortSearchTimerId));
}

TEST_F(LinkTest, DeviceSwitchedOnLateIsBroughtOnLineByWatchingTheLastPort) {
    SimProcess absent("first", {"--silent"});
    SimProcess late("second", {"--silent-for", "3000"});
    useSimulators({&absent, &late});
    controller->requestStartupSearch();
    ASSERT_TRUE(runUntil([&] { return online(); }, 9s)) << host.title();

    // Only the last port tried is watched: reopened and probed again about every probe
    // wait plus one timer period, with the title left alone, until the device answers.
    EXPECT_EQ(absent.received().size(), 1u);
    const auto rx = late.received();
    std::vector<SimLogLine> probes;
    for (const SimLogLine& l : rx) {
        if (l.bytes != kProbe)
            break;
        probes.push_back(l);
    }
    ASSERT_GE(probes.size(), 2u);
    for (std::size_t i = 1; i < probes.size(); ++i)
        EXPECT_NEAR(elapsedMs(probes[i - 1].at, probes[i].at), 1300, 350) << i;
    ASSERT_GT(rx.size(), probes.size());
    EXPECT_EQ(hex(rx[probes.size()].bytes), hex(kSyncRequest));
    EXPECT_EQ(host.titleHistory(), (std::vector<std::string>{kWaitingSync, kOnLine}));
}

TEST_F(LinkTest, UnplugWhileOnLineGoesOffLineAndReplugReconnects) {
    SimProcess device("adapter", {"--replug-delay", "1500"});
    useSimulators({&device});
    controller->requestStartupSearch();
    ASSERT_TRUE(runUntil([&] { return online(); }, 3s));

    device.signal(SIGUSR1);
    ASSERT_TRUE(runUntil([&] { return host.title() == kOffLine; }, 3s));
    EXPECT_EQ(g_bConnected.load(), 0);
    EXPECT_TRUE(loop.timerRunning(CConnectionController::kPortSearchTimerId));
    const auto failures = seen(WM_LINK_FAILED);
    ASSERT_FALSE(failures.empty());
    EXPECT_EQ(failures[0].message.lParam, 0);

    ASSERT_TRUE(runUntil([&] { return online(); }, 6s)) << host.title();
    EXPECT_FALSE(loop.timerRunning(CConnectionController::kPortSearchTimerId));
    EXPECT_EQ(host.titleHistory(),
              (std::vector<std::string>{kWaitingSync, kOnLine, kOffLine, kWaitingSync, kOnLine}));
    // After the replug the device is probed and synchronised again.
    const auto log = device.log();
    auto unplugged =
        std::find_if(log.begin(), log.end(), [](const SimLogLine& l) { return l.tag == "UNPLUG"; });
    ASSERT_NE(unplugged, log.end());
    std::vector<std::vector<std::uint8_t>> after;
    for (auto it = unplugged; it != log.end(); ++it)
        if (it->tag == "RX")
            after.push_back(it->bytes);
    ASSERT_GE(after.size(), 2u);
    EXPECT_EQ(hex(after[0]), hex(kProbe));
    EXPECT_EQ(hex(after[1]), hex(kSyncRequest));
}

// An adapter pulled half-way through a dump leaves nothing behind: the replugged port is
// probed, synchronised and on-line at once, with no failed probe on the way.
TEST_F(LinkTest, UnplugMidDumpReconnectsAtOnceFromCleanRecords) {
    SimProcess device("adapter", {"--stall", "cmd:AA/700/forever", "--replug-delay", "500"});
    useSimulators({&device});
    controller->requestStartupSearch();
    ASSERT_TRUE(runUntil([&] { return withCommand(device.received(), 0xAA).size() == 1; }, 3s));
    loop.runFor(300ms);
    device.signal(SIGUSR1);
    ASSERT_TRUE(runUntil([&] { return online(); }, 8s)) << host.title();

    const auto log = device.log();
    auto unplugged =
        std::find_if(log.begin(), log.end(), [](const SimLogLine& l) { return l.tag == "UNPLUG"; });
    auto plugged =
        std::find_if(unplugged, log.end(), [](const SimLogLine& l) { return l.tag == "PLUG"; });
    ASSERT_NE(plugged, log.end());
    const SeenMessage synced = seen(WM_LINK_SYNCED).back();
    EXPECT_LT(msBetween(plugged->at, synced.at), 1000ms);
    for (const SeenMessage& f : seen(WM_LINK_FAILED))
        EXPECT_TRUE(f.at < plugged->at) << "a failure " << msBetween(plugged->at, f.at).count()
                                        << " ms after the replug, NoRetry " << f.message.lParam;
}

// A repeat request is no failure: the same frame goes out again at once, however often
// the device asks, for a change found by the detector and for a queued command alike.
TEST_F(LinkTest, RepeatRequestRewritesAtOnceWithoutCountingARetry) {
    SimProcess device("dev", {"--repeat", "cmd:02x4/2", "--repeat", "cmd:35x4/3"});
    useSimulators({&device});
    controller->requestStartupSearch();
    ASSERT_TRUE(runUntil([&] { return online(); }, 3s));

    edit([](DeviceParams& p) { p.byteParam[5] = 77; });
    ASSERT_TRUE(runUntil([&] { return withCommand(device.received(), 0x02).size() >= 5; }, 4s));
    edit([](DeviceParams& p) { p.userMode = 1; });
    controller->SendCommand(0x35, 0);
    ASSERT_TRUE(runUntil([&] { return withCommand(device.received(), 0x35).size() >= 5; }, 4s));
    loop.runFor(300ms);

    struct Case {
        int command;
        std::vector<std::uint8_t> frame;
    };
    for (const Case& c : {Case{0x02, bytesOf({0xFF, 0x55, 0x04, 0x02, 0x05, 0x4D, 0x58})},
                          Case{0x35, bytesOf({0xFF, 0x55, 0x03, 0x35, 0x01, 0x39})}}) {
        const auto copies = withCommand(device.received(), c.command);
        ASSERT_EQ(copies.size(), 5u) << c.command;
        for (std::size_t i = 0; i < copies.size(); ++i) {
            EXPECT_EQ(hex(copies[i].bytes), hex(c.frame)) << c.command << " copy " << i;
            if (i > 0) {
                EXPECT_LT(msBetween(copies[i - 1].at, copies[i].at), 200ms)
                    << c.command << " copy " << i;
            }
        }
    }
    EXPECT_TRUE(seen(WM_LINK_FAILED).empty());
    EXPECT_TRUE(online());
    const DeviceParams state = device.state();
    EXPECT_EQ(state.byteParam[5], 77);
    EXPECT_EQ(state.userMode, 1);
}

TEST_F(LinkTest, UnansweredFrameIsWrittenThreeTimesThenTheLinkFails) {
    SimProcess device("dev", {"--silent-after", "2"});
    useSimulators({&device});
    controller->requestStartupSearch();
    ASSERT_TRUE(runUntil([&] { return online(); }, 3s));
    ASSERT_TRUE(runUntil([&] { return !seen(WM_LINK_FAILED).empty(); }, 6s));

    const SeenMessage failure = seen(WM_LINK_FAILED)[0];
    EXPECT_EQ(failure.message.lParam, 0);
    std::vector<SimLogLine> before;
    for (const SimLogLine& l : device.received())
        if (l.at < failure.at)
            before.push_back(l);
    ASSERT_EQ(before.size(), 5u); // probe, synchronisation, then one frame three times
    for (std::size_t i = 3; i < 5; ++i) {
        EXPECT_EQ(hex(before[i].bytes), hex(before[2].bytes));
        EXPECT_NEAR(elapsedMs(before[i - 1].at, before[i].at), 1000, 200) << i;
    }
    EXPECT_NEAR(elapsedMs(before[4].at, failure.at), 1000, 200);
    runUntil([&] { return host.title() == kOffLine; }, 500ms);
    EXPECT_EQ(host.title(), kOffLine);
    EXPECT_TRUE(controller->searchArmed() ||
                loop.timerRunning(CConnectionController::kPortSearchTimerId));
}

// After Connect, a device that stops answering while its port stays present (switched off
// behind its adapter) is still watched after the reopened port's probe goes unanswered.
TEST_F(LinkTest, LostLinkAfterConnectKeepsWatchingWhenTheReprobeFails) {
    SimProcess device("dev", {"--silent-after", "2"});
    useSimulators({&device});
    controller->onConnect();
    ASSERT_TRUE(runUntil([&] { return online(); }, 3s));
    auto failed = [&](LPARAM noRetry) {
        for (const SeenMessage& m : seen(WM_LINK_FAILED))
            if (m.message.lParam == noRetry)
                return true;
        return false;
    };
    ASSERT_TRUE(runUntil([&] { return failed(0); }, 6s));
    ASSERT_TRUE(runUntil([&] { return failed(1); }, 3s));
    const auto reprobeFailed = Clock::now();

    EXPECT_EQ(host.title(), kOffLine);
    EXPECT_TRUE(loop.timerRunning(CConnectionController::kPortSearchTimerId));
    ASSERT_TRUE(runUntil(
        [&] {
            for (const SimLogLine& l : device.received())
                if (l.at > reprobeFailed && l.bytes == kProbe)
                    return true;
            return false;
        },
        2s))
        << "the port was not probed again";
}

TEST_F(LinkTest, StalledReplyIsGivenUpAndTheFrameWrittenAgain) {
    // The first keep-alive's acknowledgement stops after FF 55 03.
    SimProcess device("dev", {"--stall", "3/3/forever"});
    useSimulators({&device});
    controller->requestStartupSearch();
    ASSERT_TRUE(runUntil([&] { return online(); }, 3s));
    ASSERT_TRUE(runUntil([&] { return device.received().size() >= 5; }, 6s));

    const auto rx = device.received();
    EXPECT_EQ(hex(rx[3].bytes), hex(rx[2].bytes));
    // A second without a reply byte, then one reply wait of 500 ms.
    EXPECT_NEAR(elapsedMs(rx[2].at, rx[3].at), 1600, 500);
    EXPECT_TRUE(seen(WM_LINK_FAILED).empty());
    EXPECT_TRUE(online());
}

TEST_F(LinkTest, CloseWhileAReplyIsBeingReadWaitsForThatHandlingOnly) {
    // The first keep-alive's acknowledgement pauses 700 ms after its second byte.
    SimProcess device("dev", {"--stall", "3/2/700"});
    useSimulators({&device});
    controller->requestStartupSearch();
    ASSERT_TRUE(runUntil([&] { return online(); }, 3s));
    ASSERT_TRUE(runUntil([&] { return device.received().size() >= 3; }, 3s));
    std::this_thread::sleep_for(150ms); // the port thread now waits for the third byte

    const auto before = Clock::now();
    controller->onDisconnect();
    EXPECT_LT(msBetween(before, Clock::now()), 1500ms);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(g_bConnected.load(), 0);
    EXPECT_EQ(host.title(), kOffLine);

    // Nothing of the closed session comes through afterwards, and no reconnect follows.
    loop.runFor(1500ms);
    EXPECT_EQ(host.title(), kOffLine);
    EXPECT_TRUE(seen(WM_LINK_FAILED).empty());
    EXPECT_FALSE(loop.timerRunning(CConnectionController::kPortSearchTimerId));
    const std::size_t frames = device.received().size();
    EXPECT_LE(frames, 4u);
}

// The window thread never waits on the device: with a 10 ms timer running, it queues a
// command and saves a mode file while a reply stalls mid-way and while the device loads a
// mode without finishing its answer. No tick is late by more than a few tens of ms; the
// command goes out in its turn once the link recovers, or is dropped with a lost link.
TEST_F(LinkTest, WindowThreadKeepsTicksWhileRepliesStall) {
    struct Case {
        const char* name;
        std::vector<std::string> simArgs;
        int modeLoad;        // device mode loaded first, -1 for none
        std::size_t stalled; // index among the frames received of the one whose reply stalls,
        int stalledCommand;  // or, when 0, the first frame with this command byte
        bool unplug;         // the adapter is pulled during the stall
    };
    const Case cases[] = {
        {"keep-alive reply stalls, then the device answers again",
         {"--stall", "6/2/forever"},
         -1,
         5,
         0x30,
         false},
        {"mode load stalls and the link is lost",
         {"--stall", "cmd:38/2/forever"},
         1,
         0,
         0x38,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        SimProcess device("dev", c.simArgs);
        useSimulators({&device});
        controller->requestStartupSearch();
        ASSERT_TRUE(runUntil([&] { return online(); }, 3s));
        if (c.modeLoad >= 0)
            controller->SendCommand(0x38, c.modeLoad);
        auto stalledAt = [&]() -> std::size_t {
            const auto rx = device.received();
            for (std::size_t i = 2; i < rx.size(); ++i)
                if ((c.stalled == 0 || i == c.stalled) && rx[i].bytes[3] == c.stalledCommand)
                    return i;
            return 0;
        };
        ASSERT_TRUE(runUntil([&] { return stalledAt() != 0; }, 3s));
        const std::size_t stalled = stalledAt();

        const auto folder = std::filesystem::temp_directory_path() /
                            ("zel-stall-modes-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        struct QuietUi : ModeUi {
            void message(const std::string&) override {}
            bool confirm(const std::string&) override { return true; }
        } ui;
        CModeLibrary library(ui, folder);

        std::vector<Clock::time_point> ticks;
        loop.setTimerHandler([&](int id) {
            if (id != 77)
                return controller->onTimer(id);
            ticks.push_back(Clock::now());
            if (ticks.size() == 5) {
                storeWrite(liveParams.userMode, 1);
                controller->SendCommand(0x35, 0);
            }
            if (ticks.size() == 10)
                library.saveMode("stalled");
            if (ticks.size() == 60 && c.unplug)
                device.signal(SIGUSR1);
        });
        loop.startTimer(77, 10ms);
        loop.runFor(1500ms);
        if (!c.unplug)
            runUntil([&] { return withCommand(device.received(), 0x35).size() == 1; }, 3s);
        else
            runUntil([&] { return !seen(WM_LINK_FAILED).empty(); }, 3s);
        loop.runFor(100ms);
        loop.stopTimer(77);
        loop.setTimerHandler([&](int id) { controller->onTimer(id); });

        double longest = 0;
        for (std::size_t i = 1; i < ticks.size(); ++i)
            longest = std::max(longest, elapsedMs(ticks[i - 1], ticks[i]));
        RecordProperty(c.unplug ? "longestTickGapModeLoadMs" : "longestTickGapStallMs",
                       static_cast<int>(longest));
        EXPECT_LT(longest, 50.0);
        EXPECT_EQ(std::filesystem::file_size(folder / "stalled.dat"), 1427u);
        std::filesystem::remove_all(folder);

        const auto rx = device.received();
        if (c.unplug) {
            EXPECT_FALSE(seen(WM_LINK_FAILED).empty());
            EXPECT_TRUE(withCommand(rx, 0x35).empty()) << "the command outlived the link";
        } else {
            // The stalled frame again (written anew after the stall), then the command.
            ASSERT_GE(rx.size(), stalled + 3);
            EXPECT_EQ(hex(rx[stalled + 1].bytes), hex(rx[stalled].bytes));
            EXPECT_EQ(hex(rx[stalled + 2].bytes),
                      hex(bytesOf({0xFF, 0x55, 0x03, 0x35, 0x01, 0x39})));
            EXPECT_TRUE(seen(WM_LINK_FAILED).empty());
        }
        controller->onDisconnect();
        controller.reset();
    }
}

// Random edits in both scene banks, made faster than the link sends them: once the link
// is idle the device holds exactly what the PC's store holds.
TEST_F(LinkTest, EditBurstLeavesTheDeviceWithThePcStore) {
    SimProcess device("dev", {});
    useSimulators({&device});
    controller->requestStartupSearch();
    ASSERT_TRUE(runUntil([&] { return online(); }, 3s));

    RandomEdits edits(20240611);
    auto singingEdit = [&](DeviceParams& p) { edits.singing(p); };
    auto danceEdit = [&](DeviceParams& p) { edits.dance(p); };
    auto waitIdle = [&] {
        ASSERT_TRUE(runUntil([&] { return idle(); }, 15s)) << [&] {
            std::lock_guard guard(g_frameLock);
            std::string diff = "store bytes not sent:";
            for (std::size_t i = 0; i < sizeof liveParams; ++i)
                if (reinterpret_cast<const std::uint8_t*>(&liveParams)[i] !=
                    reinterpret_cast<const std::uint8_t*>(&sentParams)[i])
                    diff.append(1, ' ').append(std::to_string(i));
            return diff;
        }();
        // Two keep-alives after that: everything before them has been answered.
        const auto since = Clock::now();
        ASSERT_TRUE(runUntil(
            [&] {
                int n = 0;
                for (const SimLogLine& l : device.received())
                    n += l.at > since && l.bytes == kProbe;
                return n >= 2;
            },
            3s));
        std::lock_guard guard(g_frameLock);
        ASSERT_EQ(std::memcmp(&liveParams, &sentParams, sizeof liveParams), 0);
    };

    for (int burst = 0; burst < 6; ++burst) {
        for (int i = 0; i < 15; ++i)
            edit(singingEdit);
        loop.runFor(std::chrono::milliseconds(edits.pick(120)));
    }
    waitIdle();
    edit([](DeviceParams& p) { p.scene = 2; });
    waitIdle();
    for (int burst = 0; burst < 4; ++burst) {
        for (int i = 0; i < 10; ++i)
            edit(danceEdit);
        loop.runFor(std::chrono::milliseconds(edits.pick(120)));
    }
    waitIdle();

    const DeviceParams state = device.state();
    DeviceParams pc{};
    {
        std::lock_guard guard(g_frameLock);
        pc = liveParams;
    }
    for (std::size_t i = 0; i < sizeof pc; ++i)
        ASSERT_EQ(reinterpret_cast<const std::uint8_t*>(&state)[i],
                  reinterpret_cast<const std::uint8_t*>(&pc)[i])
            << "store byte " << i;
    EXPECT_TRUE(seen(WM_LINK_FAILED).empty());
}

} // namespace
} // namespace zel::test
