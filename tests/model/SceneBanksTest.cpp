// The bank table as a page sees it: the store field shown for each scene, at the first and
// last element of every run of Dance copies and next to them.
#include "model/SceneBanks.h"
#include "model/DeviceParams.h"

#include <gtest/gtest.h>

#include <functional>

namespace zel {
namespace {

TEST(SceneBanksTest, ASceneShowsTheDanceCopyWhereOneExistsElseTheFieldItself) {
    static DeviceParams p{};
    struct Case {
        const char* name;
        std::function<const void*(int scene)> field;
        const void* singing;
        const void* dance; // the field shown for scene 2
    };
    const Case cases[] = {
        {"mix level 9", [](int s) { return &sceneByteParam(p, 9, s); }, &p.byteParam[9],
         &p.byteParam[9]},
        {"mix level 10", [](int s) { return &sceneByteParam(p, 10, s); }, &p.byteParam[10],
         &p.dance.byteParam[0]},
        {"mix level 25", [](int s) { return &sceneByteParam(p, 25, s); }, &p.byteParam[25],
         &p.dance.byteParam[15]},
        {"music band 9", [](int s) { return &sceneEqBand(p, 9, s); }, &p.eqBand[9],
         &p.dance.eqBand[9]},
        {"echo pre-EQ band 69", [](int s) { return &sceneEqBand(p, 69, s); }, &p.eqBand[69],
         &p.eqBand[69]},
        {"Main band 70", [](int s) { return &sceneEqBand(p, 70, s); }, &p.eqBand[70],
         &p.dance.eqBand[10]},
        {"Rear band 92", [](int s) { return &sceneEqBand(p, 92, s); }, &p.eqBand[92],
         &p.dance.eqBand[32]},
        {"post-EQ band 93", [](int s) { return &sceneEqBand(p, 93, s); }, &p.eqBand[93],
         &p.eqBand[93]},
        {"music high-pass", [](int s) { return &sceneFilter(p, 0, s); }, &p.filter[0],
         &p.dance.filter[0]},
        {"microphone A high-pass", [](int s) { return &sceneFilter(p, 1, s); }, &p.filter[1],
         &p.filter[1]},
        {"Center high-pass", [](int s) { return &sceneFilter(p, 3, s); }, &p.filter[3],
         &p.dance.filter[1]},
        {"Subwoofer high-pass", [](int s) { return &sceneFilter(p, 4, s); }, &p.filter[4],
         &p.dance.filter[2]},
        {"Subwoofer low-pass", [](int s) { return &sceneFilter(p, 15, s); }, &p.filter[15],
         &p.dance.filter[3]},
        {"polarity 7", [](int s) { return &scenePhase(p, 7, s); }, &p.phase[7], &p.phase[7]},
        {"polarity 8", [](int s) { return &scenePhase(p, 8, s); }, &p.phase[8], &p.dance.phase[0]},
        {"polarity 23", [](int s) { return &scenePhase(p, 23, s); }, &p.phase[23],
         &p.dance.phase[15]},
        {"music bypass", [](int s) { return &sceneEqBypass(p, 0, s); }, &p.eqBypass[0],
         &p.danceEqBypass[0]},
        {"microphone A bypass", [](int s) { return &sceneEqBypass(p, 1, s); }, &p.eqBypass[1],
         &p.eqBypass[1]},
        {"Main bypass", [](int s) { return &sceneEqBypass(p, 7, s); }, &p.eqBypass[7],
         &p.danceEqBypass[1]},
        {"Rear bypass", [](int s) { return &sceneEqBypass(p, 10, s); }, &p.eqBypass[10],
         &p.danceEqBypass[4]},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.field(1), c.singing) << c.name;
        EXPECT_EQ(c.field(2), c.dance) << c.name;
        EXPECT_EQ(c.field(0), c.singing) << c.name << ": Auto edits no Dance copy";
    }
}

} // namespace
} // namespace zel
