// MasterLimit: the one rule that keeps a master level at or under the limit volume of its
// group, for every writer of the master levels (main window, Volume panel, mode loads, zelctl).
#pragma once

#include "model/DeviceParams.h"

#include <cstdint>

namespace zel {

// The volumeLimit element that caps master group g (0 music, 1 microphone, 2 effect); the
// element before it is the group's start volume.
constexpr int masterLimitIndex(int group) {
    return 2 * group + 1;
}

// The level a master control of group g may take when `wanted` is asked for: 0..its limit.
std::uint8_t limitedMasterLevel(const DeviceParams& p, int group, int wanted);

// Lowers masterVolume[group] of p to `limit` when it is above it; a level of 0 is muted, and
// a group muted already stays muted, so a lowered limit never brings sound back. Returns
// whether the level changed. Single-byte relaxed stores: safe on the live store from the
// window thread while the port thread reads it.
bool clampMasterVolume(DeviceParams& p, int group, std::uint8_t limit);

// Every group of p against the limit volumes of `limits` (p itself, or the mode file read).
void clampMasterVolumes(DeviceParams& p, const DeviceParams& limits);

} // namespace zel
