// Display: the environment of an X11 or Wayland session.
#include "platform/Display.h"

#include <cstdlib>
#include <initializer_list>

namespace zel {

bool displayAvailable() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* v = std::getenv(name);
        if (v != nullptr && *v != '\0')
            return true;
    }
    return false;
}

} // namespace zel
