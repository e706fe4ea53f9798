// Parameter frames: which store field travels with which command and index, and the one
// builder of a parameter's short frame, shared by the change detector and the upload.
#pragma once

#include "link/FrameRecord.h"
#include "model/DeviceParams.h"

#include <cstddef>
#include <cstdint>

namespace zel {

// The groups of sendable store fields, in the order the change detector walks them.
enum class ParamGroup : std::uint8_t {
    MasterMute,     // 0x01: the value sent is 0 while muted, else the volume
    MasterVolume,   // 0x01
    ByteParam,      // 0x02 / 0..33
    DanceByteParam, // 0x02 / 10..25
    EqBand,         // 0x03 / 0..132
    DanceEqBand,    // 0x03 / 0..9, 70..92
    Filter,         // 0x04 / 0..15
    DanceFilter,    // 0x04 / 0, 3, 4, 15
    TimeParam,      // 0x05 / 0..13
    FbeMode,        // 0x06 / 0..1
    Compressor,     // 0x07 / 0..6
    OutputMute,     // 0x08 / 0..5
    EqBypass,       // 0x09 / 0..14
    DanceEqBypass,  // 0x09 / 0, 7, 8, 9, 10
    NoiseGate,      // 0x0A / 0..2, without the spare byte
    Phase,          // 0x0B / 0..27
    DancePhase,     // 0x0B / 8..23
    MusicInput,     // 0x31: input port and gain together, no index
    VolumeLimit,    // 0x36 / 0..5
    Scene,          // 0x3A, no index
};
inline constexpr int kParamGroupCount = 20;

// Where a group's elements sit in DeviceParams and how they travel.
struct ParamGroupInfo {
    std::uint8_t command;
    bool hasIndex;                // byte 4 is the element's device index
    std::uint16_t offset;         // of element 0 in DeviceParams
    std::uint8_t stride;          // bytes from one element to the next
    std::uint8_t size;            // bytes compared, copied to sentParams and (but for
                                  // MasterMute) sent as the frame's data
    std::uint8_t count;           // elements
    std::uint8_t indexBase;       // device index of element k is indexBase + k ...
    const std::uint8_t* indexMap; // ... or indexMap[k] when set
};

const ParamGroupInfo& paramGroupInfo(ParamGroup group);

// The device index that element `element` of `group` travels with.
std::uint8_t paramIndex(ParamGroup group, int element);

// The scene bank an element belongs to on the device: 0 for a field of no scene, 1 for a
// Singing field that has a Dance copy, 2 for a Dance copy. The device applies a frame of
// either bank to the bank of the last scene frame it received.
int paramSceneBank(ParamGroup group, int element);

// Builds the short frame of element `element` of `group` carrying `data` (the group's `size`
// bytes as they go on the wire) into bytes 0 .. L + 2 of `record` and its checksum copy;
// returns the frame length. The marks of `record` are left as they are.
std::size_t buildParamFrame(FrameRecord& record, ParamGroup group, int element,
                            const std::uint8_t* data);
// The same with the element's values taken from `params`.
std::size_t buildParamFrame(FrameRecord& record, const DeviceParams& params, ParamGroup group,
                            int element);

} // namespace zel
