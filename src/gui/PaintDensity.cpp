// paintDensity: the larger of the device's ratio and the engine target's, times the scaling.
#include "gui/PaintDensity.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace zel {

qreal paintDensity(const QPainter& painter) {
    qreal dpr = 1.0;
    if (const QPaintDevice* device = painter.device())
        dpr = device->devicePixelRatioF();
    if (const QPaintEngine* engine = painter.paintEngine())
        if (const QPaintDevice* target = engine->paintDevice())
            dpr = std::max(dpr, target->devicePixelRatioF());
    const QTransform& world = painter.worldTransform();
    const qreal scale = std::max(std::abs(world.m11()), std::abs(world.m22()));
    return dpr * (scale > 0.0 ? scale : 1.0);
}

} // namespace zel
