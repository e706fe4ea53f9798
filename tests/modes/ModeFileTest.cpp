// The mode file image and the loader: which store bytes each load part takes, the
// master-volume limit, refused files and the fixed byte layout.
#include "modes/ModeFile.h"
#include "model/Defaults.h"
#include "model/Globals.h"

#include <gtest/gtest.h>

#include <bitset>
#include <cstddef>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

namespace zel {
namespace {

using Offsets = std::bitset<kDeviceParamsSize>;

std::uint8_t* raw(DeviceParams& p) {
    return reinterpret_cast<std::uint8_t*>(&p);
}
const std::uint8_t* raw(const DeviceParams& p) {
    return reinterpret_cast<const std::uint8_t*>(&p);
}

class RecordingUi : public ModeUi {
public:
    void message(const std::string& text) override { messages.push_back(text); }
    bool confirm(const std::string& text) override {
        questions.push_back(text);
        return answer;
    }
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    bool answer = true;
};

// What a load part takes, written the way the System page's radio buttons describe it:
// blocks by EQ section and by element index. The Dance copies follow from the Singing
// elements they copy.
struct PartSpec {
    std::vector<int> sections; // eqBand runs and eqBypass indices
    std::vector<int> filters, bytes, times, fbe, compressors, gates, phases;
    bool musicInput = false, outputs = false, system = false;
};

std::vector<int> span(int first, int last) {
    std::vector<int> v(static_cast<std::size_t>(last - first + 1));
    std::iota(v.begin(), v.end(), first);
    return v;
}

const PartSpec kParts[kModePartCount] = {
    {},
    {{0}, {0}, {}, {}, {}, {0}, {0}, {}, true, false, false},
    {{1, 3, 4, 11, 12},
     {1, 5, 6, 9, 10, 11},
     {0, 2, 3, 4, 5, 30, 32},
     span(0, 3),
     {0},
     {1},
     {1},
     span(0, 3)},
    {{2, 5, 6, 13, 14},
     {2, 7, 8, 12, 13, 14},
     {1, 6, 7, 8, 9, 31, 33},
     span(10, 13),
     {1},
     {2},
     {2},
     span(4, 7)},
    {{7, 8, 9, 10},
     {3, 4, 15},
     span(10, 25),
     span(4, 9),
     {},
     span(3, 6),
     {},
     span(8, 23),
     false,
     true,
     false},
    {{}, {}, span(26, 29), {}, {}, {}, {}, span(24, 27), false, false, true},
};

void mark(Offsets& o, std::size_t offset, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i)
        o.set(offset + i);
}

bool contains(const std::vector<int>& v, int x) {
    return std::find(v.begin(), v.end(), x) != v.end();
}

Offsets expectedOffsets(const PartSpec& s) {
    Offsets o;
    for (int sec : s.sections) {
        const EqSection& e = kEqSections[sec];
        mark(o, offsetof(DeviceParams, eqBand) + sizeof(EqBand) * std::size_t(e.firstBand),
             sizeof(EqBand) * std::size_t(e.bandCount));
        mark(o, offsetof(DeviceParams, eqBypass) + std::size_t(sec), 1);
        if (e.danceFirst >= 0)
            mark(o,
                 offsetof(DeviceParams, dance.eqBand) + sizeof(EqBand) * std::size_t(e.danceFirst),
                 sizeof(EqBand) * std::size_t(e.bandCount));
    }
    for (int k = 0; k < 5; ++k)
        if (contains(s.sections, kDanceEqBypassIndex[k]))
            mark(o, offsetof(DeviceParams, danceEqBypass) + std::size_t(k), 1);
    for (int f : s.filters)
        mark(o, offsetof(DeviceParams, filter) + 4 * std::size_t(f), 4);
    for (int k = 0; k < 4; ++k)
        if (contains(s.filters, kDanceFilterIndex[k]))
            mark(o, offsetof(DeviceParams, dance.filter) + 4 * std::size_t(k), 4);
    for (int b : s.bytes) {
        mark(o, offsetof(DeviceParams, byteParam) + std::size_t(b), 1);
        if (b >= 10 && b <= 25)
            mark(o, offsetof(DeviceParams, dance.byteParam) + std::size_t(b - 10), 1);
    }
    for (int t : s.times)
        mark(o, offsetof(DeviceParams, timeParam) + 2 * std::size_t(t), 2);
    for (int f : s.fbe)
        mark(o, offsetof(DeviceParams, fbeMode) + std::size_t(f), 1);
    for (int c : s.compressors)
        mark(o, offsetof(DeviceParams, compressor) + 4 * std::size_t(c), 4);
    for (int g : s.gates)
        mark(o, offsetof(DeviceParams, noiseGate) + 4 * std::size_t(g), 4);
    for (int p : s.phases) {
        mark(o, offsetof(DeviceParams, phase) + std::size_t(p), 1);
        if (p >= 8 && p <= 23)
            mark(o, offsetof(DeviceParams, dance.phase) + std::size_t(p - 8), 1);
    }
    if (s.musicInput)
        mark(o, offsetof(DeviceParams, musicInputPort), 2);
    if (s.outputs) {
        mark(o, offsetof(DeviceParams, outputMute), 6);
        mark(o, offsetof(DeviceParams, outputSolo), 6);
    }
    if (s.system) {
        mark(o, offsetof(DeviceParams, keyLockPassword), 4 + 1 + 1 + 6 + 6);
        mark(o, offsetof(DeviceParams, scene), 2);
    }
    return o;
}

Offsets differing(const DeviceParams& a, const DeviceParams& b) {
    Offsets o;
    for (std::size_t i = 0; i < kDeviceParamsSize; ++i)
        if (raw(a)[i] != raw(b)[i])
            o.set(i);
    return o;
}

std::vector<std::uint8_t> image(const DeviceParams& p) {
    const ModeBytes b = encodeMode(p);
    return {b.begin(), b.end()};
}

class ModeLoad : public ::testing::Test {
protected:
    void SetUp() override {
        g_bChinese = 0;
        initDefaults(); // master volumes 0: no file limit pulls them further down
        std::memset(&fileParams, 0x5C, sizeof fileParams);
        // The file differs from the live store in every byte.
        for (std::size_t i = 0; i < kDeviceParamsSize; ++i)
            raw(file)[i] = static_cast<std::uint8_t>(raw(liveParams)[i] ^ 0xA5);
        // Edits the change detector has not sent yet: a field of the output part, and a
        // master level, which no mode carries and no upload sends.
        liveParams.byteParam[12] = 77;
        setMasterVolume(1, 9);
        before = liveParams;
    }

