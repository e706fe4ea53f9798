// The bank table as a page sees it: the store field shown for each scene, at the first and
// last element of every run of Dance copies and next to them.
#include "model/SceneBanks.h"
#include "model/DeviceParams.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

// The field shown for a scene, by array.
const void* shown(DeviceParams& p, BankedArray array, int index, int scene) {
    switch (array) {
    case BankedArray::ByteParam:
        return &sceneByteParam(p, index, scene);
    case BankedArray::EqBand:
        return &sceneEqBand(p, index, scene);
    case BankedArray::Filter:
        return &sceneFilter(p, index, scene);
    case BankedArray::Phase:
        return &scenePhase(p, index, scene);
    case BankedArray::EqBypass:
        break;
    }
    return &sceneEqBypass(p, index, scene);
}

TEST(SceneBanksTest, ASceneShowsTheDanceCopyWhereOneExistsElseTheFieldItself) {
    static DeviceParams p{};
    using A = BankedArray;
    struct Case {
        A array;
        int index;
        const void* dance; // the field shown for scene 2
        const void* singing;
    };
    const Case cases[] = {
        {A::ByteParam, 9, &p.byteParam[9], &p.byteParam[9]},
        {A::ByteParam, 10, &p.dance.byteParam[0], &p.byteParam[10]},
        {A::ByteParam, 25, &p.dance.byteParam[15], &p.byteParam[25]},
        {A::EqBand, 9, &p.dance.eqBand[9], &p.eqBand[9]},    // music
        {A::EqBand, 69, &p.eqBand[69], &p.eqBand[69]},       // reverb B pre-EQ
        {A::EqBand, 70, &p.dance.eqBand[10], &p.eqBand[70]}, // Main
        {A::EqBand, 92, &p.dance.eqBand[32], &p.eqBand[92]}, // Rear
        {A::EqBand, 93, &p.eqBand[93], &p.eqBand[93]},       // echo A post-EQ
        {A::Filter, 0, &p.dance.filter[0], &p.filter[0]},    // music high-pass
        {A::Filter, 1, &p.filter[1], &p.filter[1]},          // microphone A high-pass
        {A::Filter, 3, &p.dance.filter[1], &p.filter[3]},    // Center high-pass
        {A::Filter, 4, &p.dance.filter[2], &p.filter[4]},    // Subwoofer high-pass
        {A::Filter, 15, &p.dance.filter[3], &p.filter[15]},  // Subwoofer low-pass
        {A::Phase, 7, &p.phase[7], &p.phase[7]},
        {A::Phase, 8, &p.dance.phase[0], &p.phase[8]},
        {A::Phase, 23, &p.dance.phase[15], &p.phase[23]},
        {A::EqBypass, 0, &p.danceEqBypass[0], &p.eqBypass[0]},   // music
        {A::EqBypass, 1, &p.eqBypass[1], &p.eqBypass[1]},        // microphone A
        {A::EqBypass, 7, &p.danceEqBypass[1], &p.eqBypass[7]},   // Main
        {A::EqBypass, 10, &p.danceEqBypass[4], &p.eqBypass[10]}, // Rear
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << int(c.array) << "[" << c.index << "]");
        EXPECT_EQ(shown(p, c.array, c.index, 2), c.dance);
        EXPECT_EQ(shown(p, c.array, c.index, 1), c.singing);
        EXPECT_EQ(shown(p, c.array, c.index, 0), c.singing) << "Auto edits no Dance copy";
    }
}

} // namespace
} // namespace zel
