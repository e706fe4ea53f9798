// AppIcon: a blue rounded square with a fader and an EQ curve.
#include "gui/res/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace zel {

QIcon appIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal u = size / 16.0;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(27, 79, 143));
        p.drawRoundedRect(QRectF(0.5 * u, 0.5 * u, 15 * u, 15 * u), 3 * u, 3 * u);
        QPainterPath curve;
        curve.moveTo(2 * u, 10 * u);
        curve.cubicTo(5 * u, 10 * u, 6 * u, 4 * u, 8 * u, 4 * u);
        curve.cubicTo(10 * u, 4 * u, 11 * u, 9 * u, 14 * u, 8 * u);
        p.setPen(QPen(QColor(250, 206, 140), 1.4 * u, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(curve);
        p.setPen(QPen(Qt::white, 1.0 * u, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3 * u, 13 * u), QPointF(13 * u, 13 * u));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(9 * u, 11.8 * u, 2.4 * u, 2.4 * u), 0.5 * u, 0.5 * u);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

} // namespace zel
