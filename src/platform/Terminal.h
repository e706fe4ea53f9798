// Whether stderr is an interactive terminal (progress is shown only there).
#pragma once

namespace zel {

bool stderrIsTerminal();

} // namespace zel
