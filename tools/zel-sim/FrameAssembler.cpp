// CFrameAssembler: the simulator's receiver of short frames.
#include "FrameAssembler.h"

namespace zel::sim {

bool CFrameAssembler::feed(std::uint8_t byte) {
    if (m_complete)
        reset();
    switch (m_count) {
    case 0:
        if (byte != 0xFF) {
            ++m_skipped;
            return false;
        }
        break;
    case 1:
        if (byte != 0x55) {
            ++m_skipped;
            m_count = byte == 0xFF ? 1 : 0; // a repeated FF may still start the frame
            return false;
        }
        break;
    case 2:
        if (byte < 3) { // no room for command and checksum: not a frame
            m_skipped += 3;
            m_count = 0;
            return false;
        }
        break;
    default:
        break;
    }
    m_frame[m_count++] = byte;
    if (m_count >= 3 && m_count == std::size_t{m_frame[2]} + 3) {
        m_complete = true;
        return true;
    }
    return false;
}

} // namespace zel::sim