    int load(int part, const std::vector<std::uint8_t>& bytes) {
        ModeArchive ar;
        ar.bytes = bytes;
        return serializeMode(ar, part, ui);
    }

    DeviceParams file{};
    DeviceParams before{};
    RecordingUi ui;
};

TEST(ModeParts, SplitTheModeBetweenThemWithoutOverlap) {
    Offsets all;
    for (int part = 1; part < kModePartCount; ++part) {
        Offsets o;
        for (const StoreRange& r : modePartRanges(part))
            mark(o, r.offset, r.size);
        EXPECT_EQ(o, expectedOffsets(kParts[part])) << "part " << part;
        EXPECT_TRUE((o & all).none()) << "part " << part << " overlaps an earlier part";
        all |= o;
    }
    // Nothing but the room's master levels, the device's mode names, the selected device
    // mode and the spare bytes stays out of every partial load.
    Offsets outside;
    mark(outside, 0, 6);
    mark(outside, offsetof(DeviceParams, modeName), sizeof(DeviceParams::modeName));
    mark(outside, offsetof(DeviceParams, currentMode), 1);
    mark(outside, 981, 1);
    mark(outside, 1417, 1);
    mark(outside, 1423, 1);
    EXPECT_EQ(all, ~outside);
}

TEST_F(ModeLoad, EachPartChangesExactlyItsFieldsAndMarksThemSent) {
    for (int part = 0; part < kModePartCount; ++part) {
        SCOPED_TRACE("part " + std::to_string(part));
        SetUp();
        const DeviceParams sentBefore = sentParams;
        ASSERT_EQ(load(part, image(file)), 1);
        EXPECT_TRUE(ui.messages.empty());

        Offsets expected;
        if (part == PartAll) {
            expected.set();
            for (std::size_t i = 0; i < 6; ++i)
                expected.reset(i);
            for (std::size_t i = 0; i < sizeof(DeviceParams::modeName); ++i)
                expected.reset(offsetof(DeviceParams, modeName) + i);
        } else {
            expected = expectedOffsets(kParts[part]);
        }
        const Offsets changed = differing(before, liveParams);
        EXPECT_EQ(changed, expected) << "changed bytes: " << (changed ^ expected).count()
                                     << " differ from the part's fields";
        for (std::size_t i = 0; i < kDeviceParamsSize; ++i) {
            if (expected.test(i)) {
                ASSERT_EQ(raw(liveParams)[i], raw(file)[i]) << "offset " << i;
            }
        }

        // The change detector finds nothing to send in what was applied; the upload sends
        // the rest of the store, but never the pending master level.
        Offsets level;
        mark(level, offsetof(DeviceParams, masterVolume) + 1, 1);
        mark(level, offsetof(DeviceParams, masterMute) + 1, 1);
        const Offsets unsent = differing(liveParams, sentParams);
        EXPECT_TRUE((unsent & expected).none());
        if (part == PartMusic) {
            // A pending edit outside the music fields is still pending.
            EXPECT_NE(sentParams.byteParam[12], liveParams.byteParam[12]);
            EXPECT_EQ(differing(sentBefore, sentParams), expected);
        } else {
            EXPECT_EQ(unsent, level);
        }

        // fileParams holds the file with the live master levels in front (and, for a full
        // load, the live mode names).
        Offsets fromLive;
        mark(fromLive, 0, 6);
        if (part == PartAll)
            mark(fromLive, offsetof(DeviceParams, modeName), sizeof(DeviceParams::modeName));
        EXPECT_EQ(differing(fileParams, before), ~fromLive);
        EXPECT_EQ(differing(fileParams, file), fromLive);
    }
}

TEST_F(ModeLoad, AllKeepsTheLiveMasterLevelsAndModeNamesAndTakesTheRest) {
    setMasterVolume(0, 5);
    std::memcpy(liveParams.modeName[2], "KTV 3               ", 20);
    before = liveParams;
    file.volumeLimit[1] = 84;
    ASSERT_EQ(load(PartAll, image(file)), 1);
    EXPECT_EQ(std::memcmp(liveParams.masterVolume, before.masterVolume, 3), 0);
    EXPECT_EQ(std::memcmp(liveParams.masterMute, before.masterMute, 3), 0);
    EXPECT_EQ(std::memcmp(liveParams.modeName, before.modeName, sizeof before.modeName), 0);
    EXPECT_EQ(liveParams.scene, file.scene);
    EXPECT_EQ(liveParams.userMode, file.userMode);
    EXPECT_EQ(std::memcmp(liveParams.keyLockPassword, file.keyLockPassword, 4), 0);
    EXPECT_EQ(std::memcmp(liveParams.adminPassword, file.adminPassword, 6), 0);
    EXPECT_EQ(liveParams.currentMode, file.currentMode);
    EXPECT_EQ(liveParams.spare1423, file.spare1423);
}

struct LimitCase {
    int part;
    int channel;
    std::uint8_t liveVolume;
    std::uint8_t fileLimit;
    std::uint8_t volume;
    std::uint8_t mute;
};

class MasterLimit : public ModeLoad, public ::testing::WithParamInterface<LimitCase> {};

TEST_P(MasterLimit, PullsTheMasterVolumeDownToTheFilesLimit) {
    const LimitCase c = GetParam();
    for (int i = 0; i < 3; ++i)
        setMasterVolume(i, 60);
    setMasterVolume(c.channel, c.liveVolume);
    sentParams = liveParams;
    for (int i = 0; i < 3; ++i)
        file.volumeLimit[2 * i + 1] = 84;
    file.volumeLimit[2 * c.channel + 1] = c.fileLimit;
    file.volumeLimit[2 * c.channel] = 0; // a start value is not a limit

    ASSERT_EQ(load(c.part, image(file)), 1);
    EXPECT_EQ(liveParams.masterVolume[c.channel], c.volume);
    EXPECT_EQ(liveParams.masterMute[c.channel], c.mute);
    for (int i = 0; i < 3; ++i) {
        if (i != c.channel) {
            EXPECT_EQ(liveParams.masterVolume[i], 60) << "channel " << i;
        }
    }
    // A lowered volume is left for the change detector to send.
    EXPECT_EQ(sentParams.masterVolume[c.channel] != liveParams.masterVolume[c.channel] ||
                  sentParams.masterMute[c.channel] != liveParams.masterMute[c.channel],
              c.volume != c.liveVolume);
}

INSTANTIATE_TEST_SUITE_P(Cases, MasterLimit,
                         ::testing::Values(LimitCase{PartMusic, 0, 60, 40, 40, 0},
                                           LimitCase{PartAll, 1, 60, 40, 40, 0},
                                           LimitCase{PartOutputs, 2, 70, 69, 69, 0},
                                           LimitCase{PartSystem, 2, 10, 0, 0, 1},
                                           LimitCase{PartMicA, 0, 40, 40, 40, 0},
                                           LimitCase{PartMicB, 1, 30, 84, 30, 0}));

struct BadFile {
    const char* what;
    std::vector<std::uint8_t> (*make)(std::vector<std::uint8_t>);
};

std::string badFileName(const ::testing::TestParamInfo<BadFile>& p) {
    return p.param.what;
}

class RefusedFile : public ModeLoad, public ::testing::WithParamInterface<BadFile> {};

TEST_P(RefusedFile, ShowsTheDataFileErrorAndChangesNothing) {
    const DeviceParams sentBefore = sentParams;
    const DeviceParams fileBefore = fileParams;
    for (int chinese : {0, 1}) {
        g_bChinese = chinese;
        ui.messages.clear();
        EXPECT_EQ(load(PartAll, GetParam().make(image(file))), 0);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0], chinese ? "数据文件 错误，读取失败" : "Data file error");
    }
    EXPECT_TRUE(differing(before, liveParams).none());
    EXPECT_TRUE(differing(sentBefore, sentParams).none());
    EXPECT_TRUE(differing(fileBefore, fileParams).none());
}

