// paintDensity: device pixels per logical pixel of whatever a painter is drawing into.
#pragma once

#include <QtGlobal>

class QPainter;

namespace zel {

// The density of the real target, also when a widget is rendered into a larger off-screen
// image (the painter's device is then still the widget), so drawn resources can be fetched
// at the resolution they will be shown at.
qreal paintDensity(const QPainter& painter);

} // namespace zel
