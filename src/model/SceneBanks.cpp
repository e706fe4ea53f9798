// SceneBanks: the store fields of one music scene, found through the bank table.
#include "model/SceneBanks.h"

#include "model/DeviceParams.h"

#include <cassert>

namespace zel {

namespace {

// Where each banked array sits in the record.
struct ArrayPlace {
    std::size_t singing;     // offset of element 0 of the Singing array
    std::size_t dance;       // offset of element 0 of the Dance array
    std::size_t elementSize; // bytes per element
    int singingCount;
};

ArrayPlace placeOf(BankedArray a) {
    const std::size_t dance = offsetof(DeviceParams, dance);
    switch (a) {
    case BankedArray::ByteParam:
        return {offsetof(DeviceParams, byteParam), dance + offsetof(DanceBank, byteParam), 1, 34};
    case BankedArray::EqBand:
        return {offsetof(DeviceParams, eqBand), dance + offsetof(DanceBank, eqBand), sizeof(EqBand),
                kEqBandCount};
    case BankedArray::Filter:
        return {offsetof(DeviceParams, filter), dance + offsetof(DanceBank, filter),
                sizeof(FilterParams), 16};
    case BankedArray::Phase:
        return {offsetof(DeviceParams, phase), dance + offsetof(DanceBank, phase), 1, 28};
    case BankedArray::EqBypass:
        break;
    }
    return {offsetof(DeviceParams, eqBypass), offsetof(DeviceParams, danceEqBypass), 1,
            kEqSectionCount};
}

template <class T> T& element(DeviceParams& p, BankedArray a, int index, int scene) {
    const ArrayPlace place = placeOf(a);
    assert(index >= 0 && index < place.singingCount && sizeof(T) == place.elementSize);
    const int copy = scene == 2 ? danceCopyOf(a, index) : -1;
    const std::size_t at = copy >= 0 ? place.dance + static_cast<std::size_t>(copy) * sizeof(T)
                                     : place.singing + static_cast<std::size_t>(index) * sizeof(T);
    return *reinterpret_cast<T*>(reinterpret_cast<std::uint8_t*>(&p) + at);
}

} // namespace

std::uint8_t& sceneByteParam(DeviceParams& p, int index, int scene) {
    return element<std::uint8_t>(p, BankedArray::ByteParam, index, scene);
}
EqBand& sceneEqBand(DeviceParams& p, int index, int scene) {
    return element<EqBand>(p, BankedArray::EqBand, index, scene);
}
FilterParams& sceneFilter(DeviceParams& p, int index, int scene) {
    return element<FilterParams>(p, BankedArray::Filter, index, scene);
}
std::uint8_t& scenePhase(DeviceParams& p, int index, int scene) {
    return element<std::uint8_t>(p, BankedArray::Phase, index, scene);
}
std::uint8_t& sceneEqBypass(DeviceParams& p, int index, int scene) {
    return element<std::uint8_t>(p, BankedArray::EqBypass, index, scene);
}

BankedBytes bytesOf(const BankedRun& run) {
    const ArrayPlace place = placeOf(run.array);
    return {place.singing + static_cast<std::size_t>(run.first) * place.elementSize,
            place.dance + static_cast<std::size_t>(run.danceFirst) * place.elementSize,
            static_cast<std::size_t>(run.count) * place.elementSize};
}

int danceOffsetOf(std::size_t offset) {
    for (int a = 0; a < kBankedArrayCount; ++a) {
        const auto array = static_cast<BankedArray>(a);
        const ArrayPlace place = placeOf(array);
        const std::size_t end =
            place.singing + static_cast<std::size_t>(place.singingCount) * place.elementSize;
        if (offset < place.singing || offset >= end)
            continue;
        const std::size_t index = (offset - place.singing) / place.elementSize;
        const int copy = danceCopyOf(array, static_cast<int>(index));
        if (copy < 0)
            return -1;
        return static_cast<int>(place.dance + static_cast<std::size_t>(copy) * place.elementSize +
                                (offset - place.singing) % place.elementSize);
    }
    return -1;
}

} // namespace zel
