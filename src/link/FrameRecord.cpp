// FrameRecord: the two program-wide frame records.
#include "link/FrameRecord.h"

namespace zel {

// Constant-initialised, so TxRecord holds FF 55 before any code runs.
FrameRecord TxRecord{{kFrameStart0, kFrameStart1}};
FrameRecord RxRecord{};

} // namespace zel
