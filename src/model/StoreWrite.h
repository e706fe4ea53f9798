// The window thread's one narrow way into the live store while the port thread's change
// detector reads it: single fields are stored and loaded as relaxed atomic bytes, so an
// edit never needs g_frameLock and a concurrent read is never a data race.
#pragma once

#include "model/DeviceParams.h"

#include <atomic>
#include <cstdint>

namespace zel {

inline void storeWrite(std::uint8_t& field, std::uint8_t value) {
    std::atomic_ref<std::uint8_t>(field).store(value, std::memory_order_relaxed);
}
inline void storeWrite(U16le& field, std::uint16_t value) {
    storeWrite(field.bytes[0], static_cast<std::uint8_t>(value & 0xFF));
    storeWrite(field.bytes[1], static_cast<std::uint8_t>(value >> 8));
}
inline std::uint8_t storeRead(const std::uint8_t& field) {
    // atomic_ref needs a non-const object; the load never writes.
    return std::atomic_ref<std::uint8_t>(const_cast<std::uint8_t&>(field))
        .load(std::memory_order_relaxed);
}
inline std::uint16_t storeRead(const U16le& field) {
    return static_cast<std::uint16_t>(storeRead(field.bytes[0]) | (storeRead(field.bytes[1]) << 8));
}

} // namespace zel
