// The change detector: which frame the first difference makes, the walk order, and the
// keep-alive when the device is in step.
#include "LinkTestSupport.h"

#include "link/DumpFrame.h"
#include "model/FieldTable.h"
#include "model/StoreWrite.h"

#include <atomic>
#include <functional>
#include <thread>

namespace zel::test {
namespace {

class ChangeDetectorTest : public LinkTest {
protected:
    // Runs the detector until it idles; returns the frames it built, keep-alive excluded.
    std::vector<std::string> runUntilIdle() {
        std::vector<std::string> frames;
        for (int guard = 0; guard < 500; ++guard) {
            s_sleeps.clear();
            EXPECT_EQ(command.nextChange(), 1);
            if (!s_sleeps.empty())
                return frames;
            frames.push_back(toHex(frameOf(TxRecord)));
        }
        ADD_FAILURE() << "the detector never ran out of differences";
        return frames;
    }
};

TEST_F(ChangeDetectorTest, NothingDifferentBuildsTheKeepAliveAndPauses) {
    TxRecord[mark::UploadMark] = 1; // left over from an earlier frame
    EXPECT_EQ(command.nextChange(), 1);
    EXPECT_EQ(toHex(frameOf(TxRecord)), "FF 55 03 30 00 33");
    EXPECT_EQ(TxRecord[mark::ChecksumCopy], 0x33);
    EXPECT_EQ(TxRecord[mark::UploadMark], 0) << "a keep-alive carries no marks";
    ASSERT_EQ(s_sleeps.size(), 1u);
    EXPECT_EQ(s_sleeps[0], std::chrono::milliseconds(300));
}

TEST_F(ChangeDetectorTest, MasterVolumeGoesOutTwiceFirstForTheMuteThenForTheLevel) {
    setMasterVolume(liveParams, 1, 12); // 0 -> 12, mute 1 -> 0
    EXPECT_EQ(command.nextChange(), 1);
    EXPECT_EQ(toHex(frameOf(TxRecord)), "FF 55 04 01 01 0C 12");
    EXPECT_EQ(sentParams.masterMute[1], 0);
    EXPECT_EQ(sentParams.masterVolume[1], 0) << "only the mute flag is recorded first";
    EXPECT_TRUE(s_sleeps.empty());

    EXPECT_EQ(command.nextChange(), 1);
    EXPECT_EQ(toHex(frameOf(TxRecord)), "FF 55 04 01 01 0C 12");
    EXPECT_EQ(sentParams.masterVolume[1], 12);
    EXPECT_TRUE(runUntilIdle().empty());
}

struct SingleChange {
    const char* name;
    std::function<void(DeviceParams&)> edit;
    const char* frame;      // nullptr: never sent by the detector
    std::uint8_t scene = 1; // the scene the PC and the device are both in
};

TEST_F(ChangeDetectorTest, OneEditMakesOneFrameAndBringsSentParamsInStep) {
    const SingleChange cases[] = {
        {"EQ band gain sends the whole band", [](DeviceParams& p) { p.eqBand[5].gain = 0x0102; },
         "FF 55 09 03 05 BF 00 02 01 0A 00 DD"},
        {"Dance filter 3 travels as filter 15",
         [](DeviceParams& p) { p.dance.filter[3].slope = 2; }, "FF 55 07 04 0F 8F 00 02 00 AB", 2},
        {"Dance byte 15 travels as index 25", [](DeviceParams& p) { p.dance.byteParam[15] = 7; },
         "FF 55 04 02 19 07 26", 2},
        {"Dance band 12 travels as band 72", [](DeviceParams& p) { p.dance.eqBand[12].type = 1; },
         "FF 55 09 03 48 9B 00 F0 00 0A 01 EA", 2},
        {"either music input field sends both", [](DeviceParams& p) { p.musicInputGain = 1; },
         "FF 55 04 31 00 01 36"},
        {"scene alone", [](DeviceParams& p) { p.scene = 2; }, "FF 55 03 3A 02 3F"},
        {"the noise gate's spare byte is not compared",
         [](DeviceParams& p) { p.noiseGate[1].spare = 9; }, nullptr},
        {"passwords go only through their commands",
         [](DeviceParams& p) { p.keyLockPassword[0] = 9; }, nullptr},
        {"solo flags are never sent", [](DeviceParams& p) { p.outputSolo[2] = 1; }, nullptr},
    };
    for (const auto& c : cases) {
        fillDefaults(liveParams);
        liveParams.scene = c.scene;
        sentParams = liveParams;
        c.edit(liveParams);
        const auto frames = runUntilIdle();
        if (c.frame == nullptr) {
            EXPECT_TRUE(frames.empty()) << c.name;
            continue;
        }
        ASSERT_EQ(frames.size(), 1u) << c.name;
        EXPECT_EQ(frames[0], toHex(hex(c.frame))) << c.name;
        EXPECT_EQ(std::memcmp(&liveParams, &sentParams, sizeof liveParams), 0) << c.name;
    }
}

TEST_F(ChangeDetectorTest, ARunOfEditsLeavesInWalkOrderEachOnceWithItsLatestValue) {
    // The PC and the device in the Dance scene; edits made in an order unrelated to the walk,
    // several edited twice before their turn.
    liveParams.scene = 2;
    sentParams.scene = 2;
    liveParams.volumeLimit[5] = 60;
    liveParams.phase[3] = 1;
    liveParams.eqBypass[14] = 1;
    liveParams.timeParam[2] = 500;
    liveParams.timeParam[2] = 0x0102;
    liveParams.dance.filter[0].freq = 20;
    liveParams.filter[14].userQ = 4;
    liveParams.eqBand[100].q = 40;
    liveParams.eqBand[100].q = 41;
    liveParams.dance.byteParam[0] = 3;
    liveParams.byteParam[33] = 5;
    liveParams.masterMute[2] = 0; // an unmute with the level at 0
    liveParams.volumeLimit[5] = 61;

    const std::vector<std::string> walkOrder = {
        "FF 55 04 01 02 00 07",                // masterMute[2]
        "FF 55 04 02 21 05 2C",                // byteParam[33]
        "FF 55 04 02 0A 03 13",                // dance.byteParam[0] as index 10
        "FF 55 09 03 64 07 01 F0 00 29 00 91", // eqBand[100], its latest q
        "FF 55 07 04 0E 2A 01 00 04 48",       // filter[14]
        "FF 55 07 04 00 14 00 00 00 1F",       // dance.filter[0] after every Singing filter
        "FF 55 05 05 02 02 01 0F",             // timeParam[2], its latest value
        "FF 55 04 09 0E 01 1C",                // eqBypass[14]
        "FF 55 04 0B 03 01 13",                // phase[3]
        "FF 55 04 36 05 3D 7C",                // volumeLimit[5], its latest value
    };
    EXPECT_EQ(runUntilIdle(), walkOrder);
    EXPECT_EQ(std::memcmp(&liveParams, &sentParams, sizeof liveParams), 0);
}

// A scene-dependent frame lands in the bank of the last scene frame the device received, so
// a field of the other bank goes out behind a scene frame that selects its bank, and the
// scene the PC shows follows once everything else is in step.
TEST_F(ChangeDetectorTest, AFieldOfTheOtherBankIsSentWithTheDeviceInThatBank) {
    struct Case {
        const char* name;
        std::uint8_t liveScene, deviceScene;
        std::function<void(DeviceParams&)> edit;
        std::vector<std::string> frames;
    };
    const Case cases[] = {
        {"Dance edit while singing (a scene copy)",
         1,
         1,
         [](DeviceParams& p) { p.dance.filter[3].slope = 2; },
         {"FF 55 03 3A 02 3F", "FF 55 07 04 0F 8F 00 02 00 AB", "FF 55 03 3A 01 3E"}},
        {"Dance edit made before the new scene went out",
         2,
         1,
         [](DeviceParams& p) { p.dance.byteParam[15] = 7; },
         {"FF 55 03 3A 02 3F", "FF 55 04 02 19 07 26"}},
        {"Singing edit made before the switch to Dance went out",
         2,
         1,
         [](DeviceParams& p) { p.byteParam[10] = 5; },
         {"FF 55 04 02 0A 05 15", "FF 55 03 3A 02 3F"}},
        {"Singing edit in Auto",
         0,
         0,
         [](DeviceParams& p) { p.eqBand[0].type = 1; },
         {"FF 55 03 3A 01 3E", "FF 55 09 03 00 0B 00 F0 00 0A 01 12", "FF 55 03 3A 00 3D"}},
        {"a field of no scene needs no switch",
         0,
         0,
         [](DeviceParams& p) { p.byteParam[9] = 4; },
         {"FF 55 04 02 09 04 13"}},
    };
    for (const Case& c : cases) {
        fillDefaults(liveParams);
        sentParams = liveParams;
        liveParams.scene = c.liveScene;
        sentParams.scene = c.deviceScene;
        c.edit(liveParams);
        EXPECT_EQ(runUntilIdle(), c.frames) << c.name;
        EXPECT_EQ(std::memcmp(&liveParams, &sentParams, sizeof liveParams), 0) << c.name;
    }
}

// Every field of either bank, edited while the device is in the other bank, goes out behind
// a switch to its own bank, with the command and index the field table gives it; its twin in
// the other bank travels with the same command and index.
TEST_F(ChangeDetectorTest, EveryBankedFieldGoesOutWithItsCommandIndexAndBank) {
    int checked = 0;
    for (const Field& f : allFields()) {
        if (f.bank == Bank::Shared)
            continue;
        SCOPED_TRACE(f.name);
        const int bank = f.bank == Bank::Dance ? 2 : 1;
        fillDefaults(liveParams);
        liveParams.scene = static_cast<std::uint8_t>(3 - bank);
        sentParams = liveParams;
        const unsigned old = readField(liveParams, f);
        writeField(liveParams, f, old < f.max ? old + 1 : f.min);

        ASSERT_EQ(command.nextChange(), 1);
        const std::uint8_t scene = static_cast<std::uint8_t>(bank);
        EXPECT_EQ(toHex(frameOf(TxRecord)), toHex({0xFF, 0x55, 0x03, 0x3A, scene,
                                                   static_cast<std::uint8_t>(0x3A + 3 + bank)}));
        ASSERT_EQ(command.nextChange(), 1);
        EXPECT_EQ(TxRecord[3], f.command);
        EXPECT_EQ(TxRecord[4], f.deviceIndex);
        EXPECT_EQ(readField(sentParams, f), readField(liveParams, f));
        EXPECT_TRUE(s_sleeps.empty());

        const Field& twin = f.bank == Bank::Singing ? sceneField(f, 2) : f;
        EXPECT_EQ(twin.bank, Bank::Dance);
        EXPECT_EQ(twin.command, f.command);
        EXPECT_EQ(twin.deviceIndex, f.deviceIndex);
        EXPECT_EQ(&sceneField(f, 1), &f);
        ++checked;
    }
    EXPECT_EQ(checked, 2 * (16 + 33 * 4 + 4 * 3 + 16 + 5));
}

TEST_F(ChangeDetectorTest, SceneWaitsUntilEverythingElseIsInStep) {
    liveParams.scene = 0;
    liveParams.byteParam[0] = 1;
    EXPECT_EQ(command.nextChange(), 1);
    EXPECT_EQ(TxRecord[3], 0x02);
    liveParams.phase[27] = 1; // a new edit arrives before the scene's turn
    EXPECT_EQ(command.nextChange(), 1);
    EXPECT_EQ(TxRecord[3], 0x0B);
    EXPECT_EQ(command.nextChange(), 1);
    EXPECT_EQ(toHex(frameOf(TxRecord)), "FF 55 03 3A 00 3D");
}

// An upload carries the live value of every field but the master levels. A field edited
// during the upload back to what was sent before it must still go out: the device now holds
// the uploaded value.
TEST_F(ChangeDetectorTest, AnUploadCountsAsSentWhatItCarries) {
    liveParams.fbeMode[1] = sentParams.fbeMode[1] = 3;
    liveParams.fbeMode[1] = 1;          // pending when the upload is queued
    setMasterVolume(liveParams, 2, 40); // no upload sends it
    liveParams.scene = 2;
    command.queueUploadAll();
    const std::vector<FrameRecord> upload = drainQueue();
    ASSERT_EQ(upload.size(), kUploadFrameCount);

    liveParams.fbeMode[1] = 3; // edited back during the upload
    EXPECT_EQ(runUntilIdle(),
              (std::vector<std::string>{"FF 55 04 01 02 28 2F", "FF 55 04 01 02 28 2F",
                                        "FF 55 04 06 01 03 0E"}));
}

// To send a banked field the detector borrows the device's other bank; a link lost before
// the scene goes back leaves the device, and the dump after the reconnect, in that bank.
// The operator's scene must survive that dump and go out again. A scene the device reports
// for any other reason (changed on the device, or by a device mode load) is the device's.
TEST_F(ChangeDetectorTest, ABankLeftBorrowedByALostLinkIsGivenBackAfterTheReconnect) {
    // Answers the frame in flight with status 0.
    auto answer = [this] {
        const std::uint8_t code = TxRecord[3];
        feed({0xFF, 0x55, 0x03, code, 0x00, static_cast<std::uint8_t>(3 + code)});
    };
    struct Case {
        const char* name;
        // Before the link fails, in turn: 'a' the detector's next frame, answered; 'w' its
        // next frame, written but not answered; 'u' an upload lost after its switch to Dance.
        const char* beforeLoss;
        std::uint8_t dumpScene;
        bool afterModeLoad;
        int sceneMeanwhile; // set by the operator while the link was down; -1: none
        int scene;          // the store's scene after the dump
        const char* then;   // what the detector sends next, nullptr for nothing
    };
    const Case cases[] = {
        {"lost with the device in the borrowed bank", "aa", 1, false, -1, 0, "FF 55 03 3A 00 3D"},
        {"lost with the way back in flight", "aaw", 1, false, -1, 0, "FF 55 03 3A 00 3D"},
        {"lost with the switch in flight, not taken", "w", 0, false, -1, 0, nullptr},
        {"the operator chose Dance meanwhile", "aa", 1, false, 2, 2, "FF 55 03 3A 02 3F"},
        {"back in Auto before the loss: a later scene is the device's", "aaa", 1, false, -1, 1,
         nullptr},
        {"a device mode load brings its own scene", "aa", 1, true, -1, 1, nullptr},
        {"an upload lost in the Dance bank", "u", 2, false, -1, 0, "FF 55 03 3A 00 3D"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetRecords();
        fillDefaults(liveParams);
        liveParams.scene = 0; // Auto
        sentParams = liveParams;
        liveParams.eqBand[0].type = 1; // a Singing field: goes out in bank 1
        for (const char* step = c.beforeLoss; *step; ++step) {
            if (*step == 'u') {
                command.queueUploadAll();
                // The Singing bank, the switch to Dance and one Dance frame.
                for (int i = 0; i < 269 && command.takeHead(TxRecord) == 1; ++i)
                    answer();
                command.clearQueue();
                continue;
            }
            command.nextChange();
            if (*step == 'a')
                answer();
        }

        // The link fails; the reconnect's synchronisation brings the device's view.
        resetRecords();
        if (c.sceneMeanwhile >= 0)
            liveParams.scene = static_cast<std::uint8_t>(c.sceneMeanwhile);
        const Bytes sync = hex("FF 55 03 AA BB 68");
        std::memcpy(TxRecord.bytes, sync.data(), sync.size());
        TxRecord[mark::ModeLoadMark] = c.afterModeLoad ? 1 : 0;
        RxRecord[mark::SyncMark] = 1;
        Bytes dump = hex("FF 55 03 CC 05 5E");
        dump.resize(kDumpPayloadEnd);
        dump[6] = c.dumpScene;
        ASSERT_EQ(feed(dump), static_cast<int>(kDumpPayloadEnd) - 1);

        EXPECT_EQ(liveParams.scene, c.scene);
        const auto sent = runUntilIdle();
        EXPECT_EQ(sent, c.then ? std::vector<std::string>{c.then} : std::vector<std::string>{});
        EXPECT_EQ(std::memcmp(&liveParams, &sentParams, sizeof liveParams), 0);
    }
}

// A 16-bit field is two bytes of the packed store. While one thread flips it between 255
// (FF 00) and 256 (00 01) through the write path, every frame the detector builds on another
// thread carries one of the two values, never half of each (511 or 0).
TEST_F(ChangeDetectorTest, SixteenBitEditsNeverGoOutTorn) {
    EqBand& band = liveParams.eqBand[40];
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (unsigned n = 0; !stop.load(std::memory_order_relaxed); ++n) {
            storeWrite(band.freq, n % 2 ? 256 : 255);
            // Let the detector run on a loaded machine too, at either value in turn.
            if (n % 63 == 0)
                std::this_thread::yield();
        }
    });
    int frames = 0;
    std::vector<unsigned> torn;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    while (frames < 1000 && std::chrono::steady_clock::now() < end) {
        std::lock_guard lock(g_frameLock);
        if (!command.findChange() || TxRecord[3] != cmd::EqBand || TxRecord[4] != 40)
            continue;
        ++frames;
        const unsigned freq = TxRecord[5] | (TxRecord[6] << 8);
        if (freq != 255 && freq != 256)
            torn.push_back(freq);
    }
    stop = true;
    writer.join();
    EXPECT_GT(frames, 10) << "the detector hardly ever saw the edits";
    EXPECT_TRUE(torn.empty()) << torn.size() << " torn values, first " << torn.front();
}

} // namespace
} // namespace zel::test
