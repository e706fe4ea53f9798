// AppIcon: the application icon (resource 128), drawn in code at any pixel size.
#pragma once

#include <QIcon>
#include <QImage>

namespace zel {

inline constexpr int IDR_MAINFRAME = 128;

// The icon as a square image of `pixels` × `pixels`, transparent around the rounded face.
QImage appIconImage(int pixels);

// The icon at the usual window and task-bar sizes (16 to 256 pixels).
QIcon appIcon();

} // namespace zel
