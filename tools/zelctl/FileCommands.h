// The commands of zelctl that work on a mode file alone: show and curve.
#pragma once

#include "Options.h"

#include <cstdio>

namespace zel::ctl {

// Each returns the exit status; a failure has printed its one line on stderr.
int runShow(const ZelctlOptions& options, std::FILE* out);
int runCurve(const ZelctlOptions& options, std::FILE* out);

// Prints "zelctl: TEXT" on stderr and returns status.
int fail(int status, const std::string& text);

} // namespace zel::ctl