INSTANTIATE_TEST_SUITE_P(Cases, RefusedFile,
                         ::testing::Values(BadFile{"OneMagicCharacterDiffers",
                                                   [](std::vector<std::uint8_t> b) {
                                                       b[8] = '1';
                                                       return b;
                                                   }},
                                           BadFile{"MagicInLowerCase",
                                                   [](std::vector<std::uint8_t> b) {
                                                       b[1] = 'z';
                                                       return b;
                                                   }},
                                           BadFile{"WrongLengthByte",
                                                   [](std::vector<std::uint8_t> b) {
                                                       b[0] = 7;
                                                       return b;
                                                   }},
                                           BadFile{"Empty",
                                                   [](std::vector<std::uint8_t>) {
                                                       return std::vector<std::uint8_t>{};
                                                   }},
                                           BadFile{"HeaderOnly",
                                                   [](std::vector<std::uint8_t> b) {
                                                       b.resize(9);
                                                       return b;
                                                   }},
                                           BadFile{"OneByteShort",
                                                   [](std::vector<std::uint8_t> b) {
                                                       b.pop_back();
                                                       return b;
                                                   }},
                                           BadFile{"OneByteLong",
                                                   [](std::vector<std::uint8_t> b) {
                                                       b.push_back(0);
                                                       return b;
                                                   }}),
                         badFileName);

