// DeviceParams: the packed 1424-byte record of every processor parameter. Its field order
// is the device's parameter order and its bytes are the payload of a mode file, so every
// offset below is part of the file format and of the dump.
#pragma once

#include "model/SceneBanks.h"

#include <cstddef>
#include <cstdint>

namespace zel {

// A 16-bit value stored low byte first on every host. Alignment 1, so the record has no
// padding anywhere.
struct U16le {
    std::uint8_t bytes[2];

    constexpr operator std::uint16_t() const {
        return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
    }
    constexpr U16le& operator=(std::uint16_t v) {
        bytes[0] = static_cast<std::uint8_t>(v & 0xFF);
        bytes[1] = static_cast<std::uint8_t>(v >> 8);
        return *this;
    }
};
static_assert(sizeof(U16le) == 2 && alignof(U16le) == 1);

// One parametric EQ band.
struct EqBand {
    U16le freq;        // index into FreqTable, 0..361
    U16le gain;        // 0..360, dB = index * 0.1 - 24 (240 = 0 dB)
    std::uint8_t q;    // index into QTable, 0..100
    std::uint8_t type; // 0 peaking, 1 low shelf, 2 high shelf
};
static_assert(sizeof(EqBand) == 6);

// One crossover (high-pass / low-pass / high-damp) filter.
struct FilterParams {
    U16le freq;         // index into XoverFreqTable, 0..362; 0 = off
    std::uint8_t slope; // 0/1 = 12/24 dB per octave, or the Subwoofer crossover type 0..4
    std::uint8_t userQ; // index into UserQTable, Subwoofer user types only
};
static_assert(sizeof(FilterParams) == 4);

struct CompressorParams {
    std::uint8_t threshold; // shown as "Attack Level"
    std::uint8_t attack;    // AttackTimeTable
    std::uint8_t release;   // CompReleaseTable
    std::uint8_t ratio;     // RatioTable
};
static_assert(sizeof(CompressorParams) == 4);

struct NoiseGateParams {
    std::uint8_t threshold;
    std::uint8_t attack;  // AttackTimeTable
    std::uint8_t release; // GateReleaseTable
    std::uint8_t spare;   // never sent
};
static_assert(sizeof(NoiseGateParams) == 4);

inline constexpr int kEqBandCount = 133;
inline constexpr int kDanceEqBandCount = 33;
inline constexpr int kModeCount = 6;
inline constexpr int kModeNameLength = 20;

// The Dance copies of the scene-dependent fields, in the order of kBankedRuns within each
// array. The device keeps currentMode and a spare byte between this group and the Dance EQ
// bypass flags, so those flags live outside it (DeviceParams::danceEqBypass, named
// "dance.eqBypass" in the field table).
struct DanceBank {
    std::uint8_t byteParam[16];
    EqBand eqBand[kDanceEqBandCount];
    FilterParams filter[4];
    std::uint8_t phase[16];
};
static_assert(sizeof(DanceBank) == 246);
static_assert(danceCount(BankedArray::ByteParam) == 16 &&
              danceCount(BankedArray::EqBand) == kDanceEqBandCount &&
              danceCount(BankedArray::Filter) == 4 && danceCount(BankedArray::Phase) == 16 &&
              danceCount(BankedArray::EqBypass) == 5);

struct DeviceParams {
    std::uint8_t masterVolume[3]; // 0 music, 1 microphone, 2 effect
    std::uint8_t masterMute[3];   // 1 exactly when the volume is 0
    std::uint8_t byteParam[34];
    EqBand eqBand[kEqBandCount];
    FilterParams filter[16];
    U16le timeParam[14];
    std::uint8_t fbeMode[2];
    CompressorParams compressor[7];
    std::uint8_t outputMute[6];
    std::uint8_t eqBypass[15];
    std::uint8_t spare981;
    NoiseGateParams noiseGate[3];
    std::uint8_t phase[28];
    std::uint8_t musicInputPort;
    std::uint8_t musicInputGain;
    std::uint8_t keyLockPassword[4];            // one decimal digit per byte
    std::uint8_t keyLockOff;                    // 0 = lock on, 1 = off
    std::uint8_t userMode;                      // 0 user, 1 administrator
    std::uint8_t adminPassword[6];              // one decimal digit per byte
    std::uint8_t volumeLimit[6];                // (start, limit) pairs: music, microphone, effect
    char modeName[kModeCount][kModeNameLength]; // space-padded, not terminated
    std::uint8_t outputSolo[6];
    std::uint8_t scene;           // 0 Auto, 1 Singing, 2 Dance
    std::uint8_t lastManualScene; // 1 or 2
    DanceBank dance;
    std::uint8_t currentMode;
    std::uint8_t spare1417;
    std::uint8_t danceEqBypass[5]; // eqBypass[0], [7..10]
    std::uint8_t spare1423;
};

inline constexpr std::size_t kDeviceParamsSize = 1424;
static_assert(sizeof(DeviceParams) == kDeviceParamsSize);
static_assert(alignof(DeviceParams) == 1);
static_assert(offsetof(DeviceParams, masterVolume) == 0);
static_assert(offsetof(DeviceParams, masterMute) == 3);
static_assert(offsetof(DeviceParams, byteParam) == 6);
static_assert(offsetof(DeviceParams, eqBand) == 40);
static_assert(offsetof(DeviceParams, filter) == 838);
static_assert(offsetof(DeviceParams, timeParam) == 902);
static_assert(offsetof(DeviceParams, fbeMode) == 930);
static_assert(offsetof(DeviceParams, compressor) == 932);
static_assert(offsetof(DeviceParams, outputMute) == 960);
static_assert(offsetof(DeviceParams, eqBypass) == 966);
static_assert(offsetof(DeviceParams, spare981) == 981);
static_assert(offsetof(DeviceParams, noiseGate) == 982);
static_assert(offsetof(DeviceParams, phase) == 994);
static_assert(offsetof(DeviceParams, musicInputPort) == 1022);
static_assert(offsetof(DeviceParams, musicInputGain) == 1023);
static_assert(offsetof(DeviceParams, keyLockPassword) == 1024);
static_assert(offsetof(DeviceParams, keyLockOff) == 1028);
static_assert(offsetof(DeviceParams, userMode) == 1029);
static_assert(offsetof(DeviceParams, adminPassword) == 1030);
static_assert(offsetof(DeviceParams, volumeLimit) == 1036);
static_assert(offsetof(DeviceParams, modeName) == 1042);
static_assert(offsetof(DeviceParams, outputSolo) == 1162);
static_assert(offsetof(DeviceParams, scene) == 1168);
static_assert(offsetof(DeviceParams, lastManualScene) == 1169);
static_assert(offsetof(DeviceParams, dance) == 1170);
static_assert(offsetof(DeviceParams, dance) + offsetof(DanceBank, byteParam) == 1170);
static_assert(offsetof(DeviceParams, dance) + offsetof(DanceBank, eqBand) == 1186);
static_assert(offsetof(DeviceParams, dance) + offsetof(DanceBank, filter) == 1384);
static_assert(offsetof(DeviceParams, dance) + offsetof(DanceBank, phase) == 1400);
static_assert(offsetof(DeviceParams, currentMode) == 1416);
static_assert(offsetof(DeviceParams, spare1417) == 1417);
static_assert(offsetof(DeviceParams, danceEqBypass) == 1418);
static_assert(offsetof(DeviceParams, spare1423) == 1423);

// The three program-wide instances: what the pages edit, what the device last received,
// and the last mode file read.
extern DeviceParams liveParams;
extern DeviceParams sentParams;
extern DeviceParams fileParams;

// EQ sections of eqBand (also the index of eqBypass).
struct EqSection {
    int firstBand; // first eqBand element
    int bandCount;
    int blockId;    // EqBlockId of the page and graph that show it
    int danceFirst; // first dance.eqBand element, or -1 without a Dance copy
};
constexpr EqSection eqSection(int firstBand, int bandCount, int blockId) {
    return {firstBand, bandCount, blockId, danceCopyOf(BankedArray::EqBand, firstBand)};
}
inline constexpr int kEqSectionCount = 15;
inline constexpr EqSection kEqSections[kEqSectionCount] = {
    eqSection(0, 10, 0),    eqSection(10, 20, 1),   eqSection(30, 20, 4),   eqSection(50, 5, 2),
    eqSection(55, 5, 3),    eqSection(60, 5, 5),    eqSection(65, 5, 6),    eqSection(70, 5, 7),
    eqSection(75, 5, 8),    eqSection(80, 3, 9),    eqSection(83, 10, 10),  eqSection(93, 10, 11),
    eqSection(103, 10, 12), eqSection(113, 10, 13), eqSection(123, 10, 14),
};

// EqBlockId differs from the section number only for microphone B and the A pre-EQs.
constexpr int sectionOfBlock(int blockId) {
    switch (blockId) {
    case 2:
        return 3;
    case 3:
        return 4;
    case 4:
        return 2;
    default:
        return blockId;
    }
}

// masterVolume[i] = value; masterMute[i] follows it (1 exactly when value is 0).
void setMasterVolume(DeviceParams& p, int i, std::uint8_t value);
inline void setMasterVolume(int i, std::uint8_t value) {
    setMasterVolume(liveParams, i, value);
}

} // namespace zel
