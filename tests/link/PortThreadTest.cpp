// The port thread over a real pseudo-terminal with a scripted device: keep-alive cadence,
// repeat requests, reply timeouts and stalls, the probe, the synchronisation dump and a
// hang-up, with the real timings.
#include "LinkTestSupport.h"
#include "PtyPeer.h"

#include "link/DumpFrame.h"
#include "link/SerialPort.h"
#include "model/StoreWrite.h"

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <mutex>
#include <numeric>
#include <optional>
#include <thread>
#include <utility>

namespace zel::test {
namespace {

using namespace std::chrono_literals;
using Ms = std::chrono::milliseconds;

const Bytes kKeepAlive = hex("FF 55 03 30 00 33");

class RecordingSink : public LinkStatusSink {
public:
    void showLinkState(int state, int online) override {
        std::lock_guard lock(m_lock);
        m_states.emplace_back(state, online);
    }
    void showCommError(const std::string& text) override {
        std::lock_guard lock(m_lock);
        m_errors.push_back(text);
    }
    std::vector<std::pair<int, int>> states() const {
        std::lock_guard lock(m_lock);
        return m_states;
    }
    std::vector<std::string> errors() const {
        std::lock_guard lock(m_lock);
        return m_errors;
    }

private:
    mutable std::mutex m_lock;
    std::vector<std::pair<int, int>> m_states;
    std::vector<std::string> m_errors;
};

Ms between(PtyPeer::Clock::time_point a, PtyPeer::Clock::time_point b) {
    return std::chrono::duration_cast<Ms>(b - a);
}

// Acknowledges every frame with status 0.
Bytes ackAll(const Bytes& frame, int) {
    return ack(frame[3], 0);
}

class PortThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::lock_guard frames(g_frameLock);
        TxRecord.clear();
        TxRecord[0] = 0xFF;
        TxRecord[1] = 0x55;
        RxRecord.clear();
        fillDefaults(liveParams);
        sentParams = liveParams;
        g_bConnected = 1;
        command.setMainWindow(&window);
        port.setStatusSink(&sink);
    }
    void TearDown() override {
        port.Close();
        peer.stop();
        g_bConnected = 0;
    }

    void startLink(PtyPeer::Script script) {
        ASSERT_FALSE(peer.path().empty()) << "no pseudo-terminal available";
        peer.start(std::move(script));
        ASSERT_TRUE(port.Open(&window, peer.path(), kLinkBaud, kLinkParity, kLinkDataBits,
                              kLinkStopBits, kLinkEventMask, kLinkWriteBufferSize));
        ASSERT_TRUE(port.Start());
        started = PtyPeer::Clock::now();
    }

    // The next posted message with this id, skipping others; nullopt on timeout.
    std::optional<Message> waitFor(MessageId id, Ms timeout) {
        const auto deadline = PtyPeer::Clock::now() + timeout;
        while (PtyPeer::Clock::now() < deadline) {
            const auto left = std::chrono::duration_cast<Ms>(deadline - PtyPeer::Clock::now());
            if (auto m = window.take(left); m && m->id == id)
                return m;
        }
        return std::nullopt;
    }

    std::vector<Bytes> framesSoFar() const {
        std::vector<Bytes> out;
        for (const auto& a : peer.arrivals())
            out.push_back(a.frame);
        return out;
    }

    CCommand command; // before the port: Close empties its queue
    QueuedMessageTarget window;
    RecordingSink sink;
    PtyPeer peer;
    CSerialPort port;
    PtyPeer::Clock::time_point started;
};

TEST_F(PortThreadTest, IdleLinkSendsKeepAliveAboutEvery350ms) {
    startLink(&ackAll);
    ASSERT_TRUE(peer.waitForFrames(6, 4s));
    const auto arrivals = peer.arrivals();
    std::vector<double> periods;
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(toHex(arrivals[i].frame), toHex(kKeepAlive)) << "frame " << i;
        if (i > 0)
            periods.push_back(double(between(arrivals[i - 1].at, arrivals[i].at).count()));
    }
    const double mean =
        std::accumulate(periods.begin(), periods.end(), 0.0) / double(periods.size());
    std::cout << "keep-alive period: mean " << mean << " ms\n";
    RecordProperty("keepAlivePeriodMs", static_cast<int>(mean));
    // 300 ms keep-alive pause + 50 ms after a change-detector frame + 5 ms after the reply.
    EXPECT_GE(mean, 345.0);
    EXPECT_LE(mean, 420.0);
    EXPECT_FALSE(waitFor(WM_LINK_FAILED, 0ms));
}

