// stderrIsTerminal on POSIX systems.
#include "Terminal.h"

#include <unistd.h>

namespace zel::ctl {

bool stderrIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

} // namespace zel::ctl
