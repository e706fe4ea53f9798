// Frame builders and the transmit queue: exact bytes and marks of every frame the PC sends.
#include "LinkTestSupport.h"

#include "link/ParamFrame.h"

#include <functional>
#include <set>

namespace zel::test {
namespace {

// Every mark byte after ChecksumCopy is zero except `set`, which are 1.
void expectMarks(const FrameRecord& r, const std::set<std::size_t>& set, const std::string& what) {
    for (std::size_t at = mark::ChecksumCopy + 1; at < kFrameRecordSize; ++at)
        EXPECT_EQ(r[at], set.count(at) ? 1 : 0) << what << ": mark byte " << at;
}

class BuilderTest : public LinkTest {};

TEST_F(BuilderTest, ChecksumCoversLengthCommandAndData) {
    FrameRecord r{};
    const Bytes frame = hex("FF 55 04 01 00 01");
    std::memcpy(r.bytes, frame.data(), frame.size());
    CCommand::checksum(r);
    EXPECT_EQ(r[6], 0x06);
    EXPECT_EQ(r[mark::ChecksumCopy], 0x06);
}

struct ParamFrameCase {
    const char* name;
    ParamGroup group;
    int element;
    const char* frame;
};

// The store the parameter-frame cases read; values chosen so that every byte is visible.
void fillKnownStore(DeviceParams& p) {
    fillDefaults(p);
    setMasterVolume(p, 1, 12);
    p.eqBand[5] = EqBand{};
    p.eqBand[5].freq = 0x0123;
    p.eqBand[5].gain = 240;
    p.eqBand[5].q = 10;
    p.eqBand[5].type = 2;
    p.dance.eqBand[12].freq = 0x1234;
    p.dance.eqBand[12].gain = 300;
    p.dance.eqBand[12].q = 0x20;
    p.dance.eqBand[12].type = 1;
    p.dance.filter[3].freq = 143;
    p.dance.filter[3].slope = 3;
    p.dance.filter[3].userQ = 7;
    p.dance.byteParam[15] = 0x2A;
    p.danceEqBypass[1] = 0;
    p.dance.phase[0] = 1;
    p.timeParam[13] = 0xBEEF;
    p.noiseGate[2] = NoiseGateParams{0x11, 0x22, 0x33, 0x44};
    p.musicInputPort = 3;
    p.musicInputGain = 2;
    p.volumeLimit[5] = 0x40;
    p.scene = 2;
}

TEST_F(BuilderTest, ParameterFramesCarryTheDeviceIndexAndTheFieldBytes) {
    const ParamFrameCase cases[] = {
        {"master volume 1, unmuted", ParamGroup::MasterMute, 1, "FF 55 04 01 01 0C 12"},
        {"master volume 0, muted, goes out as 0", ParamGroup::MasterMute, 0,
         "FF 55 04 01 00 00 05"},
        {"master volume group sends the volume", ParamGroup::MasterVolume, 1,
         "FF 55 04 01 01 0C 12"},
        {"EQ band 5, six bytes low first", ParamGroup::EqBand, 5,
         "FF 55 09 03 05 23 01 F0 00 0A 02 31"},
        {"dance.eqBand[12] travels as band 72", ParamGroup::DanceEqBand, 12,
         "FF 55 09 03 48 34 12 2C 01 20 01 E8"},
        {"dance.eqBand[9] keeps its index", ParamGroup::DanceEqBand, 9,
         "FF 55 09 03 09 AB 00 F0 00 0A 00 BA"},
        {"dance.filter[3] travels as filter 15", ParamGroup::DanceFilter, 3,
         "FF 55 07 04 0F 8F 00 03 07 B3"},
        {"dance.byteParam[15] travels as index 25", ParamGroup::DanceByteParam, 15,
         "FF 55 04 02 19 2A 49"},
        {"dance.eqBypass[1] travels as section 7", ParamGroup::DanceEqBypass, 1,
         "FF 55 04 09 07 00 14"},
        {"dance.phase[0] travels as index 8", ParamGroup::DancePhase, 0, "FF 55 04 0B 08 01 18"},
        {"time parameter, u16 low first", ParamGroup::TimeParam, 13, "FF 55 05 05 0D EF BE C4"},
        {"noise gate without its spare byte", ParamGroup::NoiseGate, 2,
         "FF 55 06 0A 02 11 22 33 78"},
        {"music input port and gain, no index", ParamGroup::MusicInput, 0, "FF 55 04 31 03 02 3A"},
        {"volume limit", ParamGroup::VolumeLimit, 5, "FF 55 04 36 05 40 7F"},
        {"scene", ParamGroup::Scene, 0, "FF 55 03 3A 02 3F"},
    };
    DeviceParams p;
    fillKnownStore(p);
    p.dance.eqBand[9].freq = 0xAB; // 171, an easy byte to spot
    for (const auto& c : cases) {
        FrameRecord r{};
        const std::size_t length = buildParamFrame(r, p, c.group, c.element);
        EXPECT_EQ(toHex(frameOf(r)), toHex(hex(c.frame))) << c.name;
        EXPECT_EQ(length, hex(c.frame).size()) << c.name;
        EXPECT_EQ(r[mark::ChecksumCopy], hex(c.frame).back()) << c.name;
    }
}

struct QueuedCase {
    const char* name;
    std::function<void(CCommand&)> build;
    std::vector<const char*> frames;
    std::vector<std::set<std::size_t>> marks;
};

TEST_F(BuilderTest, QueuedFramesTakeTheirDataFromTheStore) {
    std::memcpy(liveParams.keyLockPassword, "\x01\x02\x03\x04", 4);
    std::memcpy(liveParams.adminPassword, "\x01\x02\x03\x04\x05\x06", 6);
    liveParams.keyLockOff = 1;
    liveParams.userMode = 1;
    std::memcpy(liveParams.modeName[3], "Party Room          ", kModeNameLength);

    const QueuedCase cases[] = {
        {"probe", [](CCommand& c) { c.queueProbe(); }, {"FF 55 03 30 00 33"}, {{mark::NoRetry}}},
        {"synchronisation at connection: probe first",
         [](CCommand& c) { c.queueSync(0); },
         {"FF 55 03 30 00 33", "FF 55 03 AA BB 68"},
         {{mark::NoRetry}, {mark::SyncMark}}},
        {"synchronisation after a mode load: no probe",
         [](CCommand& c) { c.queueSync(1); },
         {"FF 55 03 AA BB 68"},
         {{mark::SyncMark, mark::ModeLoadMark}}},
        {"keyboard-lock password, two digits a byte, first digit low",
         [](CCommand& c) { c.queueCommand(0x32, 0); },
         {"FF 55 04 32 21 43 9A"},
         {{}}},
        {"keyboard lock off",
         [](CCommand& c) { c.queueCommand(0x33, 0); },
         {"FF 55 03 33 01 37"},
         {{}}},
        {"administrator password",
         [](CCommand& c) { c.queueCommand(0x34, 0); },
         {"FF 55 05 34 21 43 65 02"},
         {{}}},
        {"user mode", [](CCommand& c) { c.queueCommand(0x35, 0); }, {"FF 55 03 35 01 39"}, {{}}},
        {"mode name, 26 bytes, acknowledged to the System panel",
         [](CCommand& c) { c.queueCommand(0x37, 3); },
         {"FF 55 17 37 03 50 61 72 74 79 20 52 6F 6F 6D 20 20 20 20 20 20 20 20 20 20 5E"},
         {{mark::ModeNameAckMark}}},
        {"mode load", [](CCommand& c) { c.queueCommand(0x38, 4); }, {"FF 55 03 38 04 3F"}, {{}}},
        {"mode name of a mode that does not exist",
         [](CCommand& c) { c.queueCommand(0x37, 6); },
         {},
         {}},
        {"mode load of a negative mode", [](CCommand& c) { c.queueCommand(0x38, -1); }, {}, {}},
        {"a code that is no device command", [](CCommand& c) { c.queueCommand(0x36, 0); }, {}, {}},
    };
    for (const auto& c : cases) {
        c.build(command);
        const auto frames = drainQueue();
        ASSERT_EQ(frames.size(), c.frames.size()) << c.name;
        for (std::size_t i = 0; i < frames.size(); ++i) {
            EXPECT_EQ(toHex(frameOf(frames[i])), toHex(hex(c.frames[i]))) << c.name;
            expectMarks(frames[i], c.marks[i], c.name);
        }
    }
}

TEST_F(BuilderTest, TakeHeadMovesWholeRecordsInOrderAndLeavesTxRecordAloneWhenEmpty) {
    TxRecord[2] = 0x77;
    EXPECT_EQ(command.takeHead(TxRecord), 0);
    EXPECT_EQ(TxRecord[2], 0x77);

    command.queueSync(0);
    EXPECT_EQ(command.queuedCount(), 2);
    ASSERT_EQ(command.takeHead(TxRecord), 1);
    EXPECT_EQ(TxRecord[3], 0x30);
    EXPECT_EQ(TxRecord[mark::NoRetry], 1);
    ASSERT_EQ(command.takeHead(TxRecord), 1);
    EXPECT_EQ(TxRecord[3], 0xAA);
    EXPECT_EQ(TxRecord[mark::SyncMark], 1);
    EXPECT_EQ(TxRecord[mark::NoRetry], 0) << "the probe's mark must not linger";
    EXPECT_EQ(command.queuedCount(), 0);

    command.queueUploadAll();
    command.clearQueue();
    EXPECT_EQ(command.queuedCount(), 0);
    EXPECT_EQ(command.takeHead(TxRecord), 0);
}

// One run of consecutive upload frames of the same command.
struct UploadRun {
    std::uint8_t command;
    std::vector<int> indices; // empty for commands without an index
    int repeat = 1;
};

std::vector<int> range(int first, int last) {
    std::vector<int> v;
    for (int i = first; i <= last; ++i)
        v.push_back(i);
    return v;
}

TEST_F(BuilderTest, UploadSendsBothBanksInDeviceOrderAndEndsOnTheLiveScene) {
    fillKnownStore(liveParams);
    liveParams.byteParam[12] = 0x51;      // Singing Main mix echo
    liveParams.dance.byteParam[2] = 0x62; // its Dance copy
    liveParams.eqBand[72].q = 0x33;       // Singing Main band 2
    liveParams.dance.eqBand[12].q = 0x44; // its Dance copy
    liveParams.masterVolume[0] = 9;       // master volumes are not uploaded
    sentParams = liveParams;
    const DeviceParams before = sentParams;

    command.queueUploadAll();
    const auto frames = drainQueue();
    ASSERT_EQ(frames.size(), kUploadFrameCount);

    std::vector<int> danceBands = range(0, 9);
    for (int i : range(70, 92))
        danceBands.push_back(i);
    const UploadRun runs[] = {
        {0x3A, {}},
        {0x02, range(0, 33)},
        {0x03, range(0, 132)},
        {0x04, range(0, 15)},
        {0x05, range(0, 13)},
        {0x06, range(0, 1)},
        {0x07, range(0, 6)},
        {0x08, range(0, 5)},
        {0x09, range(0, 14)},
        {0x0A, range(0, 2)},
        {0x0B, range(0, 27)},
        {0x31, {}, 2},
        {0x36, range(0, 5)},
        {0x3A, {}},
        {0x02, range(10, 25)},
        {0x03, danceBands},
        {0x04, {0, 3, 4, 15}},
        {0x09, {0, 7, 8, 9, 10}},
        {0x0B, range(8, 23)},
        {0x3A, {}},
        {0x32, {}},
        {0x33, {}},
        {0x34, {}},
        {0x35, {}},
    };
    std::size_t n = 0;
    for (const auto& run : runs) {
        const std::size_t count =
            run.indices.empty() ? std::size_t(run.repeat) : run.indices.size();
        for (std::size_t k = 0; k < count; ++k, ++n) {
            ASSERT_LT(n, frames.size());
            EXPECT_EQ(frames[n][3], run.command) << "frame " << n;
            if (!run.indices.empty()) {
                EXPECT_EQ(frames[n][4], run.indices[k]) << "frame " << n;
            }
        }
    }
    EXPECT_EQ(n, kUploadFrameCount);

    // Bank switches, the final scene and its marks.
    EXPECT_EQ(toHex(frameOf(frames[0])), "FF 55 03 3A 01 3E");
    EXPECT_EQ(toHex(frameOf(frames[267])), "FF 55 03 3A 02 3F");
    EXPECT_EQ(toHex(frameOf(frames[342])), "FF 55 03 3A 02 3F") << "the live scene";
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const bool bankSwitch = i == 0 || i == 267;
        EXPECT_EQ(frames[i][mark::UploadMark], bankSwitch ? 1 : 0) << "frame " << i;
        EXPECT_EQ(frames[i][mark::OnlineMark], i == 342 ? 1 : 0) << "frame " << i;
        EXPECT_EQ(frames[i][mark::NotifySystemPanel], i == 342 ? 1 : 0) << "frame " << i;
    }

    // Each bank's frames carry that bank's values under the same command and index.
    EXPECT_EQ(toHex(frameOf(frames[1 + 12])), "FF 55 04 02 0C 51 63");
    EXPECT_EQ(toHex(frameOf(frames[268 + 2])), "FF 55 04 02 0C 62 74");
    EXPECT_EQ(frames[35 + 72][4], 72);
    EXPECT_EQ(frames[35 + 72][9], 0x33);
    EXPECT_EQ(frames[284 + 12][4], 72);
    EXPECT_EQ(frames[284 + 12][9], 0x44);
    EXPECT_EQ(toHex(frameOf(frames[259])), "FF 55 04 31 03 02 3A");
    EXPECT_EQ(toHex(frameOf(frames[260])), "FF 55 04 31 03 02 3A");
    EXPECT_EQ(toHex(frameOf(frames[343])), "FF 55 04 32 21 43 9A");

    EXPECT_EQ(std::memcmp(&before, &sentParams, sizeof before), 0) << "builders leave sentParams";
}

} // namespace
} // namespace zel::test