// An edit made while the link idles goes out at once, in place of the keep-alive that was
// due, whenever in the pause it is made - yet never sooner than 50 ms after the last reply.
TEST_F(PortThreadTest, EditOnAnIdleLinkGoesOutAtOnceInsteadOfTheKeepAlive) {
    startLink(&ackAll);
    ASSERT_TRUE(peer.waitForFrames(1, 2s));
    int edits = 0;
    for (const Ms sinceKeepAlive : {Ms(10), Ms(150), Ms(330)}) {
        SCOPED_TRACE(sinceKeepAlive.count());
        // Line up on a fresh keep-alive, then edit that long after it.
        const std::size_t seen = peer.arrivals().size();
        ASSERT_TRUE(peer.waitForFrames(seen + 1, 2s));
        const auto keepAlive = peer.arrivals().back();
        ASSERT_EQ(toHex(keepAlive.frame), toHex(kKeepAlive));
        std::this_thread::sleep_until(keepAlive.at + sinceKeepAlive);
        const auto edited = PtyPeer::Clock::now();
        const auto value = static_cast<std::uint8_t>(0x30 + ++edits);
        storeWrite(liveParams.byteParam[0], value);

        ASSERT_TRUE(peer.waitForFrames(seen + 2, 2s));
        const auto next = peer.arrivals()[seen + 1];
        Bytes frame = hex("FF 55 04 02 00");
        frame.push_back(value);
        frame.push_back(static_cast<std::uint8_t>(0x06 + value)); // checksum
        EXPECT_EQ(toHex(next.frame), toHex(frame));
        EXPECT_LT(between(edited, next.at), 70ms);
        EXPECT_GE(between(keepAlive.at, next.at), 50ms);
    }
}

// A device that asks for a frame again gets that very frame, however it was produced, and a
// repeat never counts towards the retry limits.
struct RepeatCase {
    const char* name;
    std::function<void(CCommand&)> prepare; // runs before the thread starts
    Bytes repeated;                         // the frame the device asks for three times
    Bytes next;                             // what follows once it is accepted
};

void PrintTo(const RepeatCase& c, std::ostream* os) {
    *os << c.name;
}

class RepeatRequestTest : public PortThreadTest,
                          public ::testing::WithParamInterface<RepeatCase> {};

TEST_P(RepeatRequestTest, SameFrameIsWrittenAgainAtOnce) {
    const RepeatCase& c = GetParam();
    {
        std::lock_guard frames(g_frameLock);
        c.prepare(command);
    }
    startLink([](const Bytes& frame, int index) { return ack(frame[3], index < 3 ? 2 : 0); });
    ASSERT_TRUE(peer.waitForFrames(5, 2s));
    const auto arrivals = peer.arrivals();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(toHex(arrivals[std::size_t(i)].frame), toHex(c.repeated)) << "write " << i;
    EXPECT_EQ(toHex(arrivals[4].frame), toHex(c.next));
    // "At once": no reply wait in between.
    EXPECT_LT(between(arrivals[0].at, arrivals[3].at), 200ms);
    EXPECT_FALSE(waitFor(WM_LINK_FAILED, 0ms));
}

