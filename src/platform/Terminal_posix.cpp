// stderrIsTerminal on POSIX systems.
#include "platform/Terminal.h"

#include <unistd.h>

namespace zel {

bool stderrIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

} // namespace zel
