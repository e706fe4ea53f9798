// Scene-bank copy and EQ reset on the live store, with the curve-model re-attachment.
#include "eq/SceneCopy.h"

#include "eq/CurveModels.h"
#include "model/Defaults.h"
#include "model/StoreWrite.h"

#include <cassert>

namespace zel {

namespace {

// Singing filter[] index of each dance.filter[] element.
constexpr int kSceneFilters[4] = {0, 3, 4, 15};
constexpr int kSceneBandBlocks[5] = {0, 7, 8, 9, 10}; // music, Main, Center, Subwoofer, Rear

// The port thread may be reading the store meanwhile: the copy goes through the write path.
template <typename T> void copyRecords(T* to, const T* from, std::size_t count) {
    storeCopy(to, from, count * sizeof(T));
}

void copyBanks(bool toDance) {
    DeviceParams& p = liveParams;
    auto copy = [toDance](auto* singing, auto* dance, std::size_t count) {
        if (toDance)
            copyRecords(dance, singing, count);
        else
            copyRecords(singing, dance, count);
    };

    copy(&p.byteParam[10], &p.dance.byteParam[0], 16);

    // Each band group is followed by its model, so the graph never shows a bank half copied.
    for (int blockId : kSceneBandBlocks) {
        const EqSection& s = kEqSections[sectionOfBlock(blockId)];
        copy(&p.eqBand[s.firstBand], &p.dance.eqBand[s.danceFirst],
             static_cast<std::size_t>(s.bandCount));
        CKTVEQ& m = curveModel(blockId);
        EqBand* target = toDance ? &p.dance.eqBand[s.danceFirst] : &p.eqBand[s.firstBand];
        for (int i = 0; i < s.bandCount; ++i)
            m.filterAt(i)->bindBand(target + i);
    }

    for (int k = 0; k < 4; ++k)
        copy(&p.filter[kSceneFilters[k]], &p.dance.filter[k], 1);
    curveModel(0).highPass()->bindXover(toDance ? &p.dance.filter[0] : &p.filter[0]);
    curveModel(8).highPass()->bindXover(toDance ? &p.dance.filter[1] : &p.filter[3]);
    curveModel(9).highPass()->bindXover(toDance ? &p.dance.filter[2] : &p.filter[4]);
    curveModel(9).lowPass()->bindXover(toDance ? &p.dance.filter[3] : &p.filter[15]);

    copy(&p.phase[8], &p.dance.phase[0], 16);
    copy(&p.eqBypass[0], &p.danceEqBypass[0], 1);
    copy(&p.eqBypass[7], &p.danceEqBypass[1], 4);
}

} // namespace

void copySingingToDance() {
    copyBanks(true);
}

void copyDanceToSinging() {
    copyBanks(false);
}

void resetEq(int blockId) {
    assert(blockId >= 0 && blockId < kEqBlockCount);
    const int section = sectionOfBlock(blockId);
    const EqSection& s = kEqSections[section];
    EqBand* bands = &liveParams.eqBand[s.firstBand];
    if (isSceneBlock(blockId)) {
        // No bank is edited in Auto.
        if (liveParams.scene == 2)
            bands = &liveParams.dance.eqBand[s.danceFirst];
        else if (liveParams.scene != 1)
            return;
    }
    CKTVEQ& m = curveModel(blockId);
    for (int i = 0; i < s.bandCount; ++i) {
        storeWrite(bands[i], defaultBand(section, i));
        m.filterAt(i)->bindBand(&bands[i]);
    }
}

} // namespace zel
