// CProcessor: applies the PC's frames to the simulated processor and builds its replies.
#include "Processor.h"

#include "link/DumpFrame.h"
#include "link/FrameRecord.h"
#include "model/Defaults.h"

#include <cstring>

namespace zel::sim {

namespace {

constexpr char kModeFileTag[] = "ZEL_3.00";
constexpr std::size_t kModeFileSize = 1427;
constexpr std::size_t kModeFileStoreBegin = 6; // master volumes and mutes are not filed

std::uint8_t frameChecksum(const std::uint8_t* frame) {
    std::uint8_t sum = 0;
    for (std::size_t i = 2; i <= std::size_t{frame[2]} + 1; ++i)
        sum = static_cast<std::uint8_t>(sum + frame[i]);
    return sum;
}

std::uint16_t u16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

void setBand(EqBand& band, const std::uint8_t* d) {
    band.freq = u16(d);
    band.gain = u16(d + 2);
    band.q = d[4];
    band.type = d[5];
}

void setFilter(FilterParams& f, const std::uint8_t* d) {
    f.freq = u16(d);
    f.slope = d[2];
    f.userQ = d[3];
}

// The device's own knowledge of its Dance bank, kept apart from the PC's bank table so that
// the simulator checks that table instead of repeating it.
constexpr int kDanceFilterIndex[4] = {0, 3, 4, 15};
constexpr int kDanceEqBypassIndex[5] = {0, 7, 8, 9, 10};

int indexOf(const int* table, int count, int value) {
    for (int k = 0; k < count; ++k)
        if (table[k] == value)
            return k;
    return -1;
}

} // namespace

CProcessor::CProcessor() {
    fillDefaults(m_params);
    m_modes.fill(m_params);
}

std::size_t CProcessor::handleFrame(const std::uint8_t* frame, std::size_t length,
                                    std::uint8_t status, std::uint8_t* out) {
    const std::uint8_t command = frame[3];
    const bool intact =
        length == std::size_t{frame[2]} + 3 && frame[length - 1] == frameChecksum(frame);
    if (intact && status == 0 && command == 0xAA) {
        // The dump goes out alone: an acknowledgement in front of it would be taken by the
        // PC's parser, hunting for FF 55 03 CC, as the start of the dump.
        return buildDumpFrame(m_params, out, kMaxReply);
    }
    if (!intact)
        status = 1;
    else if (status == 0)
        apply(frame);

    FrameRecord ack{};
    ack[0] = kFrameStart0;
    ack[1] = kFrameStart1;
    ack[2] = 3;
    ack[3] = command;
    ack[4] = status;
    writeChecksum(ack);
    std::memcpy(out, ack.bytes, 6);
    return 6;
}

void CProcessor::apply(const std::uint8_t* frame) {
    DeviceParams& p = m_params;
    const int command = frame[3];
    const std::size_t dataLength = std::size_t{frame[2]} - 2;
    const std::uint8_t* d = frame + 4;
    const int index = d[0];
    const bool dance = danceBank();
    auto has = [&](std::size_t n) { return dataLength >= n; };

    switch (command) {
    case 0x01:
        if (has(2) && index < 3)
            setMasterVolume(p, index, d[1]);
        break;
    case 0x02:
        if (has(2) && index < 34) {
            if (dance && index >= 10 && index <= 25)
                p.dance.byteParam[index - 10] = d[1];
            else
                p.byteParam[index] = d[1];
        }
        break;
    case 0x03:
        if (has(7) && index < kEqBandCount) {
            const bool inDance = index <= 9 || (index >= 70 && index <= 92);
            if (dance && inDance)
                setBand(p.dance.eqBand[index <= 9 ? index : index - 60], d + 1);
            else
                setBand(p.eqBand[index], d + 1);
        }
        break;
    case 0x04:
        if (has(5) && index < 16) {
            const int k = indexOf(kDanceFilterIndex, 4, index);
            if (dance && k >= 0)
                setFilter(p.dance.filter[k], d + 1);
            else
                setFilter(p.filter[index], d + 1);
        }
        break;
    case 0x05:
        if (has(3) && index < 14)
            p.timeParam[index] = u16(d + 1);
        break;
    case 0x06:
        if (has(2) && index < 2)
            p.fbeMode[index] = d[1];
        break;
    case 0x07:
        if (has(5) && index < 7)
            p.compressor[index] = {d[1], d[2], d[3], d[4]};
        break;
    case 0x08:
        if (has(2) && index < 6)
            p.outputMute[index] = d[1];
        break;
    case 0x09:
        if (has(2) && index < 15) {
            const int k = indexOf(kDanceEqBypassIndex, 5, index);
            if (dance && k >= 0)
                p.danceEqBypass[k] = d[1];
            else
                p.eqBypass[index] = d[1];
        }
        break;
    case 0x0A:
        if (has(4) && index < 3) {
            p.noiseGate[index].threshold = d[1];
            p.noiseGate[index].attack = d[2];
            p.noiseGate[index].release = d[3];
        }
        break;
    case 0x0B:
        if (has(2) && index < 28) {
            if (dance && index >= 8 && index <= 23)
                p.dance.phase[index - 8] = d[1];
            else
                p.phase[index] = d[1];
        }
        break;
    case 0x31:
        if (has(2)) {
            p.musicInputPort = d[0];
            p.musicInputGain = d[1];
        }
        break;
    case 0x32: // two digits a byte, the first in the low nibble
        if (has(2))
            for (int i = 0; i < 4; ++i)
                p.keyLockPassword[i] = static_cast<std::uint8_t>((d[i / 2] >> (i % 2 * 4)) & 15);
        break;
    case 0x33:
        if (has(1))
            p.keyLockOff = d[0];
        break;
    case 0x34:
        if (has(3))
            for (int i = 0; i < 6; ++i)
                p.adminPassword[i] = static_cast<std::uint8_t>((d[i / 2] >> (i % 2 * 4)) & 15);
        break;
    case 0x35:
        if (has(1))
            p.userMode = d[0];
        break;
    case 0x36:
        if (has(2) && index < 6)
            p.volumeLimit[index] = d[1];
        break;
    case 0x37: // store the working set as mode `index` under the name sent
        if (has(1 + kModeNameLength) && index < kModeCount) {
            std::memcpy(p.modeName[index], d + 1, kModeNameLength);
            p.currentMode = static_cast<std::uint8_t>(index);
            m_modes[static_cast<std::size_t>(index)] = p;
        }
        break;
    case 0x38:
        if (has(1) && index < kModeCount)
            loadMode(index);
        break;
    case 0x3A:
        if (has(1) && index <= 2)
            p.scene = static_cast<std::uint8_t>(index);
        break;
    default: // keep-alive, probe and anything unknown: acknowledged, nothing to apply
        break;
    }
}

void CProcessor::loadMode(int mode) {
    // The mode names, the passwords, the keyboard lock and the user mode belong to the
    // device, not to a mode.
    DeviceParams next = m_modes[static_cast<std::size_t>(mode)];
    std::memcpy(next.modeName, m_params.modeName, sizeof next.modeName);
    std::memcpy(next.keyLockPassword, m_params.keyLockPassword, sizeof next.keyLockPassword);
    std::memcpy(next.adminPassword, m_params.adminPassword, sizeof next.adminPassword);
    next.keyLockOff = m_params.keyLockOff;
    next.userMode = m_params.userMode;
    next.currentMode = static_cast<std::uint8_t>(mode);
    m_params = next;
}

std::string CProcessor::loadModeFile(const std::uint8_t* image, std::size_t size) {
    if (size != kModeFileSize)
        return "a mode file is " + std::to_string(kModeFileSize) + " bytes long, this one has " +
               std::to_string(size);
    if (image[0] != 8 || std::memcmp(image + 1, kModeFileTag, 8) != 0)
        return "it does not start with the length byte 8 and \"ZEL_3.00\"";
    std::memcpy(reinterpret_cast<std::uint8_t*>(&m_params) + kModeFileStoreBegin, image + 9,
                kDeviceParamsSize - kModeFileStoreBegin);
    return {};
}

} // namespace zel::sim
