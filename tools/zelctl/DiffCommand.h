// zelctl diff: two mode files, or one and the processor, compared field by field.
#pragma once

#include "Options.h"

#include <cstdio>

namespace zel::ctl {

// Exit statuses of diff, as those of the diff program.
inline constexpr int kDiffSame = 0;
inline constexpr int kDiffDifferent = 1;
inline constexpr int kDiffTrouble = 2;

int runDiff(const ZelctlOptions& options, std::FILE* out);

} // namespace zel::ctl
