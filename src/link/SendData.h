// CSendData: one frame waiting in the transmit queue, in its own 2028-byte frame record.
#pragma once

#include "link/FrameRecord.h"

#include <memory>

namespace zel {

class CSendData {
public:
    // The record starts zero-filled with FF 55 in bytes 0 and 1.
    CSendData();
    FrameRecord& record() { return *m_record; }
    const FrameRecord& record() const { return *m_record; }

private:
    std::unique_ptr<FrameRecord> m_record;
};

} // namespace zel
