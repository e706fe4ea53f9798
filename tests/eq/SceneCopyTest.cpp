#include "eq/SceneCopy.h"

#include "eq/CurveModels.h"
#include "model/Defaults.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

namespace zel {
namespace {

const std::uint8_t* bytesOf(const DeviceParams& p) {
    return reinterpret_cast<const std::uint8_t*>(&p);
}

bool isDanceByte(std::size_t offset) {
    const std::size_t bank = offsetof(DeviceParams, dance);
    const std::size_t bypass = offsetof(DeviceParams, danceEqBypass);
    return (offset >= bank && offset < bank + sizeof(DanceBank)) ||
           (offset >= bypass && offset < bypass + sizeof DeviceParams::danceEqBypass);
}

// Singing field and Dance field of every scene-dependent pair, as byte ranges.
struct Pair {
    std::size_t singing;
    std::size_t dance;
    std::size_t size;
};
std::vector<Pair> scenePairs() {
    auto at = [](const void* field) {
        return static_cast<std::size_t>(static_cast<const std::uint8_t*>(field) -
                                        bytesOf(liveParams));
    };
    const DeviceParams& p = liveParams;
    return {
        {at(&p.byteParam[10]), at(&p.dance.byteParam[0]), 16},
        {at(&p.eqBand[0]), at(&p.dance.eqBand[0]), 10 * sizeof(EqBand)},
        {at(&p.eqBand[70]), at(&p.dance.eqBand[10]), 23 * sizeof(EqBand)},
        {at(&p.filter[0]), at(&p.dance.filter[0]), sizeof(FilterParams)},
        {at(&p.filter[3]), at(&p.dance.filter[1]), 2 * sizeof(FilterParams)},
        {at(&p.filter[15]), at(&p.dance.filter[3]), sizeof(FilterParams)},
        {at(&p.phase[8]), at(&p.dance.phase[0]), 16},
        {at(&p.eqBypass[0]), at(&p.danceEqBypass[0]), 1},
        {at(&p.eqBypass[7]), at(&p.danceEqBypass[1]), 4},
    };
}

class SceneOps : public ::testing::Test {
protected:
    void SetUp() override {
        installCurveModels();
        initDefaults();
    }
    // Distinct small values everywhere, so a wrong pairing or a stray byte shows.
    static void scramble(DeviceParams& p, int seed) {
        auto* b = reinterpret_cast<std::uint8_t*>(&p);
        for (std::size_t i = 0; i < sizeof p; ++i)
            b[i] = static_cast<std::uint8_t>((i * 7 + static_cast<std::size_t>(seed)) % 29);
    }
    static void expectModelsOn(bool dance) {
        for (int id : {0, 7, 8, 9, 10}) {
            const EqSection& s = kEqSections[sectionOfBlock(id)];
            for (int i = 0; i < s.bandCount; ++i) {
                const EqBand* expected = dance ? &liveParams.dance.eqBand[s.danceFirst + i]
                                               : &liveParams.eqBand[s.firstBand + i];
                EXPECT_EQ(curveModel(id).filterAt(i)->band(), expected) << "block " << id;
            }
        }
        const DeviceParams& p = liveParams;
        EXPECT_EQ(curveModel(0).highPass()->xover(), dance ? &p.dance.filter[0] : &p.filter[0]);
        EXPECT_EQ(curveModel(8).highPass()->xover(), dance ? &p.dance.filter[1] : &p.filter[3]);
        EXPECT_EQ(curveModel(9).highPass()->xover(), dance ? &p.dance.filter[2] : &p.filter[4]);
        EXPECT_EQ(curveModel(9).lowPass()->xover(), dance ? &p.dance.filter[3] : &p.filter[15]);
    }
};

TEST_F(SceneOps, CopySingingToDanceCopiesEveryPairAndNothingElse) {
    scramble(liveParams, 3);
    liveParams.filter[15].freq = 200; // Subwoofer low-pass, user 24 dB type, user Q 7
    liveParams.filter[15].slope = 3;
    liveParams.filter[15].userQ = 7;
    const DeviceParams before = liveParams;
    copySingingToDance();

    for (const Pair& pr : scenePairs())
        EXPECT_EQ(
            std::memcmp(bytesOf(liveParams) + pr.dance, bytesOf(before) + pr.singing, pr.size), 0)
            << "Singing offset " << pr.singing;
    for (std::size_t i = 0; i < sizeof(DeviceParams); ++i)
        if (!isDanceByte(i)) {
            ASSERT_EQ(bytesOf(liveParams)[i], bytesOf(before)[i]) << "offset " << i;
        }
    EXPECT_EQ(liveParams.dance.filter[3].freq, 200);
    EXPECT_EQ(liveParams.dance.filter[3].slope, 3);
    EXPECT_EQ(liveParams.dance.filter[3].userQ, 7);
    expectModelsOn(true);
}

TEST_F(SceneOps, CopyDanceToSingingGoesTheOtherWay) {
    scramble(liveParams, 11);
    const DeviceParams before = liveParams;
    copySingingToDance(); // models on the Dance bank
    liveParams = before;
    copyDanceToSinging();

    for (const Pair& pr : scenePairs())
        EXPECT_EQ(
            std::memcmp(bytesOf(liveParams) + pr.singing, bytesOf(before) + pr.dance, pr.size), 0)
            << "Singing offset " << pr.singing;
    for (std::size_t i = 0; i < sizeof(DeviceParams); ++i) {
        bool paired = false;
        for (const Pair& pr : scenePairs())
            paired = paired || (i >= pr.singing && i < pr.singing + pr.size);
        if (!paired) {
            ASSERT_EQ(bytesOf(liveParams)[i], bytesOf(before)[i]) << "offset " << i;
        }
    }
    expectModelsOn(false);
}

TEST_F(SceneOps, ResetEqOfASceneBlockResetsTheCurrentBankOnly) {
    for (EqBand& b : liveParams.eqBand)
        b.gain = 300;
    for (EqBand& b : liveParams.dance.eqBand)
        b.gain = 300;
    liveParams.dance.filter[3].freq = 77;
    liveParams.scene = 2;
    const DeviceParams before = liveParams;
    resetEq(9);

    const int freqs[] = {11, 51, 91};
    for (int i = 0; i < 3; ++i) {
        const EqBand& b = liveParams.dance.eqBand[20 + i];
        EXPECT_EQ(b.freq, freqs[i]);
        EXPECT_EQ(b.gain, 240);
        EXPECT_EQ(b.q, 10);
        EXPECT_EQ(b.type, 0);
        EXPECT_EQ(curveModel(9).filterAt(i)->band(), &b);
        EXPECT_EQ(curveModel(9).filterAt(i)->levelDb()[200], 0.0);
    }
    // Everything but those three bands is untouched: Singing bands and the crossovers too.
    DeviceParams expected = before;
    for (int i = 0; i < 3; ++i)
        expected.dance.eqBand[20 + i] = liveParams.dance.eqBand[20 + i];
    EXPECT_EQ(std::memcmp(&expected, &liveParams, sizeof expected), 0);
}

TEST_F(SceneOps, ResetEqInAutoLeavesSceneBlocksAlone) {
    for (EqBand& b : liveParams.eqBand)
        b.gain = 300;
    liveParams.scene = 0;
    const DeviceParams before = liveParams;
    for (int id : {0, 7, 8, 9, 10})
        resetEq(id);
    EXPECT_EQ(std::memcmp(&before, &liveParams, sizeof before), 0);

    resetEq(4); // microphone B has one bank: reset whatever the scene
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(liveParams.eqBand[30 + i].gain, 240);
        EXPECT_EQ(liveParams.eqBand[30 + i].freq, defaultBand(2, i).freq);
    }
    EXPECT_EQ(liveParams.eqBand[29].gain, 300);
    EXPECT_EQ(liveParams.eqBand[50].gain, 300);
}

TEST_F(SceneOps, ResetEqInSingingReattachesTheSingingBank) {
    copySingingToDance(); // models now on the Dance bank
    liveParams.scene = 1;
    resetEq(0);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(curveModel(0).filterAt(i)->band(), &liveParams.eqBand[i]);
}

} // namespace
} // namespace zel
