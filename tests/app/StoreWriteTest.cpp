// The window thread's write path against the real port thread: edits of every kind made
// through it while the link sends, under the race detector when built with it.
#include "LinkFixture.h"

#include "eq/CurveModels.h"
#include "eq/SceneCopy.h"
#include "model/Defaults.h"
#include "model/StoreWrite.h"

#include <atomic>
#include <cstring>
#include <random>
#include <thread>

namespace zel::test {
namespace {

using StoreWriteTest = LinkFixture;

// One thread edits the live store as the pages, the graph and the scene buttons do - single
// fields, 16-bit values, EQ drags through the curve models' filters, scene-bank copies, EQ
// resets and scene changes - while the port thread sends the differences to the simulator.
// The device ends with exactly the PC's store, and a 16-bit value flipped between 255 and
// 256 never reached it half old and half new.
TEST_F(StoreWriteTest, EditsThroughTheWritePathReachTheDeviceWhole) {
    installCurveModels();
    initDefaults();
    sentParams = liveParams;
    SimProcess device("dev", {});
    useSimulators({&device});
    controller->requestStartupSearch();
    ASSERT_TRUE(runUntil([&] { return online(); }, 3s));

    constexpr int kCanaryBand = 40; // microphone B: one bank, so no scene frame interferes
    std::atomic<bool> done{false};
    std::atomic<int> edits{0};
    std::thread window([&] {
        std::mt19937 rng(20261210);
        auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
        std::uint16_t canary = 255;
        const auto end = Clock::now() + 1500ms;
        while (Clock::now() < end) {
            switch (pick(8)) {
            case 0:
            case 1:
                canary = canary == 255 ? 256 : 255;
                storeWrite(liveParams.eqBand[kCanaryBand].freq, canary);
                break;
            case 2: {
                CFilter* f = curveModel(1).filterAt(pick(curveModel(1).bandCount()));
                f->setFreqIndex(pick(362));
                f->setGainIndex(pick(361));
                break;
            }
            case 3:
                curveModel(9).lowPass()->setXoverFreqIndex(298 + pick(65));
                break;
            case 4:
                setMasterVolume(liveParams, pick(3), static_cast<std::uint8_t>(pick(85)));
                storeWrite(liveParams.timeParam[pick(14)], static_cast<std::uint16_t>(pick(251)));
                break;
            case 5:
                storeWrite(liveParams.byteParam[pick(34)], static_cast<std::uint8_t>(pick(91)));
                break;
            case 6:
                storeWrite(liveParams.scene, static_cast<std::uint8_t>(1 + pick(2)));
                resetEq(pick(kEqBlockCount));
                break;
            default:
                if (pick(2) != 0)
                    copySingingToDance();
                else
                    copyDanceToSinging();
                break;
            }
            ++edits;
            std::this_thread::sleep_for(std::chrono::microseconds(200 + pick(2000)));
        }
        done = true;
    });
    runUntil([&] { return done.load(); }, 5s);
    window.join();
    ASSERT_GT(edits.load(), 200);

    ASSERT_TRUE(runUntil([&] { return idle(); }, 15s));
    const DeviceParams state = device.state();
    {
        std::lock_guard guard(g_frameLock);
        for (std::size_t i = 0; i < sizeof state; ++i)
            ASSERT_EQ(reinterpret_cast<const std::uint8_t*>(&state)[i],
                      reinterpret_cast<const std::uint8_t*>(&liveParams)[i])
                << "store byte " << i;
    }
    int canaryFrames = 0;
    for (const SimLogLine& l : device.received()) {
        if (l.bytes.size() < 7 || l.bytes[3] != 0x03 || l.bytes[4] != kCanaryBand)
            continue;
        ++canaryFrames;
        const int freq = l.bytes[5] | (l.bytes[6] << 8);
        EXPECT_TRUE(freq == 255 || freq == 256) << "torn value " << freq << " sent";
    }
    EXPECT_GE(canaryFrames, 1);
    EXPECT_TRUE(seen(WM_LINK_FAILED).empty());
}

} // namespace
} // namespace zel::test
