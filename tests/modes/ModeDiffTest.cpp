#include "modes/ModeDiff.h"

#include "model/Defaults.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace zel {
namespace {

std::vector<std::string> lines(const StoreDiff& d) {
    std::vector<std::string> out;
    for (const RecordChange& r : d.records)
        out.push_back(changeLine(r));
    return out;
}

class ModeDiff : public ::testing::Test {
protected:
    void SetUp() override {
        fillDefaults(a);
        b = a;
    }
    DeviceParams a{};
    DeviceParams b{};
};

TEST_F(ModeDiff, OneLinePerFieldOrRecordInTableOrderWithASummary) {
    b.masterVolume[0] = 50; // the room's level, no part of a mode
    b.byteParam[12] = 99;
    b.eqBand[5].gain = 300;
    b.eqBand[5].q = 12;
    b.eqBand[40].freq = 204;
    b.filter[15].freq = 0;
    b.timeParam[4] = 123;
    b.compressor[3].ratio = 27;
    b.compressor[3].attack = 2;
    std::memcpy(b.modeName[2], "KTV \"3\"\x01               ", 20);
    b.scene = 2;
    b.dance.byteParam[3] = 77;
    b.dance.eqBand[12].type = 2;
    b.danceEqBypass[2] = 0;

    const StoreDiff d = diffStores(a, b);
    const std::vector<std::string> want = {
        "byteParam[12]: 0 -> 99",
        "eqBand[5]: gain 240 (0.0 dB) -> 300 (6.0 dB), q 10 (0.71) -> 12 (0.79)",
        "eqBand[40].freq: 191 (779 Hz) -> 204 (1000 Hz)",
        "filter[15].freq: 143 (303 Hz) -> 0 (OFF)",
        "timeParam[4]: 0 -> 123",
        "compressor[3].attack: 0 (0.5 ms) -> 2 (1.0 ms)",
        "compressor[3].ratio: 0 (1.0) -> 27 (12)",
        "modeName[2]: \"\" -> \"KTV \\\"3\\\"\\x01\"",
        "scene: 1 -> 2",
        "dance.byteParam[3]: 0 -> 77",
        "dance.eqBand[12].type: 0 (peak) -> 2 (high shelf)",
        "dance.eqBypass[2]: 1 -> 0",
    };
    EXPECT_EQ(lines(d), want);
    EXPECT_EQ(d.fieldCount, 13);
    EXPECT_EQ(summaryLine(d), "13 fields differ: byteParam 1, eqBand 3, filter 1, timeParam 1, "
                              "compressor 2, modeName 1, scene 1, dance.byteParam 1, "
                              "dance.eqBand 1, dance.eqBypass 1");

    const StoreDiff same = diffStores(a, a);
    EXPECT_TRUE(same.same());
    EXPECT_EQ(summaryLine(same), "no differences");
}

TEST_F(ModeDiff, ModeNamesCompareByTheirText) {
    std::memset(a.modeName[0], 0, 20);
    std::memset(b.modeName[0], ' ', 20);
    EXPECT_TRUE(diffStores(a, b).same());
}

TEST_F(ModeDiff, APartLimitsTheComparisonToWhatItLoads) {
    b.eqBand[3].gain = 250;        // music
    b.dance.eqBand[2].gain = 250;  // music, Dance bank
    b.eqBand[40].gain = 250;       // microphone B
    b.dance.eqBand[20].gain = 250; // Subwoofer, Dance bank
    b.userMode = 1;                // system
    std::memcpy(b.modeName[0], "X", 1);
    struct Case {
        int part;
        std::vector<std::string> records;
    };
    const Case cases[] = {
        {-1,
         {"eqBand[3]", "eqBand[40]", "userMode", "modeName[0]", "dance.eqBand[2]",
          "dance.eqBand[20]"}},
        {0, {"eqBand[3]", "eqBand[40]", "userMode", "dance.eqBand[2]", "dance.eqBand[20]"}},
        {1, {"eqBand[3]", "dance.eqBand[2]"}},
        {2, {}},
        {3, {"eqBand[40]"}},
        {4, {"dance.eqBand[20]"}},
        {5, {"userMode"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.part);
        DiffScope scope;
        scope.part = c.part;
        std::vector<std::string> got;
        for (const RecordChange& r : diffStores(a, b, scope).records)
            got.push_back(r.record);
        EXPECT_EQ(got, c.records);
    }
}

TEST_F(ModeDiff, AgainstAProcessorOnlyTheFieldsOfItsDumpCount) {
    b.outputSolo[1] = 1;      // kept on the PC only
    b.lastManualScene = 2;    // kept on the PC only
    b.noiseGate[0].spare = 9; // never sent
    b.filter[5].slope = 1;    // the dump carries only the selectable slopes
    b.filter[4].userQ = 3;    // ... and the Subwoofer's user Q
    b.currentMode = 4;        // reported in the dump
    DiffScope scope;
    scope.dumpOnly = true;
    std::vector<std::string> got;
    for (const RecordChange& r : diffStores(a, b, scope).records)
        got.push_back(r.record);
    EXPECT_EQ(got, (std::vector<std::string>{"filter[4]", "currentMode"}));
    EXPECT_EQ(diffStores(a, b).fieldCount, 6);
}

} // namespace
} // namespace zel
