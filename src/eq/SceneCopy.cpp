// Scene-bank copy and EQ reset on the live store, with the curve-model re-attachment.
#include "eq/SceneCopy.h"

#include "eq/CurveModels.h"
#include "model/Defaults.h"
#include "model/StoreWrite.h"

#include <cassert>

namespace zel {

namespace {

void copyBanks(bool toDance) {
    // Every pair of the bank table, in its order, records whole. The port thread may be
    // reading the store meanwhile, so the copy goes through the write path.
    auto* store = reinterpret_cast<std::uint8_t*>(&liveParams);
    for (const BankedRun& r : kBankedRuns) {
        const BankedBytes b = bytesOf(r);
        if (toDance)
            storeCopy(store + b.dance, store + b.singing, b.size);
        else
            storeCopy(store + b.singing, store + b.dance, b.size);
    }
    // The models end on the target bank's records, bands and crossovers alike.
    for (int blockId = 0; blockId < kEqBlockCount; ++blockId)
        if (isSceneBlock(blockId))
            attachBlock(blockId, toDance);
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
        if (liveParams.scene != 1 && liveParams.scene != 2)
            return;
        bands = &sceneEqBand(liveParams, s.firstBand, liveParams.scene);
    }
    CKTVEQ& m = curveModel(blockId);
    for (int i = 0; i < s.bandCount; ++i) {
        storeWrite(bands[i], defaultBand(section, i));
        m.filterAt(i)->bindBand(&bands[i]);
    }
}

} // namespace zel
