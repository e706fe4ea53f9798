#include "model/Defaults.h"

#include "model/EqTables.h"
#include "model/Globals.h"
#include "model/StoreWrite.h"

#include <cassert>
#include <cstring>
#include <span>

namespace zel {

DeviceParams liveParams{};
DeviceParams sentParams{};
DeviceParams fileParams{};

int g_bChinese = 0;
std::uint32_t g_systemLcid = 0;
int g_currentPage = 0;

namespace {

CurveModelHooks g_hooks;

std::span<const double> defaultFreqs(int bandCount) {
    switch (bandCount) {
    case 10:
        return kDefaultFreqs10;
    case 20:
        return kDefaultFreqs20;
    case 5:
        return kDefaultFreqs5;
    case 3:
        return kDefaultFreqs3;
    default:
        assert(false && "no default frequencies for this band count");
        return {};
    }
}

} // namespace

void setMasterVolume(DeviceParams& p, int i, std::uint8_t value) {
    assert(i >= 0 && i < 3);
    // Pages and master sliders call this on the live store while the port thread reads it.
    storeWrite(p.masterVolume[i], value);
    storeWrite(p.masterMute[i], value == 0 ? 1 : 0);
}

EqBand defaultBand(int section, int band) {
    const EqSection& s = kEqSections[section];
    assert(band >= 0 && band < s.bandCount);
    EqBand b{};
    b.freq = static_cast<std::uint16_t>(nearestIndex(FreqTable, defaultFreqs(s.bandCount)[band]));
    b.gain = 240;
    b.q = 10;
    b.type = 0;
    return b;
}

void fillDefaults(DeviceParams& p) {
    std::memset(&p, 0, sizeof p);
    for (int i = 0; i < 3; ++i)
        setMasterVolume(p, i, 0);

    for (int s = 0; s < kEqSectionCount; ++s) {
        const EqSection& sec = kEqSections[s];
        for (int b = 0; b < sec.bandCount; ++b) {
            p.eqBand[sec.firstBand + b] = defaultBand(s, b);
            if (sec.danceFirst >= 0)
                p.dance.eqBand[sec.danceFirst + b] = defaultBand(s, b);
        }
    }

    p.filter[9].freq = 362;  // echo A low-pass
    p.filter[10].freq = 362; // reverb A low-pass
    p.filter[13].freq = 362; // reverb B low-pass
    p.filter[11].freq = 362; // echo A high-damp
    p.filter[12].freq = 298; // echo B low-pass
    p.filter[14].freq = 298; // echo B high-damp
    p.filter[15].freq = 143; // Subwoofer low-pass, both banks
    p.dance.filter[3].freq = 143;

    // Fourteen of the fifteen sections start bypassed; the reverb B post-EQ does not.
    for (int s = 0; s < 14; ++s)
        p.eqBypass[s] = 1;
    for (auto& flag : p.danceEqBypass)
        flag = 1;

    std::memcpy(p.keyLockPassword, kDefaultKeyLockPassword, sizeof p.keyLockPassword);
    std::memcpy(p.adminPassword, kDefaultAdminPassword, sizeof p.adminPassword);
    const std::uint8_t limits[6] = {0, 84, 0, 84, 0, 70};
    std::memcpy(p.volumeLimit, limits, sizeof limits);

    p.scene = 1;
    p.lastManualScene = 1;
    p.currentMode = 1;
}

void initDefaults() {
    fillDefaults(liveParams);
    g_currentPage = 0;
    if (g_hooks.build)
        g_hooks.build();
    sentParams = liveParams;
}

void syncSent() {
    sentParams = liveParams;
    if (g_hooks.reattach)
        g_hooks.reattach();
}

void setCurveModelHooks(CurveModelHooks hooks) {
    g_hooks = hooks;
}

void reattachCurveModels() {
    if (g_hooks.reattach)
        g_hooks.reattach();
}

} // namespace zel
