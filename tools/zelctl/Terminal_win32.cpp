// stderrIsTerminal on Windows.
#include "Terminal.h"

#include <io.h>
#include <stdio.h>

namespace zel::ctl {

bool stderrIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

} // namespace zel::ctl
