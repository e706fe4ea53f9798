// The dump frame: the processor's whole parameter set in answer to a synchronisation
// request. Both directions live here so the program and the processor simulator agree.
#pragma once

#include "model/DeviceParams.h"

#include <cstddef>
#include <cstdint>

namespace zel {

inline constexpr std::size_t kDumpPayloadBegin = 6;
inline constexpr std::size_t kDumpPayloadEnd = 1386; // frame bytes 6..1385 carry the store
inline constexpr std::uint16_t kDumpLengthField = kDumpPayloadEnd - 12; // N = 1374

// The device side of the dump, shared with the processor simulator: writes the dump frame
// of `params` (FF 55 03 CC, N = 1374, payload) into `out` and returns its length (1386).
// Returns 0 and writes nothing when `capacity` is too small.
std::size_t buildDumpFrame(const DeviceParams& params, std::uint8_t* out, std::size_t capacity);
// Writes a received dump frame's payload (frame bytes 6..1385) into `params`, master
// volumes through setMasterVolume. Fields not in the dump keep their values.
void loadDumpPayload(DeviceParams& params, const std::uint8_t* frame);

} // namespace zel
