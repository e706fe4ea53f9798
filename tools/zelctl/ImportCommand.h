// zelctl import-eq: a measurement program's filter text put on the bands of one EQ block
// of a mode file, with a report of how closely the device's steps follow it.
#pragma once

#include "Options.h"

#include <cstdio>

namespace zel::ctl {

// `in` is read when the text is "-".
int runImportEq(const ZelctlOptions& options, std::FILE* in, std::FILE* out);

} // namespace zel::ctl
