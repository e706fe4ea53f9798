// storeCopy: one store record onto another through the window thread's write path, byte by
// byte, so a copy between channels never races the port thread's change scan.
#pragma once

#include "model/StoreWrite.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace zel {

// to = from, for a packed record of the store (EqBand, FilterParams, CompressorParams,
// NoiseGateParams, U16le, a byte). Each byte is stored by itself; the link sends whatever
// differs once the copy is done.
template <class T> void storeCopy(T& to, const T& from) {
    static_assert(std::is_trivially_copyable_v<T> && alignof(T) == 1);
    auto* d = reinterpret_cast<std::uint8_t*>(&to);
    const auto* s = reinterpret_cast<const std::uint8_t*>(&from);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        storeWrite(d[i], storeRead(s[i]));
}

} // namespace zel
