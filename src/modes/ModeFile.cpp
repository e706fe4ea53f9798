// Mode file image, load parts and the loader.
#include "modes/ModeFile.h"

#include "model/Defaults.h"
#include "model/MasterLimit.h"
#include "modes/ModeTexts.h"

#include <chrono>
#include <cstring>
#include <fstream>
#include <random>
#include <system_error>

namespace zel {

namespace {

// Whole members and runs of array elements of the store, by name.
#define ZEL_FIELD(m)                                                                               \
    StoreRange {                                                                                   \
        offsetof(DeviceParams, m), sizeof(DeviceParams::m)                                         \
    }
#define ZEL_ELEMS(m, first, last)                                                                  \
    StoreRange {                                                                                   \
        offsetof(DeviceParams, m) + (first) * sizeof(DeviceParams::m[0]),                          \
            ((last) - (first) + 1) * sizeof(DeviceParams::m[0])                                    \
    }

constexpr StoreRange kMusicRanges[] = {
    ZEL_ELEMS(eqBand, 0, 9),        ZEL_ELEMS(filter, 0, 0),       ZEL_ELEMS(compressor, 0, 0),
    ZEL_ELEMS(eqBypass, 0, 0),      ZEL_ELEMS(noiseGate, 0, 0),    ZEL_FIELD(musicInputPort),
    ZEL_FIELD(musicInputGain),      ZEL_ELEMS(dance.eqBand, 0, 9), ZEL_ELEMS(dance.filter, 0, 0),
    ZEL_ELEMS(danceEqBypass, 0, 0),
};

constexpr StoreRange kMicARanges[] = {
    ZEL_ELEMS(byteParam, 0, 0),   ZEL_ELEMS(byteParam, 2, 5), ZEL_ELEMS(byteParam, 30, 30),
    ZEL_ELEMS(byteParam, 32, 32), ZEL_ELEMS(eqBand, 10, 29),  ZEL_ELEMS(eqBand, 50, 59),
    ZEL_ELEMS(eqBand, 93, 112),   ZEL_ELEMS(filter, 1, 1),    ZEL_ELEMS(filter, 5, 6),
    ZEL_ELEMS(filter, 9, 11),     ZEL_ELEMS(timeParam, 0, 3), ZEL_ELEMS(fbeMode, 0, 0),
    ZEL_ELEMS(compressor, 1, 1),  ZEL_ELEMS(eqBypass, 1, 1),  ZEL_ELEMS(eqBypass, 3, 4),
    ZEL_ELEMS(eqBypass, 11, 12),  ZEL_ELEMS(noiseGate, 1, 1), ZEL_ELEMS(phase, 0, 3),
};

constexpr StoreRange kMicBRanges[] = {
    ZEL_ELEMS(byteParam, 1, 1),   ZEL_ELEMS(byteParam, 6, 9),   ZEL_ELEMS(byteParam, 31, 31),
    ZEL_ELEMS(byteParam, 33, 33), ZEL_ELEMS(eqBand, 30, 49),    ZEL_ELEMS(eqBand, 60, 69),
    ZEL_ELEMS(eqBand, 113, 132),  ZEL_ELEMS(filter, 2, 2),      ZEL_ELEMS(filter, 7, 8),
    ZEL_ELEMS(filter, 12, 14),    ZEL_ELEMS(timeParam, 10, 13), ZEL_ELEMS(fbeMode, 1, 1),
    ZEL_ELEMS(compressor, 2, 2),  ZEL_ELEMS(eqBypass, 2, 2),    ZEL_ELEMS(eqBypass, 5, 6),
    ZEL_ELEMS(eqBypass, 13, 14),  ZEL_ELEMS(noiseGate, 2, 2),   ZEL_ELEMS(phase, 4, 7),
};

constexpr StoreRange kOutputRanges[] = {
    ZEL_ELEMS(byteParam, 10, 25),  ZEL_ELEMS(eqBand, 70, 92),  ZEL_ELEMS(filter, 3, 4),
    ZEL_ELEMS(filter, 15, 15),     ZEL_ELEMS(timeParam, 4, 9), ZEL_ELEMS(compressor, 3, 6),
    ZEL_FIELD(outputMute),         ZEL_ELEMS(eqBypass, 7, 10), ZEL_ELEMS(phase, 8, 23),
    ZEL_FIELD(outputSolo),         ZEL_FIELD(dance.byteParam), ZEL_ELEMS(dance.eqBand, 10, 32),
    ZEL_ELEMS(dance.filter, 1, 3), ZEL_FIELD(dance.phase),     ZEL_ELEMS(danceEqBypass, 1, 4),
};

constexpr StoreRange kSystemRanges[] = {
    ZEL_FIELD(keyLockPassword), ZEL_FIELD(keyLockOff),  ZEL_FIELD(userMode),
    ZEL_FIELD(adminPassword),   ZEL_FIELD(volumeLimit), ZEL_ELEMS(byteParam, 26, 29),
    ZEL_ELEMS(phase, 24, 27),   ZEL_FIELD(scene),       ZEL_FIELD(lastManualScene),
};

#undef ZEL_FIELD
#undef ZEL_ELEMS

std::uint8_t* bytesOf(DeviceParams& p) {
    return reinterpret_cast<std::uint8_t*>(&p);
}
const std::uint8_t* bytesOf(const DeviceParams& p) {
    return reinterpret_cast<const std::uint8_t*>(&p);
}

bool headerMatches(std::span<const std::uint8_t> bytes) {
    return bytes[0] == kModeMagicLength &&
           std::memcmp(bytes.data() + 1, kModeMagic, kModeMagicLength) == 0;
}

// A part other than "all": its fields go into the live store and into sentParams, so the
// upload that follows is the only thing that sends them.
void applyPart(int part) {
    for (const StoreRange& r : modePartRanges(part)) {
        std::memcpy(bytesOf(liveParams) + r.offset, bytesOf(fileParams) + r.offset, r.size);
        std::memcpy(bytesOf(sentParams) + r.offset, bytesOf(fileParams) + r.offset, r.size);
    }
    switch (part) {
    case PartMusic:
        // Only the music fields were written to both; pending edits elsewhere stay pending.
        reattachCurveModels();
        break;
    case PartMicA:
    case PartMicB:
        syncSent(); // also re-attaches the microphone and effect curve models
        break;
    default:
        sentParams = liveParams;
        break;
    }
}

} // namespace

ModeBytes encodeMode(const DeviceParams& params) {
    ModeBytes out{};
    out[0] = static_cast<std::uint8_t>(kModeMagicLength);
    std::memcpy(out.data() + 1, kModeMagic, kModeMagicLength);
    std::memcpy(out.data() + kModeHeaderSize, bytesOf(params) + kModeStoreFirstByte,
                kModePayloadSize);
    return out;
}

bool decodeMode(std::span<const std::uint8_t> bytes, DeviceParams& out) {
    if (bytes.size() != kModeFileSize || !headerMatches(bytes))
        return false;
    std::memcpy(bytesOf(out) + kModeStoreFirstByte, bytes.data() + kModeHeaderSize,
                kModePayloadSize);
    return true;
}

std::span<const StoreRange> modePartRanges(int part) {
    switch (part) {
    case PartMusic:
        return kMusicRanges;
    case PartMicA:
        return kMicARanges;
    case PartMicB:
        return kMicBRanges;
    case PartOutputs:
        return kOutputRanges;
    case PartSystem:
        return kSystemRanges;
    default:
        return {};
    }
}

int serializeMode(ModeArchive& ar, int part, ModeUi& ui) {
    if (ar.storing) {
        const ModeBytes image = encodeMode(liveParams);
        ar.bytes.assign(image.begin(), image.end());
        return 1;
    }

    // A short or over-long file is refused like a wrong header, before anything changes.
    DeviceParams read = fileParams;
    if (part < 0 || part >= kModePartCount || !decodeMode(ar.bytes, read)) {
        ui.message(pick(modetext::DataFileError));
        return 0;
    }
    std::memcpy(bytesOf(read), bytesOf(liveParams), kModeStoreFirstByte);
    fileParams = read;

    // The master levels in front of the mode are no part of it and no upload sends them:
    // the device still holds what was last sent, so a level not yet sent stays pending
    // and goes out after the upload instead of being taken as sent.
    std::uint8_t sentLevels[kModeStoreFirstByte];
    std::memcpy(sentLevels, bytesOf(sentParams), kModeStoreFirstByte);
    if (part == PartAll) {
        // The names of the device's own six modes stay those of this device.
        std::memcpy(fileParams.modeName, liveParams.modeName, sizeof fileParams.modeName);
        liveParams = fileParams;
        syncSent();
    } else {
        applyPart(part);
    }
    std::memcpy(bytesOf(sentParams), sentLevels, kModeStoreFirstByte);

    // A master volume never stays above the limit the mode brings; the change detector
    // sends the lowered volume after the upload.
    clampMasterVolumes(liveParams, fileParams);
    return 1;
}

bool writeModeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    namespace fs = std::filesystem;
    std::mt19937_64 rng(
        std::random_device{}() ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    // Not matching "*.dat", so a listing made meanwhile never shows a half-written mode.
    fs::path temp = path;
    temp += ".tmp" + std::to_string(rng() % 1000000000ULL);

    bool ok = false;
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (out) {
            out.write(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<std::streamsize>(bytes.size()));
            out.close();
            ok = !out.fail();
        }
    }
    std::error_code ec;
    if (ok) {
        fs::rename(temp, path, ec);
        ok = !ec;
    }
    if (!ok)
        fs::remove(temp, ec);
    return ok;
}

bool readModeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.resize(kModeFileSize + 1);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.bad())
        return false;
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return true;
}

} // namespace zel
