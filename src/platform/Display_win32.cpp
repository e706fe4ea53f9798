// Display: a Windows session always has its desktop.
#include "platform/Display.h"

namespace zel {

bool displayAvailable() {
    return true;
}

} // namespace zel
