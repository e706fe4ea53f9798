// AppIcon: a mixing-desk face - three faders under a lit EQ curve - in the colours of the
// program's own sliders, so the window, the task bar and the desktop menu show one picture.
#include "gui/res/AppIcon.h"
#include "gui/res/ArtPalette.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <array>
#include <cmath>

namespace zel {

namespace {

using namespace art;

const QColor FaceEdge(20, 58, 105);
const QColor Groove(20, 40, 66);

// Where each fader cap sits, as a fraction of its travel from the top.
constexpr std::array<double, 3> CapPositions = {0.62, 0.28, 0.48};

} // namespace

QImage appIconImage(int pixels) {
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 256-unit square so every size has the same proportions.
    const qreal unit = pixels / 256.0;
    p.scale(unit, unit);
    // The smallest sizes get heavier strokes so the faders stay readable.
    const qreal weight = pixels <= 24 ? 1.6 : pixels <= 48 ? 1.25 : 1.0;

    QLinearGradient face(0, 0, 0, 256);
    face.setColorAt(0, ActiveFill);
    face.setColorAt(1, ActiveEdge);
    p.setPen(QPen(FaceEdge, 6.0));
    p.setBrush(face);
    p.drawRoundedRect(QRectF(8, 8, 240, 240), 44, 44);

    const qreal top = 56, bottom = 224;
    const std::array<qreal, 3> columns = {72, 128, 184};
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const qreal x = columns[i];
        const qreal grooveWidth = 12 * weight;
        p.setPen(Qt::NoPen);
        p.setBrush(Groove);
        p.drawRoundedRect(QRectF(x - grooveWidth / 2, top, grooveWidth, bottom - top),
                          grooveWidth / 2, grooveWidth / 2);
        const qreal capWidth = 44 * weight, capHeight = 26 * weight;
        const qreal y = top + CapPositions[i] * (bottom - top);
        p.setPen(QPen(CapLine, 4.0));
        p.setBrush(CapFill);
        p.drawRoundedRect(QRectF(x - capWidth / 2, y - capHeight / 2, capWidth, capHeight), 6, 6);
        if (pixels >= 32)
            p.drawLine(QPointF(x - capWidth / 2 + 8, y), QPointF(x + capWidth / 2 - 8, y));
    }

    // A peaking-band curve across the top, only where there is room for it.
    if (pixels >= 32) {
        QPainterPath curve;
        for (int k = 0; k <= 64; ++k) {
            const qreal x = 36 + k * (184.0 / 64);
            const qreal d = (x - 128) / 34.0;
            const qreal y = 46 - 22 * std::exp(-d * d);
            if (k == 0)
                curve.moveTo(x, y);
            else
                curve.lineTo(x, y);
        }
        p.setPen(QPen(VolumeLit, 9.0 * weight, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(curve);
    }
    return image;
}

QIcon appIcon() {
    QIcon icon;
    for (int pixels : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(appIconImage(pixels)));
    return icon;
}

} // namespace zel
