// Startup: curve models, store defaults and mode paths, in that order, once.
#include "app/Startup.h"

#include "eq/CurveModels.h"
#include "model/Defaults.h"
#include "modes/ModePaths.h"

namespace zel {

void startUp() {
    static const bool done = [] {
        // The hooks must be in place before the defaults, which build the models through them.
        installCurveModels();
        initDefaults();
        initModePaths();
        return true;
    }();
    (void)done;
}

} // namespace zel
