// MasterLimit: clamps through the store's single-field path.
#include "model/MasterLimit.h"

#include "model/StoreWrite.h"

#include <algorithm>
#include <cassert>

namespace zel {

std::uint8_t limitedMasterLevel(const DeviceParams& p, int group, int wanted) {
    assert(group >= 0 && group < 3);
    const int limit = storeRead(p.volumeLimit[masterLimitIndex(group)]);
    return static_cast<std::uint8_t>(std::clamp(wanted, 0, limit));
}

bool clampMasterVolume(DeviceParams& p, int group, std::uint8_t limit) {
    assert(group >= 0 && group < 3);
    if (storeRead(p.masterVolume[group]) <= limit)
        return false;
    const bool muted = storeRead(p.masterMute[group]) != 0;
    storeWrite(p.masterVolume[group], limit);
    storeWrite(p.masterMute[group], static_cast<std::uint8_t>(muted || limit == 0 ? 1 : 0));
    return true;
}

void clampMasterVolumes(DeviceParams& p, const DeviceParams& limits) {
    for (int g = 0; g < 3; ++g)
        clampMasterVolume(p, g, storeRead(limits.volumeLimit[masterLimitIndex(g)]));
}

} // namespace zel
