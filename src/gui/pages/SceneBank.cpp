// SceneBank: the Dance layout of the store (DanceBank and the Dance bypass flags) as the
// pages look it up.
#include "gui/pages/SceneBank.h"

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

EqBand* bankBands(int blockId, int bank) {
    const EqSection& s = kEqSections[sectionOfBlock(blockId)];
    if (bank == 1 && s.danceFirst >= 0)
        return &liveParams.dance.eqBand[s.danceFirst];
    return &liveParams.eqBand[s.firstBand];
}

FilterParams* bankFilter(int filterIndex, int bank) {
    if (bank == 1)
        for (int j = 0; j < 4; ++j)
            if (kDanceFilterIndex[j] == filterIndex)
                return &liveParams.dance.filter[j];
    return &liveParams.filter[filterIndex];
}

std::uint8_t* bankEqBypass(int blockId, int bank) {
    const int section = sectionOfBlock(blockId);
    if (bank == 1)
        for (int j = 0; j < 5; ++j)
            if (kDanceEqBypassIndex[j] == section)
                return &liveParams.danceEqBypass[j];
    return &liveParams.eqBypass[section];
}

namespace {

// DanceBank's copies: byteParam[10..25] and phase[8..23].
constexpr int kDanceByteParamFirst = 10;
constexpr int kDancePhaseFirst = 8;
constexpr int kDanceCopies = 16;

} // namespace

std::uint8_t* bankByteParam(int index, int bank) {
    const int j = index - kDanceByteParamFirst;
    if (bank == 1 && j >= 0 && j < kDanceCopies)
        return &liveParams.dance.byteParam[j];
    return &liveParams.byteParam[index];
}

std::uint8_t* bankPhase(int index, int bank) {
    const int j = index - kDancePhaseFirst;
    if (bank == 1 && j >= 0 && j < kDanceCopies)
        return &liveParams.dance.phase[j];
    return &liveParams.phase[index];
}

} // namespace zel
