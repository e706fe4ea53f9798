// CSendData: one queued frame in its own zero-filled record.
#include "link/SendData.h"

namespace zel {

CSendData::CSendData() : m_record(std::make_unique<FrameRecord>()) {
    (*m_record)[0] = kFrameStart0;
    (*m_record)[1] = kFrameStart1;
}

} // namespace zel
