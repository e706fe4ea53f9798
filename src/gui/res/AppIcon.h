// AppIcon: the application icon (resource 128), drawn in code at the usual icon sizes.
#pragma once

#include <QIcon>

namespace zel {

QIcon appIcon();

} // namespace zel
