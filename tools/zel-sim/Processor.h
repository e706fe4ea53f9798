// CProcessor: the processor's side of the protocol as the simulator plays it: its working
// parameter set with both scene banks, six stored device modes and the passwords.
#pragma once

#include "model/DeviceParams.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zel::sim {

class CProcessor {
public:
    // Starts from the factory defaults; every stored mode holds them too.
    CProcessor();

    // Largest reply: the dump frame.
    static constexpr std::size_t kMaxReply = 1386;

    // Handles one complete short frame (FF 55 L cmd data.. checksum, `length` bytes) and
    // writes the reply into `out` (at least kMaxReply bytes); returns the reply's length.
    // A synchronisation request is answered with the dump frame alone; every other frame
    // with its acknowledgement carrying `status` (0 accepts). A frame with a wrong
    // checksum is not applied and is answered with status 1, asking for it again. A frame
    // answered with a repeat status is not applied either.
    std::size_t handleFrame(const std::uint8_t* frame, std::size_t length, std::uint8_t status,
                            std::uint8_t* out);

    const DeviceParams& params() const { return m_params; }
    DeviceParams& params() { return m_params; }

    // Replaces the working set by the store bytes 6..1423 of a mode file image (length
    // byte 8, "ZEL_3.00", then the bytes; 1427 in all). Returns an empty string on
    // success, else what is wrong with the image.
    std::string loadModeFile(const std::uint8_t* image, std::size_t size);

    // The bank scene-dependent commands go to: that of the scene of the last 0x3A frame
    // (or of the mode loaded last). Auto plays from the Singing bank.
    bool danceBank() const { return m_params.scene == 2; }

private:
    void apply(const std::uint8_t* frame);
    void loadMode(int mode);

    DeviceParams m_params{};
    std::array<DeviceParams, kModeCount> m_modes{};
};

} // namespace zel::sim
