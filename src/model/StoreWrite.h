// The window thread's one narrow way into the live store while the port thread reads it.
// Single fields are stored and loaded as relaxed atomic bytes, so an edit never needs
// g_frameLock and a concurrent read is never a data race.
//
// A 16-bit value sits at an odd offset in the packed record and cannot be one atomic
// object: written as two bytes, a reader between them would see half the old value and
// half the new one - a value nobody stored, often out of range (255 -> 256 reads as 511 or
// 0) - and the change detector would send it to the device. Every multi-byte write
// therefore runs inside a write section that a sequence counter brackets; storeSnapshot
// retries until it has copied bytes that no write section overlapped.
#pragma once

#include "model/DeviceParams.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace zel {

inline void storeWrite(std::uint8_t& field, std::uint8_t value) {
    std::atomic_ref<std::uint8_t>(field).store(value, std::memory_order_relaxed);
}
inline std::uint8_t storeRead(const std::uint8_t& field) {
    // atomic_ref needs a non-const object; the load never writes.
    return std::atomic_ref<std::uint8_t>(const_cast<std::uint8_t&>(field))
        .load(std::memory_order_relaxed);
}
inline std::uint16_t storeRead(const U16le& field) {
    return static_cast<std::uint16_t>(storeRead(field.bytes[0]) | (storeRead(field.bytes[1]) << 8));
}

// Both bytes in one write section.
void storeWrite(U16le& field, std::uint16_t value);
// A whole record (a band reset to its default, a crossover) in one write section.
void storeWrite(EqBand& record, const EqBand& value);
void storeWrite(FilterParams& record, const FilterParams& value);

// Copies `size` bytes from `from` to `to` in one write section, byte by byte as atomics on
// both sides. The ranges must not overlap. For bulk edits of the store: a scene-bank copy,
// a dump written into the live store.
void storeCopy(void* to, const void* from, std::size_t size);

// to = from for one packed record of the store (EqBand, FilterParams, CompressorParams, ...),
// in one write section.
template <class T> void storeCopy(T& to, const T& from) {
    static_assert(std::is_trivially_copyable_v<T> && alignof(T) == 1);
    storeCopy(&to, &from, sizeof(T));
}

// Replaces the store wholesale as one write section, so that no edit lands between reading
// it and writing it back: `updated` receives a copy of `store`, change(updated, context)
// rewrites it, and the result is written back into `store`. For the dump, which replaces
// most but not all of the store.
void storeUpdate(DeviceParams& store, DeviceParams& updated,
                 void (*change)(DeviceParams& updated, const void* context), const void* context);

// Copies `size` bytes of the store at `from` into `to` (private to the caller) such that no
// write section was under way while they were read: every multi-byte value is whole. Never
// blocks on a writer for longer than its write section; never allocates.
void storeSnapshot(void* to, const void* from, std::size_t size);

} // namespace zel
