// Parameter frames: the command and index of every sendable field, and their frame builder.
#include "link/ParamFrame.h"

#include <array>
#include <cassert>
#include <cstring>

namespace zel {

namespace {

// Frame index of each element of a Dance group, from the bank table.
template <BankedArray A, std::size_t N> constexpr std::array<std::uint8_t, N> danceFrameIndex() {
    std::array<std::uint8_t, N> map{};
    for (std::size_t k = 0; k < N; ++k)
        map[k] = static_cast<std::uint8_t>(singingIndexOf(A, static_cast<int>(k)));
    return map;
}
constexpr auto kDanceByteParamMap = danceFrameIndex<BankedArray::ByteParam, 16>();
constexpr auto kDanceEqBandMap = danceFrameIndex<BankedArray::EqBand, kDanceEqBandCount>();
constexpr auto kDanceFilterMap = danceFrameIndex<BankedArray::Filter, 4>();
constexpr auto kDanceEqBypassMap = danceFrameIndex<BankedArray::EqBypass, 5>();
constexpr auto kDancePhaseMap = danceFrameIndex<BankedArray::Phase, 16>();

constexpr std::uint16_t at(std::size_t offset) {
    return static_cast<std::uint16_t>(offset);
}

constexpr std::uint16_t kDance = at(offsetof(DeviceParams, dance));

// In ParamGroup order.
constexpr ParamGroupInfo kGroups[kParamGroupCount] = {
    {0x01, true, at(offsetof(DeviceParams, masterMute)), 1, 1, 3, 0, nullptr},
    {0x01, true, at(offsetof(DeviceParams, masterVolume)), 1, 1, 3, 0, nullptr},
    {0x02, true, at(offsetof(DeviceParams, byteParam)), 1, 1, 34, 0, nullptr},
    {0x02, true, at(kDance + offsetof(DanceBank, byteParam)), 1, 1, 16, 0,
     kDanceByteParamMap.data()},
    {0x03, true, at(offsetof(DeviceParams, eqBand)), 6, 6, kEqBandCount, 0, nullptr},
    {0x03, true, at(kDance + offsetof(DanceBank, eqBand)), 6, 6, kDanceEqBandCount, 0,
     kDanceEqBandMap.data()},
    {0x04, true, at(offsetof(DeviceParams, filter)), 4, 4, 16, 0, nullptr},
    {0x04, true, at(kDance + offsetof(DanceBank, filter)), 4, 4, 4, 0, kDanceFilterMap.data()},
    {0x05, true, at(offsetof(DeviceParams, timeParam)), 2, 2, 14, 0, nullptr},
    {0x06, true, at(offsetof(DeviceParams, fbeMode)), 1, 1, 2, 0, nullptr},
    {0x07, true, at(offsetof(DeviceParams, compressor)), 4, 4, 7, 0, nullptr},
    {0x08, true, at(offsetof(DeviceParams, outputMute)), 1, 1, 6, 0, nullptr},
    {0x09, true, at(offsetof(DeviceParams, eqBypass)), 1, 1, 15, 0, nullptr},
    {0x09, true, at(offsetof(DeviceParams, danceEqBypass)), 1, 1, 5, 0, kDanceEqBypassMap.data()},
    {0x0A, true, at(offsetof(DeviceParams, noiseGate)), 4, 3, 3, 0, nullptr},
    {0x0B, true, at(offsetof(DeviceParams, phase)), 1, 1, 28, 0, nullptr},
    {0x0B, true, at(kDance + offsetof(DanceBank, phase)), 1, 1, 16, 0, kDancePhaseMap.data()},
    {0x31, false, at(offsetof(DeviceParams, musicInputPort)), 2, 2, 1, 0, nullptr},
    {0x36, true, at(offsetof(DeviceParams, volumeLimit)), 1, 1, 6, 0, nullptr},
    {0x3A, false, at(offsetof(DeviceParams, scene)), 1, 1, 1, 0, nullptr},
};

static_assert(offsetof(DeviceParams, musicInputGain) == offsetof(DeviceParams, musicInputPort) + 1,
              "the music input frame carries port and gain as one two-byte element");

} // namespace

int paramSceneBank(ParamGroup group, int element) {
    const int index = paramIndex(group, element);
    switch (group) {
    case ParamGroup::DanceByteParam:
    case ParamGroup::DanceEqBand:
    case ParamGroup::DanceFilter:
    case ParamGroup::DanceEqBypass:
    case ParamGroup::DancePhase:
        return 2;
    case ParamGroup::ByteParam:
        return hasDanceCopy(BankedArray::ByteParam, index) ? 1 : 0;
    case ParamGroup::EqBand:
        return hasDanceCopy(BankedArray::EqBand, index) ? 1 : 0;
    case ParamGroup::Filter:
        return hasDanceCopy(BankedArray::Filter, index) ? 1 : 0;
    case ParamGroup::EqBypass:
        return hasDanceCopy(BankedArray::EqBypass, index) ? 1 : 0;
    case ParamGroup::Phase:
        return hasDanceCopy(BankedArray::Phase, index) ? 1 : 0;
    default:
        return 0;
    }
}

const ParamGroupInfo& paramGroupInfo(ParamGroup group) {
    return kGroups[static_cast<std::size_t>(group)];
}

std::uint8_t paramIndex(ParamGroup group, int element) {
    const ParamGroupInfo& g = paramGroupInfo(group);
    assert(element >= 0 && element < g.count);
    const auto k = static_cast<std::size_t>(element);
    return g.indexMap ? g.indexMap[k] : static_cast<std::uint8_t>(g.indexBase + k);
}

std::size_t buildParamFrame(FrameRecord& record, ParamGroup group, int element,
                            const std::uint8_t* data) {
    const ParamGroupInfo& g = paramGroupInfo(group);
    std::size_t at = 3;
    record[at++] = g.command;
    if (g.hasIndex)
        record[at++] = paramIndex(group, element);
    std::memcpy(&record[at], data, g.size);
    at += g.size;
    record[0] = kFrameStart0;
    record[1] = kFrameStart1;
    record[2] = static_cast<std::uint8_t>(at - 2); // command, index, data and the checksum
    writeChecksum(record);
    return at + 1;
}

std::size_t buildParamFrame(FrameRecord& record, const DeviceParams& params, ParamGroup group,
                            int element) {
    const ParamGroupInfo& g = paramGroupInfo(group);
    assert(element >= 0 && element < g.count);
    const auto k = static_cast<std::size_t>(element);
    if (group == ParamGroup::MasterMute) {
        // A muted master level goes out as 0; the volume itself is kept for unmuting.
        const std::uint8_t value = params.masterMute[k] ? std::uint8_t{0} : params.masterVolume[k];
        return buildParamFrame(record, group, element, &value);
    }
    const auto* store = reinterpret_cast<const std::uint8_t*>(&params);
    return buildParamFrame(record, group, element, store + g.offset + k * g.stride);
}

} // namespace zel
