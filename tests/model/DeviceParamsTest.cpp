#include "model/Defaults.h"
#include "model/Globals.h"

#include <gtest/gtest.h>

#include <cstring>

namespace zel {
namespace {

const std::uint8_t* bytes(const DeviceParams& p) {
    return reinterpret_cast<const std::uint8_t*>(&p);
}

TEST(DeviceParams, U16FieldsAreLittleEndianInTheRecord) {
    DeviceParams p{};
    p.eqBand[0].freq = 0x0102;
    p.timeParam[13] = 0xBEEF;
    EXPECT_EQ(bytes(p)[40], 0x02);
    EXPECT_EQ(bytes(p)[41], 0x01);
    EXPECT_EQ(bytes(p)[902 + 26], 0xEF);
    EXPECT_EQ(bytes(p)[902 + 27], 0xBE);
    EXPECT_EQ(p.timeParam[13], 0xBEEF);
}

TEST(DeviceParams, SetMasterVolumeKeepsTheMuteFlagInStep) {
    DeviceParams p{};
    setMasterVolume(p, 1, 0);
    EXPECT_EQ(p.masterMute[1], 1);
    setMasterVolume(p, 1, 7);
    EXPECT_EQ(p.masterMute[1], 0);
    EXPECT_EQ(p.masterVolume[1], 7);
    EXPECT_EQ(p.masterMute[0], 0) << "other channels untouched";
}

TEST(Defaults, BandsFiltersAndBypassFlags) {
    g_currentPage = 5;
    initDefaults();
    const DeviceParams& p = liveParams;
    EXPECT_EQ(g_currentPage, 0);
    EXPECT_EQ(p.eqBand[12].freq, 47);
    EXPECT_EQ(p.eqBand[12].gain, 240);
    EXPECT_EQ(p.eqBand[12].q, 10);
    EXPECT_EQ(p.eqBand[12].type, 0);
    EXPECT_EQ(p.eqBand[80].freq, 11);
    EXPECT_EQ(p.eqBand[81].freq, 51);
    EXPECT_EQ(p.eqBand[82].freq, 91);
    EXPECT_EQ(p.eqBypass[13], 1);
    EXPECT_EQ(p.eqBypass[14], 0);
    EXPECT_EQ(p.filter[15].freq, 143);
    EXPECT_EQ(p.dance.filter[3].freq, 143);
    EXPECT_EQ(p.filter[12].freq, 298);
    EXPECT_EQ(p.filter[0].freq, 0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(p.masterVolume[i], 0);
        EXPECT_EQ(p.masterMute[i], 1);
    }
    const std::uint8_t limits[6] = {0, 84, 0, 84, 0, 70};
    EXPECT_EQ(std::memcmp(p.volumeLimit, limits, 6), 0);
    EXPECT_EQ(p.scene, 1);
    EXPECT_EQ(p.lastManualScene, 1);
    EXPECT_EQ(p.currentMode, 1);
    EXPECT_EQ(p.spare981 | p.spare1417 | p.spare1423, 0);
    EXPECT_EQ(std::memcmp(&liveParams, &sentParams, sizeof(DeviceParams)), 0);
}

TEST(Defaults, EverySectionStartsAtItsTableFrequenciesInBothBanks) {
    initDefaults();
    struct Case {
        int firstBand, count, step, danceFirst;
    };
    // Frequency indices from the default-band tables: 10 bands every 36th index from 11,
    // 20 bands every 18th, 5 bands every 72nd; the Subwoofer's three are irregular.
    const Case cases[] = {{0, 10, 36, 0},  {10, 20, 18, -1}, {30, 20, 18, -1}, {50, 5, 72, -1},
                          {70, 5, 72, 10}, {75, 5, 72, 15},  {83, 10, 36, 23}, {123, 10, 36, -1}};
    for (const Case& c : cases) {
        for (int b = 0; b < c.count; ++b) {
            EXPECT_EQ(liveParams.eqBand[c.firstBand + b].freq, 11 + c.step * b) << c.firstBand;
            if (c.danceFirst >= 0) {
                EXPECT_EQ(liveParams.dance.eqBand[c.danceFirst + b].freq, 11 + c.step * b);
            }
        }
    }
}

TEST(Defaults, SyncSentCopiesTheWholeRecord) {
    initDefaults();
    liveParams.spare1417 = 9;
    liveParams.dance.phase[15] = 1;
    syncSent();
    EXPECT_EQ(std::memcmp(&liveParams, &sentParams, sizeof(DeviceParams)), 0);
}

} // namespace
} // namespace zel
