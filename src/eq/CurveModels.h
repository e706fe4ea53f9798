// The fifteen program-wide EQ curve models, one per EqBlockId, and their attachment to the
// records of the live parameter store.
#pragma once

#include "eq/KTVEQ.h"
#include "model/DeviceParams.h"

namespace zel {

inline constexpr int kEqBlockCount = 15;

// The curve model of EqBlockId blockId (0..14).
CKTVEQ& curveModel(int blockId);

// True for the music and output blocks (0, 7, 8, 9, 10), whose records exist in both scene
// banks.
constexpr bool isSceneBlock(int blockId) {
    return kEqSections[sectionOfBlock(blockId)].danceFirst >= 0;
}

// Installs the curve-model steps of initDefaults and syncSent (buildCurveModels and
// reattachSceneIndependentModels). The program calls it once at start-up, before
// initDefaults; tests call it before their first initDefaults.
void installCurveModels();

// Builds the fifteen models on the live store's Singing records, in start-up order. A later
// call (the store re-initialised) re-attaches every model to those records instead, so the
// filter objects the graph points at stay the same.
void buildCurveModels();

// After the live store was replaced wholesale: re-attach the blocks that have one bank
// (microphones, echo and reverb pre- and post-EQs) and the music high-pass to their records.
// The music bands and the output blocks are left to their pages, which attach the bank of
// the current scene.
void reattachSceneIndependentModels();

// Attaches every filter of block blockId to its records in the live store: the Dance bank
// when dance is set and the block has one (isSceneBlock), else the Singing records.
void attachBlock(int blockId, bool dance);

} // namespace zel
