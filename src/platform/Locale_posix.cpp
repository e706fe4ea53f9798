// Locale: the system locale from the environment, as the C library would choose it.
#include "platform/Locale.h"

#include <cstdlib>
#include <initializer_list>

namespace zel {

std::uint32_t systemDefaultLcid() {
    for (const char* variable : {"LC_ALL", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0')
            return lcidFromLocaleName(value);
    }
    return lcidFromLocaleName("");
}

} // namespace zel
