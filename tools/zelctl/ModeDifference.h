// How far a processor's parameters are from a mode: the number of differing fields in each
// block of a mode (the load parts). A field counts when the processor holds it and sends it
// back in its dump.
#pragma once

#include "model/DeviceParams.h"

#include <array>
#include <string>

namespace zel::ctl {

inline constexpr int kModeBlockCount = 5; // music, mic A, mic B, outputs, system

struct ModeDifference {
    std::array<int, kModeBlockCount> fields{};

    int total() const;
    // "music 3, outputs 1", or "none".
    std::string summary() const;
};

// The block names, in the order of ModeDifference::fields.
const char* modeBlockName(int block);

// Compares the fields of the mode-file range that a dump carries.
ModeDifference compareModeFields(const DeviceParams& device, const DeviceParams& mode);

} // namespace zel::ctl
