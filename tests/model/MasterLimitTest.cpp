// The master-level limit: levels above a limit come down to it, a mute already set survives,
// and a control asking for more than the limit gets the limit.
#include "model/MasterLimit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

namespace zel {
namespace {

TEST(MasterLimit, ClampLowersOnlyALevelAboveTheLimitAndNeverUnmutes) {
    struct Case {
        std::uint8_t level;
        std::uint8_t mute;
        std::uint8_t limit;
        bool changed;
        std::uint8_t wantLevel;
        std::uint8_t wantMute;
    };
    const Case cases[] = {
        {60, 0, 40, true, 40, 0},  // pulled down, still sounding
        {60, 0, 0, true, 0, 1},    // a limit of 0 mutes
        {60, 1, 40, true, 40, 1},  // muted by the operator: stays muted
        {40, 0, 40, false, 40, 0}, // at the limit: untouched
        {0, 1, 84, false, 0, 1},   // under it: untouched
    };
    for (const Case& c : cases) {
        DeviceParams p{};
        p.masterVolume[1] = c.level;
        p.masterMute[1] = c.mute;
        p.masterVolume[0] = p.masterVolume[2] = 70;
        EXPECT_EQ(clampMasterVolume(p, 1, c.limit), c.changed) << int(c.level);
        EXPECT_EQ(p.masterVolume[1], c.wantLevel) << int(c.level);
        EXPECT_EQ(p.masterMute[1], c.wantMute) << int(c.level);
        EXPECT_EQ(p.masterVolume[0], 70);
        EXPECT_EQ(p.masterVolume[2], 70);
    }
}

TEST(MasterLimit, EveryGroupFollowsItsOwnLimitVolumeNotItsStartVolume) {
    DeviceParams p{};
    DeviceParams limits{};
    const std::uint8_t levels[3] = {50, 50, 50};
    const std::uint8_t limitVolumes[6] = {0, 30, 10, 84, 0, 0}; // (start, limit) pairs
    std::copy(std::begin(levels), std::end(levels), p.masterVolume);
    std::copy(std::begin(limitVolumes), std::end(limitVolumes), limits.volumeLimit);
    clampMasterVolumes(p, limits);
    EXPECT_EQ(p.masterVolume[0], 30);
    EXPECT_EQ(p.masterVolume[1], 50);
    EXPECT_EQ(p.masterVolume[2], 0);
    EXPECT_EQ(p.masterMute[0], 0);
    EXPECT_EQ(p.masterMute[2], 1);
}

TEST(MasterLimit, ControlLevelStaysWithinZeroAndTheGroupsLimit) {
    DeviceParams p{};
    p.volumeLimit[masterLimitIndex(2)] = 55;
    EXPECT_EQ(limitedMasterLevel(p, 2, 70), 55);
    EXPECT_EQ(limitedMasterLevel(p, 2, 20), 20);
    EXPECT_EQ(limitedMasterLevel(p, 2, -3), 0);
    EXPECT_EQ(limitedMasterLevel(p, 0, 1), 0) << "music limit 0";
}

} // namespace
} // namespace zel