INSTANTIATE_TEST_SUITE_P(Sources, RepeatRequestTest,
                         ::testing::Values(
                             // The change detector has already counted the field as sent: losing
                             // this frame would lose the edit for good.
                             RepeatCase{"ChangeDetectorFrameQueueEmpty",
                                        [](CCommand&) {
                                            sentParams.byteParam[0] = 0x20;
                                            liveParams.byteParam[0] = 0x21;
                                        },
                                        hex("FF 55 04 02 00 21 27"), kKeepAlive},
                             RepeatCase{"LastQueuedFrame",
                                        [](CCommand& c) {
                                            liveParams.keyLockOff = sentParams.keyLockOff = 1;
                                            c.queueCommand(cmd::KeyLockOff, 0);
                                        },
                                        hex("FF 55 03 33 01 37"), kKeepAlive},
                             RepeatCase{"QueuedFrameWithMoreBehind",
                                        [](CCommand& c) {
                                            liveParams.keyLockOff = sentParams.keyLockOff = 1;
                                            liveParams.userMode = sentParams.userMode = 1;
                                            c.queueCommand(cmd::KeyLockOff, 0);
                                            c.queueCommand(cmd::UserMode, 0);
                                        },
                                        hex("FF 55 03 33 01 37"), hex("FF 55 03 35 01 39")}),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(PortThreadTest, UnansweredFrameIsWrittenThreeTimesThenTheLinkFails) {
    startLink([](const Bytes&, int) { return Bytes{}; });
    const auto failed = waitFor(WM_LINK_FAILED, 5s);
    const auto failedAt = PtyPeer::Clock::now();
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->wParam, 1u);
    EXPECT_EQ(failed->lParam, 0);
    port.Close();
    const auto arrivals = peer.arrivals();
    ASSERT_EQ(arrivals.size(), 3u);
    for (const auto& a : arrivals)
        EXPECT_EQ(toHex(a.frame), toHex(kKeepAlive));
    for (std::size_t i = 1; i < 3; ++i) {
        EXPECT_GE(between(arrivals[i - 1].at, arrivals[i].at), 950ms);
        EXPECT_LE(between(arrivals[i - 1].at, arrivals[i].at), 1200ms);
    }
    EXPECT_GE(between(arrivals[2].at, failedAt), 950ms);
}

TEST_F(PortThreadTest, UnansweredProbeFailsAfterOneWaitWithoutRewrite) {
    command.queueSync(0);
    startLink([](const Bytes&, int) { return Bytes{}; });
    const auto failed = waitFor(WM_LINK_FAILED, 3s);
    const auto failedAt = PtyPeer::Clock::now();
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->lParam, 1);
    port.Close();
    const auto arrivals = peer.arrivals();
    ASSERT_EQ(arrivals.size(), 1u);
    EXPECT_EQ(toHex(arrivals[0].frame), "FF 55 03 30 00 33");
    const Ms wait = between(arrivals[0].at, failedAt);
    std::cout << "probe reply wait: " << wait.count() << " ms\n";
    EXPECT_GE(wait, 950ms);
    EXPECT_LE(wait, 1200ms);
}

TEST_F(PortThreadTest, StalledReplyIsLeftToTheReplyWaitWhichWritesTheSameFrame) {
    {
        std::lock_guard frames(g_frameLock);
        liveParams.byteParam[0] = static_cast<std::uint8_t>(sentParams.byteParam[0] + 1);
    }
    // The first reply breaks off after its header; the device answers the rewrite.
    startLink([](const Bytes& frame, int index) {
        return index == 0 ? hex("FF 55 03") : ack(frame[3], 0);
    });
    ASSERT_TRUE(peer.waitForFrames(3, 4s));
    const auto arrivals = peer.arrivals();
    EXPECT_EQ(arrivals[0].frame[3], cmd::ByteParam);
    EXPECT_EQ(toHex(arrivals[1].frame), toHex(arrivals[0].frame));
    EXPECT_EQ(toHex(arrivals[2].frame), toHex(kKeepAlive));
    // A second without a reply byte, then the 500 ms wait for a reply already begun.
    const Ms gap = between(arrivals[0].at, arrivals[1].at);
    std::cout << "stall to rewrite: " << gap.count() << " ms\n";
    EXPECT_GE(gap, 1400ms);
    EXPECT_LE(gap, 2300ms);
    EXPECT_FALSE(waitFor(WM_LINK_FAILED, 0ms));
}

