// Display: whether a windowing system is there for the desktop program to open on.
#pragma once

namespace zel {

// POSIX: an X11 or Wayland display is named, or Qt is told which platform to use
// (QT_QPA_PLATFORM, for example offscreen). Windows: always.
bool displayAvailable();

} // namespace zel
