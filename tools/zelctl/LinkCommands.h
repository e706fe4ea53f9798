// The commands of zelctl that talk to the processor: ports, pull, push and set.
#pragma once

#include "Options.h"

namespace zel::ctl {

// Each returns the exit status; a failure has printed its one line on stderr.
int runPorts(const ZelctlOptions& options);
int runPull(const ZelctlOptions& options);
int runPush(const ZelctlOptions& options);
int runSet(const ZelctlOptions& options);

class CLinkSession;

// The store the tool starts from: the factory defaults with the curve models built.
void startStore();
// Loads the mode file with load part `part` into the store, uploads it over the connected
// session and waits until every frame is answered and the processor confirmed the end.
// Returns the exit status; on failure `error` says why (empty when the mode library has
// printed it).
int uploadMode(CLinkSession& session, const std::string& file, int part, bool showProgress,
               std::string& error);

} // namespace zel::ctl
