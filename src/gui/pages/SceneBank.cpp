// SceneBank: the pages' view of the scene banks - which bank the scene on show edits - over
// the store's one table of Dance copies.
#include "gui/pages/SceneBank.h"

#include "model/SceneBanks.h"
#include "model/StoreWrite.h"

namespace zel {

int sceneBank() {
    switch (storeRead(liveParams.scene)) {
    case 1:
        return 0;
    case 2:
        return 1;
    default:
        return -1;
    }
}

namespace {

// Bank 1 is the Dance scene's; every other bank edits the Singing field.
int sceneOf(int bank) {
    return bank == 1 ? 2 : 1;
}

} // namespace

EqBand* bankBands(int blockId, int bank) {
    return &sceneEqBand(liveParams, kEqSections[sectionOfBlock(blockId)].firstBand, sceneOf(bank));
}

FilterParams* bankFilter(int filterIndex, int bank) {
    return &sceneFilter(liveParams, filterIndex, sceneOf(bank));
}

std::uint8_t* bankEqBypass(int blockId, int bank) {
    return &sceneEqBypass(liveParams, sectionOfBlock(blockId), sceneOf(bank));
}

std::uint8_t* bankByteParam(int index, int bank) {
    return &sceneByteParam(liveParams, index, sceneOf(bank));
}

std::uint8_t* bankPhase(int index, int bank) {
    return &scenePhase(liveParams, index, sceneOf(bank));
}

} // namespace zel
