// Startup: what every program of the link stack does once before it touches the store - the
// desktop program before its first window, zelctl before its first command, tests before
// their first case.
#pragma once

namespace zel {

// Installs the curve-model steps, fills the store with its factory defaults (which builds
// the fifteen curve models and makes sentParams equal), and sets the mode paths from the
// current directory. Runs once per process; later calls do nothing, so the store is never
// reset behind a running program. Tests that want a fresh store call initDefaults().
void startUp();

} // namespace zel
