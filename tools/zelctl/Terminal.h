// Whether stderr is an interactive terminal (progress is shown only there).
#pragma once

namespace zel::ctl {

bool stderrIsTerminal();

} // namespace zel::ctl
