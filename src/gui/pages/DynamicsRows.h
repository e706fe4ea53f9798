// dynamicsRows: the compressor and noise-gate rows that the music input and microphone pages
// share - the same ranges, label kinds and units on different records and control ids.
#pragma once

#include "gui/pages/PanelDlg.h"
#include "model/DeviceParams.h"

#include <array>

namespace zel {

// Slider and label ids of the seven rows: compressor threshold, attack, release, ratio, then
// gate threshold, attack, release.
struct DynamicsIds {
    std::array<int, 7> slider;
    std::array<int, 7> label;
};

// The rows edit compressor[First + bank] and noiseGate[First + bank], bank being the page's
// rowBank() (0 on the music page, the channel on the microphone page).
template <int First> std::array<SliderRow, 7> dynamicsRows(const DynamicsIds& ids) {
    using Target = SliderRow::Target;
    const auto& s = ids.slider;
    const auto& l = ids.label;
    return {{
        {s[0], l[0], 0, 34, kLabelInt, 1, 34, "dB", Target::Byte,
         [](int bank) { return &liveParams.compressor[First + bank].threshold; }, nullptr},
        {s[1], l[1], 0, 15, kLabelAttackTime, 1, 0, "ms", Target::Byte,
         [](int bank) { return &liveParams.compressor[First + bank].attack; }, nullptr},
        {s[2], l[2], 0, 7, kLabelCompRelease, 1, 0, nullptr, Target::Byte,
         [](int bank) { return &liveParams.compressor[First + bank].release; }, nullptr},
        {s[3], l[3], 0, 40, kLabelRatio, 1, 0, nullptr, Target::Byte,
         [](int bank) { return &liveParams.compressor[First + bank].ratio; }, nullptr},
        {s[4], l[4], 0, 60, kLabelInt, 1, 90, "dB", Target::Byte,
         [](int bank) { return &liveParams.noiseGate[First + bank].threshold; }, nullptr},
        {s[5], l[5], 0, 15, kLabelAttackTime, 1, 0, "ms", Target::Byte,
         [](int bank) { return &liveParams.noiseGate[First + bank].attack; }, nullptr},
        {s[6], l[6], 0, 7, kLabelGateRelease, 1, 0, nullptr, Target::Byte,
         [](int bank) { return &liveParams.noiseGate[First + bank].release; }, nullptr},
    }};
}

} // namespace zel
