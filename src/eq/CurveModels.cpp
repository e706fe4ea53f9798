// The fifteen EQ curve models and the records each one is attached to.
#include "eq/CurveModels.h"

#include "model/Defaults.h"

#include <array>
#include <cassert>

namespace zel {

namespace {

// Crossover code and filter records of each EqBlockId; -1 where the block has none.
struct BlockCrossovers {
    int xoverCode;
    int hpf; // filter[] index
    int lpf; // filter[] index
};
constexpr BlockCrossovers kBlocks[kEqBlockCount] = {
    {0, 0, -1},   // 0 music
    {1, 1, -1},   // 1 microphone A
    {2, 5, 9},    // 2 echo A pre-EQ
    {3, 6, 10},   // 3 reverb A pre-EQ
    {4, 2, -1},   // 4 microphone B
    {2, 7, 12},   // 5 echo B pre-EQ (the device treats it like echo A)
    {6, 8, 13},   // 6 reverb B pre-EQ
    {0, -1, -1},  // 7 Main
    {8, 3, -1},   // 8 Center
    {9, 4, 15},   // 9 Subwoofer
    {0, -1, -1},  // 10 Rear
    {11, -1, -1}, // 11 echo A post-EQ
    {12, -1, -1}, // 12 reverb A post-EQ
    {13, -1, -1}, // 13 echo B post-EQ
    {14, -1, -1}, // 14 reverb B post-EQ
};

constexpr int kBuildOrder[kEqBlockCount] = {0, 1, 4, 2, 11, 5, 13, 3, 12, 6, 14, 7, 8, 9, 10};

std::array<CKTVEQ, kEqBlockCount> g_models;
bool g_built = false;

struct BlockRecords {
    EqBand* bands;
    int bandCount;
    FilterParams* hpf;
    FilterParams* lpf;
};

BlockRecords recordsOf(int blockId, bool dance) {
    const EqSection& s = kEqSections[sectionOfBlock(blockId)];
    const BlockCrossovers& x = kBlocks[blockId];
    DeviceParams& p = liveParams;
    // The bank table decides which records have a Dance copy.
    const int scene = dance ? 2 : 1;
    return {&sceneEqBand(p, s.firstBand, scene), s.bandCount,
            x.hpf >= 0 ? &sceneFilter(p, x.hpf, scene) : nullptr,
            x.lpf >= 0 ? &sceneFilter(p, x.lpf, scene) : nullptr};
}

void attachBands(CKTVEQ& m, EqBand* bands) {
    for (int i = 0; i < m.bandCount(); ++i)
        m.filterAt(i)->bindBand(bands + i);
}

} // namespace

CKTVEQ& curveModel(int blockId) {
    assert(blockId >= 0 && blockId < kEqBlockCount);
    return g_models[static_cast<std::size_t>(blockId)];
}

void installCurveModels() {
    setCurveModelHooks({&buildCurveModels, &reattachSceneIndependentModels});
}

void buildCurveModels() {
    for (int id : kBuildOrder) {
        if (g_built) {
            attachBlock(id, false);
            continue;
        }
        const BlockRecords r = recordsOf(id, false);
        curveModel(id).build(r.bandCount, r.bands, kBlocks[id].xoverCode, r.hpf, r.lpf);
    }
    g_built = true;
}

void attachBlock(int blockId, bool dance) {
    CKTVEQ& m = curveModel(blockId);
    const BlockRecords r = recordsOf(blockId, dance);
    assert(m.bandCount() == r.bandCount && "curve models are built");
    attachBands(m, r.bands);
    if (r.hpf)
        m.highPass()->bindXover(r.hpf);
    if (r.lpf)
        m.lowPass()->bindXover(r.lpf);
}

void reattachSceneIndependentModels() {
    if (!g_built)
        return;
    for (int id = 0; id < kEqBlockCount; ++id) {
        if (!isSceneBlock(id))
            attachBlock(id, false);
    }
    curveModel(0).highPass()->bindXover(&liveParams.filter[0]);
}

} // namespace zel
