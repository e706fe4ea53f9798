// Program-wide state of the window thread that the core reads.
#pragma once

#include <cstdint>

namespace zel {

// UI language: non-zero = Chinese, 0 = English. Written only on the window thread.
extern int g_bChinese;
// The system default locale id, kept for the run.
extern std::uint32_t g_systemLcid;
// The page on show, 0..10 (an EqBlockId).
extern int g_currentPage;

} // namespace zel
