// BitmapArt: flat slider channels, fader caps and the drop-down button, drawn as vectors so
// that they stay sharp at every screen density. Straight lines sit on whole pixels and
// outlines on half pixels, so the 96-dpi pictures have no blurred edges.
#include "gui/res/BitmapArt.h"
#include "gui/res/ArtPalette.h"
#include "gui/res/BitmapIds.h"

#include <QPainter>
#include <QPainterPath>

#include <array>

namespace zel {

namespace {

using namespace art;

void groove(QPainter& p, const QRectF& r, const QColor& fill, const QColor& shine) {
    const qreal radius = std::min(r.width(), r.height()) / 2.0;
    p.setPen(QPen(GrooveEdge, 1.0));
    p.setBrush(fill);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    // A one-pixel shine along the lower (or right) inside edge gives the slot its depth.
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    if (r.width() > r.height())
        p.drawRect(QRectF(r.left() + radius, r.bottom() - 2.0, r.width() - 2 * radius, 1.0));
    else
        p.drawRect(QRectF(r.right() - 2.0, r.top() + radius, 1.0, r.height() - 2 * radius));
}

// A fader cap filling the image, with its index line across the direction of travel.
void cap(QPainter& p, QSize s, bool vertical, bool active) {
    p.setPen(QPen(active ? ActiveEdge : CapEdge, 1.0));
    p.setBrush(active ? ActiveFill : CapFill);
    p.drawRoundedRect(QRectF(0.5, 0.5, s.width() - 1.0, s.height() - 1.0), 2.5, 2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(active ? ActiveLine : CapLine);
    if (vertical) {
        // Travels up and down: a horizontal line on the centre row.
        const qreal y = s.height() / 2;
        p.drawRect(QRectF(3.0, y, s.width() - 6.0, 1.0));
    } else {
        const qreal x = s.width() / 2;
        p.drawRect(QRectF(x, 3.0, 1.0, s.height() - 6.0));
    }
}

// Ticks at the centres the slider gives positions 0, 1/n, ..., 1 of its range, for a thumb
// of `thumb` pixels; `strong` is drawn darker and longer (the band strip's 0 dB).
template <class Draw> void ticks(int length, int thumb, int n, Draw draw) {
    const int usable = length - thumb;
    for (int k = 0; k <= n; ++k)
        draw(k, thumb / 2 + static_cast<int>(static_cast<double>(k) / n * usable));
}

// 146: the band strip's vertical gain channel, 27 × 82, thumb 13 high; ticks every 6 dB,
// the 0 dB tick (a third from the top) strong.
void stripChannel(QPainter& p, QSize s) {
    groove(p, QRectF(11, 4, 5, s.height() - 8), GrooveFill, GrooveShine);
    p.setPen(Qt::NoPen);
    ticks(s.height(), 13, 6, [&](int k, int y) {
        const bool zeroDb = k == 2;
        p.setBrush(zeroDb ? TickStrong : TickColour);
        const qreal reach = zeroDb ? 8.0 : 5.0;
        p.drawRect(QRectF(10 - reach, y, reach - 1, 1.0));
        p.drawRect(QRectF(18, y, reach - 1, 1.0));
    });
}

void stripThumb(QPainter& p, QSize s) {
    cap(p, s, true, false);
}
void stripThumbActive(QPainter& p, QSize s) {
    cap(p, s, true, true);
}

// 157: the pages' horizontal level channel, 150 × 16, thumb 10 wide.
void panelChannel(QPainter& p, QSize s) {
    groove(p, QRectF(3, 6, s.width() - 6, 5), GrooveFill, GrooveShine);
}

void panelThumb(QPainter& p, QSize s) {
    cap(p, s, false, false);
}
void panelThumbActive(QPainter& p, QSize s) {
    cap(p, s, false, true);
}

// Master and Volume channels: a groove with ten scale ticks beneath; the lit variant is the
// part between the minimum and the thumb.
void levelChannel(QPainter& p, QSize s, int thumb, const QColor& fill, const QColor& shine) {
    const int grooveTop = s.height() / 2 - 4;
    groove(p, QRectF(3, grooveTop, s.width() - 6, 6), fill, shine);
    p.setPen(Qt::NoPen);
    p.setBrush(TickColour);
    ticks(s.width(), thumb, 10, [&](int k, int x) {
        const qreal h = (k % 5 == 0) ? 3.0 : 2.0;
        p.drawRect(QRectF(x, grooveTop + 8, 1.0, h));
    });
}

// 2002 / 2000: master levels, 146 × 19, thumb 11 wide.
void masterChannel(QPainter& p, QSize s) {
    levelChannel(p, s, 11, GrooveFill, GrooveShine);
}
void masterChannelLit(QPainter& p, QSize s) {
    levelChannel(p, s, 11, MasterLit, MasterLitShine);
}
void masterThumb(QPainter& p, QSize s) {
    cap(p, s, false, false);
}
void masterThumbActive(QPainter& p, QSize s) {
    cap(p, s, false, true);
}

// 2009 / 2008: the Volume panel's levels, 150 × 16, with the pages' 10-wide thumb.
void volumeChannel(QPainter& p, QSize s) {
    levelChannel(p, s, 10, GrooveFill, GrooveShine);
}
void volumeChannelLit(QPainter& p, QSize s) {
    levelChannel(p, s, 10, VolumeLit, VolumeLitShine);
}

// 173 / 175: the drop-down button face, 38 × 17; the text area is the left 27 pixels and the
// arrow sits in the box to the right of the divider.
void dropButton(QPainter& p, QSize s, bool open) {
    p.setPen(QPen(open ? ActiveFill : CapEdge, 1.0));
    p.setBrush(open ? QColor(214, 230, 248) : QColor(246, 248, 251));
    p.drawRoundedRect(QRectF(0.5, 0.5, s.width() - 1.0, s.height() - 1.0), 3.0, 3.0);
    const qreal divider = s.width() - 11.0;
    p.setPen(Qt::NoPen);
    p.setBrush(open ? ActiveFill : QColor(190, 202, 214));
    p.drawRect(QRectF(divider, 3.0, 1.0, s.height() - 6.0));
    const qreal cx = divider + 5.5;
    const qreal cy = s.height() / 2.0;
    QPainterPath arrow;
    if (open) {
        arrow.moveTo(cx - 3.0, cy + 1.5);
        arrow.lineTo(cx + 3.0, cy + 1.5);
        arrow.lineTo(cx, cy - 2.0);
    } else {
        arrow.moveTo(cx - 3.0, cy - 1.5);
        arrow.lineTo(cx + 3.0, cy - 1.5);
        arrow.lineTo(cx, cy + 2.0);
    }
    arrow.closeSubpath();
    p.fillPath(arrow, open ? ActiveEdge : CapLine);
}

void dropButtonNormal(QPainter& p, QSize s) {
    dropButton(p, s, false);
}
void dropButtonOpen(QPainter& p, QSize s) {
    dropButton(p, s, true);
}

const std::array<BitmapArt, 14> Art = {{
    {IDB_STRIP_CHANNEL, QSize(27, 82), stripChannel},
    {IDB_STRIP_THUMB, QSize(27, 13), stripThumb},
    {IDB_STRIP_THUMB_ACTIVE, QSize(27, 13), stripThumbActive},
    {IDB_PANEL_CHANNEL, QSize(150, 16), panelChannel},
    {IDB_PANEL_THUMB_ACTIVE, QSize(10, 16), panelThumbActive},
    {IDB_PANEL_THUMB, QSize(10, 16), panelThumb},
    {IDB_DROP_BUTTON, QSize(38, 17), dropButtonNormal},
    {IDB_DROP_BUTTON_OPEN, QSize(38, 17), dropButtonOpen},
    {IDB_MASTER_CHANNEL_LIT, QSize(146, 19), masterChannelLit},
    {IDB_MASTER_THUMB_ACTIVE, QSize(11, 19), masterThumbActive},
    {IDB_MASTER_CHANNEL, QSize(146, 19), masterChannel},
    {IDB_MASTER_THUMB, QSize(11, 19), masterThumb},
    {IDB_VOLUME_CHANNEL_LIT, QSize(150, 16), volumeChannelLit},
    {IDB_VOLUME_CHANNEL, QSize(150, 16), volumeChannel},
}};

} // namespace

std::span<const BitmapArt> bitmapArt() {
    return Art;
}

} // namespace zel
