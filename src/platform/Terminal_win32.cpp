// stderrIsTerminal on Windows.
#include "platform/Terminal.h"

#include <io.h>
#include <stdio.h>

namespace zel {

bool stderrIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

} // namespace zel