// A frame written twice may be answered twice. When the second answer comes only after the
// next frame went out, it is no answer to that frame: an edit the device never got would
// count as delivered.
TEST_F(PortThreadTest, ASecondAnswerToAnEarlierFrameIsNotTakenForTheNextFrame) {
    const Bytes edit = hex("FF 55 04 02 00 21 27");
    {
        std::lock_guard frames(g_frameLock);
        liveParams.keyLockOff = sentParams.keyLockOff = 1;
        command.queueCommand(cmd::KeyLockOff, 0);
        sentParams.byteParam[0] = 0x20;
        liveParams.byteParam[0] = 0x21;
    }
    startLink([](const Bytes& frame, int index) {
        switch (index) {
        case 0:
            return Bytes{}; // answered late: the frame goes out again
        case 1:
        case 2:
            return ack(cmd::KeyLockOff, 0); // both copies answered; the edit itself is lost
        default:
            return ack(frame[3], 0);
        }
    });
    ASSERT_TRUE(peer.waitForFrames(5, 6s));
    const auto arrivals = peer.arrivals();
    EXPECT_EQ(toHex(arrivals[1].frame), toHex(arrivals[0].frame));
    EXPECT_EQ(toHex(arrivals[2].frame), toHex(edit));
    EXPECT_EQ(toHex(arrivals[3].frame), toHex(edit)) << "the edit is written again";
    EXPECT_EQ(toHex(arrivals[4].frame), toHex(kKeepAlive));
    EXPECT_FALSE(waitFor(WM_LINK_FAILED, 0ms));
}

TEST_F(PortThreadTest, SynchronisationResentAfterATimeoutStillLoadsTheDump) {
    DeviceParams device;
    fillDefaults(device);
    device.scene = 2;
    device.byteParam[3] = static_cast<std::uint8_t>(device.byteParam[3] + 7);
    static Bytes dump(kDumpPayloadEnd);
    ASSERT_EQ(buildDumpFrame(device, dump.data(), dump.size()), kDumpPayloadEnd);

    command.queueSync(0);
    int syncRequests = 0;
    startLink([&syncRequests](const Bytes& frame, int) {
        if (frame[3] != cmd::Sync)
            return ack(frame[3], 0);
        return ++syncRequests == 1 ? Bytes{} : dump; // the first request goes unanswered
    });
    ASSERT_TRUE(waitFor(WM_LINK_SYNCED, 3s));
    {
        std::lock_guard frames(g_frameLock);
        EXPECT_EQ(liveParams.scene, 2);
        EXPECT_EQ(liveParams.byteParam[3], device.byteParam[3]);
        EXPECT_EQ(std::memcmp(&liveParams, &sentParams, sizeof liveParams), 0);
    }
    const auto arrivals = peer.arrivals();
    ASSERT_GE(arrivals.size(), 3u);
    EXPECT_EQ(toHex(arrivals[1].frame), "FF 55 03 AA BB 68");
    EXPECT_EQ(toHex(arrivals[2].frame), "FF 55 03 AA BB 68");
    // "Waiting for synchronization data" from the dump's first byte, once.
    EXPECT_EQ(sink.states(), (std::vector<std::pair<int, int>>{{1, 1}}));
    EXPECT_TRUE(sink.errors().empty());
}

TEST_F(PortThreadTest, HangUpIsReportedAtOnce) {
    startLink(&ackAll);
    ASSERT_TRUE(peer.waitForFrames(2, 2s));
    const auto hungUp = PtyPeer::Clock::now();
    peer.hangUp();
    const auto failed = waitFor(WM_LINK_FAILED, 2s);
    ASSERT_TRUE(failed);
    const Ms delay = between(hungUp, PtyPeer::Clock::now());
    std::cout << "hang-up reported after " << delay.count() << " ms\n";
    EXPECT_EQ(failed->lParam, 0);
    // At most the keep-alive pause in progress, never a reply wait or a stall.
    EXPECT_LE(delay, 500ms);
    const auto closing = PtyPeer::Clock::now();
    port.Close();
    EXPECT_LE(between(closing, PtyPeer::Clock::now()), 100ms);
}

TEST_F(PortThreadTest, PortHeldByTheLinkCannotBeOpenedAgain) {
    startLink(&ackAll);
    CSerialPort second;
    EXPECT_FALSE(second.Open(&window, peer.path(), kLinkBaud, kLinkParity, kLinkDataBits,
                             kLinkStopBits, kLinkEventMask, kLinkWriteBufferSize));
    port.Close();
    EXPECT_TRUE(second.Open(&window, peer.path(), kLinkBaud, kLinkParity, kLinkDataBits,
                            kLinkStopBits, kLinkEventMask, kLinkWriteBufferSize));
    second.Close();
}

} // namespace
} // namespace zel::test
