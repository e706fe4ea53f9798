// The commands of zelctl that talk to the processor: ports, pull, push and set.
#pragma once

#include "Options.h"

namespace zel::ctl {

// Each returns the exit status; a failure has printed its one line on stderr.
int runPorts(const ZelctlOptions& options);
int runPull(const ZelctlOptions& options);
int runPush(const ZelctlOptions& options);
int runSet(const ZelctlOptions& options);

} // namespace zel::ctl
