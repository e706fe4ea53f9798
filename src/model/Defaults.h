// Factory defaults of the parameter store and the hand-over of a wholly replaced store.
#pragma once

#include "model/DeviceParams.h"

#include <array>
#include <cstdint>

namespace zel {

// Default band frequencies in Hz, by the number of bands of a section.
inline constexpr std::array<double, 10> kDefaultFreqs10 = {24.3, 48.7, 97,   195,  389,
                                                           779,  1560, 3110, 6230, 12500};
inline constexpr std::array<double, 20> kDefaultFreqs20 = {
    24.3, 34.4, 48.7, 68.8, 97,   138,  195,  275,  389,   551,
    779,  1100, 1560, 2200, 3110, 4400, 6230, 8810, 12500, 17600};
inline constexpr std::array<double, 5> kDefaultFreqs5 = {24.3, 97, 389, 1560, 6230};
inline constexpr std::array<double, 3> kDefaultFreqs3 = {24.3, 52.6, 114};

// The default passwords of a new device: keyboard lock 1234, administrator 888888.
inline constexpr std::uint8_t kDefaultKeyLockPassword[4] = {1, 2, 3, 4};
inline constexpr std::uint8_t kDefaultAdminPassword[6] = {8, 8, 8, 8, 8, 8};

// The default band of band `band` (0-based) of EQ section `section`.
EqBand defaultBand(int section, int band);

// Writes the factory defaults into p; every byte the defaults do not name becomes 0.
void fillDefaults(DeviceParams& p);

// Start-up: the live store gets its defaults, the page on show becomes 0, the curve
// models are built and sentParams becomes equal to the live store.
void initDefaults();

// After the live store was replaced wholesale (a dump, a full mode load): sentParams
// becomes equal to it, so nothing is sent back, and the scene-independent curve models
// take the new values.
void syncSent();

// Curve-model steps of initDefaults and syncSent, installed by the EQ layer, which sits
// above the store. Either may be null.
struct CurveModelHooks {
    void (*build)() = nullptr;    // build the fifteen models on the live store
    void (*reattach)() = nullptr; // re-attach the scene-independent models
};
void setCurveModelHooks(CurveModelHooks hooks);

// Re-attaches the scene-independent curve models without touching sentParams: a partial
// mode load has already written its fields into both copies.
void reattachCurveModels();

} // namespace zel
