// The mode file: a short header and bytes 6..1423 of the parameter store, 1427 bytes in
// all, and the loader that applies a file to the store whole or in part.
#pragma once

#include "model/DeviceParams.h"
#include "modes/ModeUi.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace zel {

inline constexpr char kModeMagic[] = "ZEL_3.00";
inline constexpr std::size_t kModeMagicLength = 8;
inline constexpr std::size_t kModeHeaderSize = 1 + kModeMagicLength;
// The master volumes and mutes (store bytes 0..5) belong to the room, not to the mode.
inline constexpr std::size_t kModeStoreFirstByte = 6;
inline constexpr std::size_t kModePayloadSize = kDeviceParamsSize - kModeStoreFirstByte;
inline constexpr std::size_t kModeFileSize = kModeHeaderSize + kModePayloadSize;
static_assert(kModeFileSize == 1427);

// Load parts, as the System page's radio buttons offer them.
enum ModePart : int {
    PartAll = 0,
    PartMusic = 1,
    PartMicA = 2, // microphone A and effect A
    PartMicB = 3, // microphone B and effect B
    PartOutputs = 4,
    PartSystem = 5,
};
inline constexpr int kModePartCount = 6;

using ModeBytes = std::array<std::uint8_t, kModeFileSize>;

// The file image of `params`: length byte 8, "ZEL_3.00", then store bytes 6..1423.
ModeBytes encodeMode(const DeviceParams& params);

// Reads a file image into `out` (bytes 6..1423; bytes 0..5 are left as they are). False,
// with `out` untouched, unless `bytes` is exactly 1427 bytes long with the right header.
bool decodeMode(std::span<const std::uint8_t> bytes, DeviceParams& out);

// One contiguous run of store bytes that a load part takes from the file.
struct StoreRange {
    std::size_t offset;
    std::size_t size;
};
// The store bytes that part 1..5 takes from the file (part 0 takes all but bytes 0..5 and
// the mode names).
std::span<const StoreRange> modePartRanges(int part);

// The bytes of a mode file in the manner of the framework archive the format comes from:
// storing fills `bytes` from the live store; loading reads them.
struct ModeArchive {
    bool storing = false;
    std::vector<std::uint8_t> bytes;
};

// Storing: ar.bytes becomes the file image of the live store; returns 1.
// Loading: checks the image, reads it into fileParams, applies load part `part` to the
// live store and sentParams, pulls each master volume down to the file's limit and
// returns 1; or shows the data-file error through `ui` and returns 0 with the store,
// sentParams and fileParams untouched. The caller holds g_frameLock.
int serializeMode(ModeArchive& ar, int part, ModeUi& ui);

// Writes a file image to `path` through a temporary file in the same folder that is then
// renamed over it, so an existing file is either replaced whole or left as it was.
// False (and no temporary file left behind) when any step fails.
bool writeModeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// Reads at most one byte more than a mode file holds, so an over-long file is seen as
// such without reading all of it. False when the file cannot be opened or read.
bool readModeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes);

} // namespace zel
