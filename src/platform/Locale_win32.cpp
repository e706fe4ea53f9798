// Locale: the system default locale id from Windows.
#include "platform/Locale.h"

#include <windows.h>

namespace zel {

std::uint32_t systemDefaultLcid() {
    return static_cast<std::uint32_t>(GetSystemDefaultLCID());
}

} // namespace zel
