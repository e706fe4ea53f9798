// The commands of zelctl that talk to the processor: ports, pull, push and set.
#pragma once

#include "Options.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zel::ctl {

// Each returns the exit status; a failure has printed its one line on stderr.
int runPorts(const ZelctlOptions& options);
int runPull(const ZelctlOptions& options);
int runPush(const ZelctlOptions& options);
int runSet(const ZelctlOptions& options);

class CLinkSession;

// The store the tool starts from: the factory defaults with the curve models built.
void startStore();
// Loads `image`, the bytes of the mode file `file` read before the link came up, with load
// part `part` into the store, uploads it over the connected session and waits until every
// frame is answered and the processor confirmed the end. Returns the exit status; on failure
// `error` says why (empty when the mode library has printed it), and after a lost link how
// much of the upload the processor answered.
int uploadMode(CLinkSession& session, const std::string& file, std::vector<std::uint8_t> image,
               int part, bool showProgress, std::string& error);

} // namespace zel::ctl
