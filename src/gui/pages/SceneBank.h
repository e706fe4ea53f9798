// SceneBank: which store records a page edits for the music scene in force. The pages ask
// here, and this asks the store's scene-bank table, so no page spells the Dance layout out.
#pragma once

#include "model/DeviceParams.h"

namespace zel {

// The bank the pages edit: 0 the Singing records, 1 the Dance copies, -1 while the scene is
// Auto (scene-dependent controls are locked then).
int sceneBank();

// The first band record of EQ block blockId (EqBlockId) in that bank. Blocks without a Dance
// copy, and bank -1, give the Singing records.
EqBand* bankBands(int blockId, int bank);
// Crossover record filter[filterIndex] in that bank.
FilterParams* bankFilter(int filterIndex, int bank);
// The EQ bypass flag of block blockId in that bank.
std::uint8_t* bankEqBypass(int blockId, int bank);
// An output level byteParam[index] and an output polarity phase[index] in that bank; fields
// without a Dance copy give the Singing record.
std::uint8_t* bankByteParam(int index, int bank);
std::uint8_t* bankPhase(int index, int bank);

} // namespace zel
