// CFrameAssembler: gathers the bytes the PC writes into whole short frames.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zel::sim {

class CFrameAssembler {
public:
    static constexpr std::size_t kMaxFrame = 258;

    // Feeds one byte; returns true when it completed a frame, which then stays in frame()
    // until the next feed. Bytes outside a frame that do not start FF 55 are skipped.
    bool feed(std::uint8_t byte);
    const std::uint8_t* frame() const { return m_frame; }
    std::size_t length() const { return m_count; }
    // Bytes skipped while hunting for a frame start, since construction.
    std::size_t skipped() const { return m_skipped; }
    bool complete() const { return m_complete; }
    void reset() { m_count = 0; m_complete = false; }

private:
    std::uint8_t m_frame[kMaxFrame]{};
    std::size_t m_count = 0;
    std::size_t m_skipped = 0;
    bool m_complete = false;
};

} // namespace zel::sim