TEST(ModeImage, IsTheFixedLittleEndianLayout) {
    DeviceParams p{};
    std::memset(&p, 0, sizeof p);
    setMasterVolume(p, 0, 99); // bytes 0..5 are not part of a mode
    p.byteParam[0] = 0x11;
    p.eqBand[5].gain = 0x0123;
    p.timeParam[3] = 0xBEEF;
    p.modeName[5][19] = 'Z';
    p.danceEqBypass[4] = 0x42;
    p.spare1423 = 0x99;

    const ModeBytes b = encodeMode(p);
    ASSERT_EQ(b.size(), 1427u);
    const std::uint8_t header[9] = {0x08, 'Z', 'E', 'L', '_', '3', '.', '0', '0'};
    EXPECT_EQ(std::memcmp(b.data(), header, 9), 0);
    // File offset = store offset + 3.
    EXPECT_EQ(b[9], 0x11);
    EXPECT_EQ(b[40 + 5 * 6 + 2 + 3], 0x23);
    EXPECT_EQ(b[40 + 5 * 6 + 3 + 3], 0x01);
    EXPECT_EQ(b[902 + 3 * 2 + 3], 0xEF);
    EXPECT_EQ(b[902 + 3 * 2 + 4], 0xBE);
    EXPECT_EQ(b[1042 + 5 * 20 + 19 + 3], 'Z');
    EXPECT_EQ(b[1422 + 3], 0x42);
    EXPECT_EQ(b[1426], 0x99);
    EXPECT_EQ(std::count(b.begin() + 9, b.end(), 0), 1418 - 8) << "nothing else written";

    // Decoding gives the record back, the master levels excepted.
    DeviceParams back{};
    ASSERT_TRUE(decodeMode(b, back));
    EXPECT_EQ(back.timeParam[3], 0xBEEF);
    EXPECT_EQ(std::memcmp(raw(back) + 6, raw(p) + 6, kDeviceParamsSize - 6), 0);
    EXPECT_EQ(back.masterVolume[0], 0);
}

TEST(ModeImage, StoringTakesTheLiveStore) {
    initDefaults();
    liveParams.eqBand[70].freq = 300;
    ModeArchive ar;
    ar.storing = true;
    RecordingUi ui;
    EXPECT_EQ(serializeMode(ar, PartAll, ui), 1);
    const ModeBytes expected = encodeMode(liveParams);
    EXPECT_EQ(ar.bytes, std::vector<std::uint8_t>(expected.begin(), expected.end()));
}

} // namespace
} // namespace zel
