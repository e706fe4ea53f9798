// Tests of the named field table over the parameter store.
#include "model/FieldTable.h"
#include "model/DataConver.h"
#include "model/EqTables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>
#include <string>

namespace zel {
namespace {

const std::uint8_t* bytes(const DeviceParams& p) {
    return reinterpret_cast<const std::uint8_t*>(&p);
}

TEST(FieldTable, EntriesTileTheRecordExactlyOnce) {
    std::size_t next = 0;
    std::set<std::string> names;
    for (const Field& f : allFields()) {
        ASSERT_EQ(f.offset, next) << f.name << " leaves a gap or overlaps its predecessor";
        next += f.size();
        EXPECT_TRUE(names.insert(f.name).second) << "duplicate name " << f.name;
        EXPECT_EQ(findField(f.name), &f) << f.name;
    }
    EXPECT_EQ(next, kDeviceParamsSize);
}

TEST(FieldTable, LookupByName) {
    using D = Delivery;
    using B = Bank;
    struct Case {
        const char* name;
        int offset;
        FieldWidth width;
        D delivery;
        int command;
        int deviceIndex;
        B bank;
    };
    const Case cases[] = {
        {"masterVolume[1]", 1, FieldWidth::Byte, D::ChangeDetector, 0x01, 1, B::Shared},
        {"masterMute[0]", 3, FieldWidth::Byte, D::Derived, 0x01, 0, B::Shared},
        {"byteParam[12]", 18, FieldWidth::Byte, D::ChangeDetector, 0x02, 12, B::Singing},
        {"byteParam[26]", 32, FieldWidth::Byte, D::ChangeDetector, 0x02, 26, B::Shared},
        {"eqBand[5].gain", 72, FieldWidth::Word, D::ChangeDetector, 0x03, 5, B::Singing},
        {"eqBand[12].q", 116, FieldWidth::Byte, D::ChangeDetector, 0x03, 12, B::Shared},
        {"filter[15].slope", 900, FieldWidth::Byte, D::ChangeDetector, 0x04, 15, B::Singing},
        {"timeParam[3]", 908, FieldWidth::Word, D::ChangeDetector, 0x05, 3, B::Shared},
        {"fbeMode[0]", 930, FieldWidth::Byte, D::ChangeDetector, 0x06, 0, B::Shared},
        {"compressor[0].ratio", 935, FieldWidth::Byte, D::ChangeDetector, 0x07, 0, B::Shared},
        {"outputMute[2]", 962, FieldWidth::Byte, D::ChangeDetector, 0x08, 2, B::Shared},
        {"eqBypass[14]", 980, FieldWidth::Byte, D::ChangeDetector, 0x09, 14, B::Shared},
        {"spare981", 981, FieldWidth::Byte, D::Never, 0, -1, B::Shared},
        {"noiseGate[2].release", 992, FieldWidth::Byte, D::ChangeDetector, 0x0A, 2, B::Shared},
        {"noiseGate[2].spare", 993, FieldWidth::Byte, D::Never, 0, -1, B::Shared},
        {"phase[27]", 1021, FieldWidth::Byte, D::ChangeDetector, 0x0B, 27, B::Shared},
        {"musicInputPort", 1022, FieldWidth::Byte, D::ChangeDetector, 0x31, -1, B::Shared},
        {"keyLockPassword[3]", 1027, FieldWidth::Byte, D::Command, 0x32, -1, B::Shared},
        {"keyLockOff", 1028, FieldWidth::Byte, D::Command, 0x33, -1, B::Shared},
        {"userMode", 1029, FieldWidth::Byte, D::Command, 0x35, -1, B::Shared},
        {"adminPassword[5]", 1035, FieldWidth::Byte, D::Command, 0x34, -1, B::Shared},
        {"volumeLimit[5]", 1041, FieldWidth::Byte, D::ChangeDetector, 0x36, 5, B::Shared},
        {"modeName[3]", 1102, FieldWidth::Text, D::Command, 0x37, 3, B::Shared},
        {"outputSolo[0]", 1162, FieldWidth::Byte, D::Never, 0, -1, B::Shared},
        {"scene", 1168, FieldWidth::Byte, D::ChangeDetector, 0x3A, -1, B::Shared},
        {"lastManualScene", 1169, FieldWidth::Byte, D::Never, 0, -1, B::Shared},
        {"dance.byteParam[15]", 1185, FieldWidth::Byte, D::ChangeDetector, 0x02, 25, B::Dance},
        {"dance.eqBand[12].freq", 1258, FieldWidth::Word, D::ChangeDetector, 0x03, 72, B::Dance},
        {"dance.filter[3].freq", 1396, FieldWidth::Word, D::ChangeDetector, 0x04, 15, B::Dance},
        {"dance.phase[0]", 1400, FieldWidth::Byte, D::ChangeDetector, 0x0B, 8, B::Dance},
        {"currentMode", 1416, FieldWidth::Byte, D::Never, 0, -1, B::Shared},
        {"spare1417", 1417, FieldWidth::Byte, D::Never, 0, -1, B::Shared},
        {"dance.eqBypass[4]", 1422, FieldWidth::Byte, D::ChangeDetector, 0x09, 10, B::Dance},
        {"spare1423", 1423, FieldWidth::Byte, D::Never, 0, -1, B::Shared},
    };
    for (const Case& c : cases) {
        const Field* f = findField(c.name);
        ASSERT_NE(f, nullptr) << c.name;
        EXPECT_EQ(f->offset, c.offset) << c.name;
        EXPECT_EQ(f->width, c.width) << c.name;
        EXPECT_EQ(f->delivery, c.delivery) << c.name;
        EXPECT_EQ(f->command, c.command) << c.name;
        EXPECT_EQ(f->deviceIndex, c.deviceIndex) << c.name;
        EXPECT_EQ(f->bank, c.bank) << c.name;
    }
    for (const char* bad : {"eqBand[133].freq", "eqBand[5]", "eqband[5].gain", "scene ",
                            "danceEqBypass[0]", "modeName[6]", ""})
        EXPECT_EQ(findField(bad), nullptr) << '"' << bad << '"';
}

// Each write lands in the C++ member of the same name, and in no other byte.
TEST(FieldTable, WritesReachTheNamedMember) {
    struct Case {
        const char* name;
        unsigned value;
        std::function<unsigned(const DeviceParams&)> member;
    };
    const Case cases[] = {
        {"byteParam[33]", 77, [](const DeviceParams& p) { return p.byteParam[33]; }},
        {"eqBand[5].gain", 0x0123, [](const DeviceParams& p) { return p.eqBand[5].gain; }},
        {"eqBand[132].type", 2, [](const DeviceParams& p) { return p.eqBand[132].type; }},
        {"filter[15].userQ", 28, [](const DeviceParams& p) { return p.filter[15].userQ; }},
        {"timeParam[13]", 0x0150, [](const DeviceParams& p) { return p.timeParam[13]; }},
        {"compressor[6].threshold", 30,
         [](const DeviceParams& p) { return p.compressor[6].threshold; }},
        {"noiseGate[1].attack", 15, [](const DeviceParams& p) { return p.noiseGate[1].attack; }},
        {"musicInputGain", 2, [](const DeviceParams& p) { return p.musicInputGain; }},
        {"keyLockOff", 1, [](const DeviceParams& p) { return p.keyLockOff; }},
        {"dance.eqBand[32].q", 99, [](const DeviceParams& p) { return p.dance.eqBand[32].q; }},
        {"dance.filter[2].slope", 4, [](const DeviceParams& p) { return p.dance.filter[2].slope; }},
        {"dance.eqBypass[4]", 1, [](const DeviceParams& p) { return p.danceEqBypass[4]; }},
        {"currentMode", 5, [](const DeviceParams& p) { return p.currentMode; }},
    };
    for (const Case& c : cases) {
        const Field* f = findField(c.name);
        ASSERT_NE(f, nullptr) << c.name;
        DeviceParams p{};
        writeField(p, *f, c.value);
        EXPECT_EQ(c.member(p), c.value) << c.name;
        EXPECT_EQ(readField(p, *f), c.value) << c.name;
    }
}

TEST(FieldTable, EveryFieldOwnsExactlyItsBytes) {
    for (const Field& f : allFields()) {
        if (f.isText() || f.offset < sizeof DeviceParams::masterVolume)
            continue; // text and master volumes are covered on their own
        DeviceParams p{};
        const unsigned value = f.width == FieldWidth::Word ? 0x5AA5u : 0xA5u;
        writeField(p, f, value);
        for (std::size_t i = 0; i < kDeviceParamsSize; ++i) {
            const bool own = i >= f.offset && i < f.offset + f.size();
            if (!own) {
                ASSERT_EQ(bytes(p)[i], 0) << f.name << " wrote byte " << i;
            }
        }
        EXPECT_EQ(bytes(p)[f.offset], 0xA5) << f.name << ": low byte first";
        if (f.width == FieldWidth::Word) {
            EXPECT_EQ(bytes(p)[f.offset + 1], 0x5A) << f.name;
        }
        EXPECT_EQ(readField(p, f), value) << f.name;
    }
}

TEST(FieldTable, MasterVolumeCarriesItsMuteFlag) {
    DeviceParams p{};
    const Field& volume = *findField("masterVolume[1]");
    writeField(p, volume, 0);
    EXPECT_EQ(p.masterMute[1], 1);
    writeField(p, volume, 12);
    EXPECT_EQ(p.masterVolume[1], 12);
    EXPECT_EQ(p.masterMute[1], 0);
    EXPECT_EQ(p.masterMute[0], 0) << "other levels untouched";

    // The mute button mutes without losing the level.
    writeField(p, *findField("masterMute[1]"), 1);
    EXPECT_EQ(p.masterVolume[1], 12);
}

TEST(FieldTable, ModeNamesAreTextFields) {
    DeviceParams p{};
    const Field& name = *findField("modeName[3]");
    ASSERT_TRUE(writeText(p, name, "KTV"));
    EXPECT_EQ(std::string(p.modeName[3], 20), "KTV" + std::string(17, ' '));
    EXPECT_EQ(readText(p, name), "KTV");
    EXPECT_EQ(p.modeName[2][19], 0) << "neighbouring name untouched";
    EXPECT_EQ(p.modeName[4][0], 0) << "neighbouring name untouched";

    EXPECT_FALSE(writeText(p, name, "a name of twenty-one!"));
    EXPECT_EQ(readText(p, name), "KTV");
    EXPECT_FALSE(inRange(name, 0));
}

TEST(FieldTable, RangeLimits) {
    struct Case {
        const char* name;
        unsigned value;
        bool in;
    };
    const Case cases[] = {
        {"masterVolume[0]", 84, true},
        {"masterVolume[2]", 71, false},
        {"byteParam[0]", 90, true},
        {"byteParam[0]", 91, false},
        {"byteParam[13]", 250, true},
        {"byteParam[32]", 101, false},
        {"eqBand[0].freq", 361, true},
        {"eqBand[0].freq", 362, false},
        {"eqBand[0].gain", 360, true},
        {"eqBand[0].type", 3, false},
        {"filter[0].freq", 143, true},
        {"filter[0].freq", 144, false},
        {"filter[5].freq", 205, true},
        {"filter[9].freq", 297, false},
        {"filter[11].freq", 298, true},
        {"filter[12].freq", 363, false},
        {"filter[3].slope", 2, false},
        {"filter[4].slope", 4, true},
        {"dance.filter[3].slope", 5, false},
        {"filter[15].userQ", 29, false},
        {"timeParam[3]", 80, true},
        {"timeParam[3]", 81, false},
        {"timeParam[7]", 1000, true},
        {"timeParam[6]", 501, false},
        {"compressor[3].threshold", 35, false},
        {"noiseGate[0].threshold", 60, true},
        {"musicInputGain", 3, false},
        {"adminPassword[0]", 10, false},
        {"volumeLimit[4]", 70, true},
        {"volumeLimit[3]", 85, false},
        {"lastManualScene", 0, false},
        {"lastManualScene", 2, true},
        {"currentMode", 6, false},
        {"spare1417", 255, true},
    };
    for (const Case& c : cases) {
        const Field* f = findField(c.name);
        ASSERT_NE(f, nullptr) << c.name;
        EXPECT_EQ(inRange(*f, c.value), c.in) << c.name << " = " << c.value;
    }
}

TEST(FieldTable, TableIndexedRangesStayInsideTheirTables) {
    const auto tableSize = [](Display d) -> std::size_t {
        switch (d) {
        case Display::PeqFreq:
            return FreqTable.size();
        case Display::XoverFreq:
            return XoverFreqTable.size();
        case Display::Q:
            return QTable.size();
        case Display::UserQ:
            return UserQTable.size();
        case Display::AttackTime:
            return AttackTimeTable.size();
        case Display::CompRelease:
            return CompReleaseTable.size();
        case Display::GateRelease:
            return GateReleaseTable.size();
        case Display::Ratio:
            return RatioTable.size();
        default:
            return 0;
        }
    };
    for (const Field& f : allFields()) {
        if (const std::size_t n = tableSize(f.display); n != 0) {
            EXPECT_LT(f.max, n) << f.name;
            EXPECT_FALSE(displayText(f, f.max).empty()) << f.name;
        }
    }
}

TEST(FieldTable, FieldAtOffset) {
    EXPECT_EQ(fieldAtOffset(0)->name, "masterVolume[0]");
    EXPECT_EQ(fieldAtOffset(73)->name, "eqBand[5].gain");
    EXPECT_EQ(fieldAtOffset(1050)->name, "modeName[0]");
    EXPECT_EQ(fieldAtOffset(1423)->name, "spare1423");
    EXPECT_EQ(fieldAtOffset(kDeviceParamsSize), nullptr);
}

TEST(FieldTable, DisplayText) {
    struct Case {
        const char* name;
        unsigned value;
        const char* want;
    };
    const Case cases[] = {
        {"eqBand[0].freq", 204, "1000 Hz"},
        {"eqBand[0].freq", 11, "24.3 Hz"},
        {"eqBand[0].gain", 210, "-3.0 dB"},
        {"eqBand[0].gain", 360, "12.0 dB"},
        {"eqBand[0].q", 10, "0.71"},
        {"filter[0].freq", 0, "OFF"},
        {"filter[0].freq", 143, "303 Hz"},
        {"dance.filter[3].userQ", 6, "0.57"},
        {"compressor[0].attack", 0, "0.5 ms"},
        {"compressor[0].release", 1, "Atk X4"},
        {"noiseGate[0].release", 7, "Atk X96"},
        {"compressor[2].ratio", 40, "100"},
        {"phase[3]", 0, "-"},
        {"dance.phase[3]", 1, "+"},
        {"compressor[0].ratio", 41, ""},
        {"eqBand[0].freq", 362, ""},
        {"timeParam[0]", 10, ""},
        {"filter[5].userQ", 3, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(displayText(*findField(c.name), c.value), c.want) << c.name << " = " << c.value;
}

} // namespace
} // namespace zel
