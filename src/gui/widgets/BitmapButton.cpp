// CBitmapButton: faces drawn as vectors so they stay sharp at every density.
#include "gui/widgets/BitmapButton.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace zel {

namespace {

const QColor FaceTop(250, 252, 255);
const QColor FaceBottom(205, 215, 228);
const QColor HotTop(255, 255, 255);
const QColor HotBottom(220, 232, 246);
const QColor LatchedTop(178, 192, 210);
const QColor LatchedBottom(226, 233, 242);
const QColor Edge(96, 110, 128);
const QColor LatchedText(255, 0, 0);
const QColor EmbossLight(255, 255, 255);
const QColor EmbossDark(140, 148, 158);
const QColor SpeakerOn(40, 52, 66);
const QColor MutedRed(214, 38, 38);

} // namespace

CBitmapButton::CBitmapButton(Look look, QWidget* parent) : QAbstractButton(parent), m_look(look) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

void CBitmapButton::setPressed(bool pressed) {
    if (pressed == m_pressed)
        return;
    m_pressed = pressed;
    update();
}

void CBitmapButton::setTextPixels(int pixels) {
    QFont f = font();
    f.setPixelSize(pixels);
    setFont(f);
}

QSize CBitmapButton::sizeHint() const {
    return QSize(60, 20);
}

void CBitmapButton::enterEvent(QEnterEvent* e) {
    m_hot = true;
    update();
    QAbstractButton::enterEvent(e);
}

void CBitmapButton::leaveEvent(QEvent* e) {
    m_hot = false;
    update();
    QAbstractButton::leaveEvent(e);
}

void CBitmapButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    switch (m_look) {
    case Look::Text:
        paintFace(p, r);
        break;
    case Look::Mute:
        paintSpeaker(p, r, false);
        break;
    case Look::AllMute:
        paintSpeaker(p, r, true);
        break;
    case Look::Radio:
        paintRadio(p, r);
        break;
    }
}

void CBitmapButton::paintFace(QPainter& p, const QRectF& r) const {
    const bool sunk = m_pressed || isDown();
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0.0, sunk ? LatchedTop : (m_hot && isEnabled() ? HotTop : FaceTop));
    g.setColorAt(1.0, sunk ? LatchedBottom : (m_hot && isEnabled() ? HotBottom : FaceBottom));
    p.setPen(QPen(Edge, 1.0));
    p.setBrush(g);
    p.drawRoundedRect(r, 3.0, 3.0);
    if (m_look != Look::Text)
        return; // the speaker faces carry their name as a tooltip, never under the icon
    const QRect textRect = rect().adjusted(1, sunk ? 2 : 1, -1, sunk ? 0 : -1);
    // A long name in a narrow button is drawn smaller rather than clipped.
    QFont f = font();
    while (QFontMetrics(f).horizontalAdvance(text()) > textRect.width() - 2 && f.pixelSize() > 8) {
        if (f.pixelSize() < 0)
            f.setPixelSize(QFontMetrics(f).height() - 2);
        f.setPixelSize(f.pixelSize() - 1);
    }
    p.setFont(f);
    if (!isEnabled()) {
        // Embossed, as the system draws a disabled caption.
        p.setPen(EmbossLight);
        p.drawText(textRect.translated(1, 1), Qt::AlignCenter, text());
        p.setPen(EmbossDark);
        p.drawText(textRect, Qt::AlignCenter, text());
        return;
    }
    p.setPen(m_pressed || isDown() ? LatchedText : QColor(Qt::black));
    p.drawText(textRect, Qt::AlignCenter, text());
}

void CBitmapButton::paintSpeaker(QPainter& p, const QRectF& r, bool all) const {
    paintFace(p, r);
    const qreal s = std::min(r.width(), r.height());
    const QPointF c = r.center();
    const qreal u = s / 12.0;
    QPainterPath body;
    body.moveTo(c.x() - 4 * u, c.y() - 1.5 * u);
    body.lineTo(c.x() - 2.5 * u, c.y() - 1.5 * u);
    body.lineTo(c.x() + 0.5 * u, c.y() - 4 * u);
    body.lineTo(c.x() + 0.5 * u, c.y() + 4 * u);
    body.lineTo(c.x() - 2.5 * u, c.y() + 1.5 * u);
    body.lineTo(c.x() - 4 * u, c.y() + 1.5 * u);
    body.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(m_pressed ? MutedRed : SpeakerOn);
    p.drawPath(body.translated(-u, 0));
    if (all) {
        // A second, smaller speaker behind the first: every output at once.
        p.setOpacity(0.45);
        p.drawPath(body.translated(-3 * u, -2 * u));
        p.setOpacity(1.0);
    }
    p.setBrush(Qt::NoBrush);
    if (m_pressed) {
        p.setPen(QPen(MutedRed, 1.3 * u, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(c.x() + 1.5 * u, c.y() - 2 * u),
                   QPointF(c.x() + 4.5 * u, c.y() + 2 * u));
        p.drawLine(QPointF(c.x() + 1.5 * u, c.y() + 2 * u),
                   QPointF(c.x() + 4.5 * u, c.y() - 2 * u));
    } else {
        p.setPen(QPen(SpeakerOn, 1.0 * u, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(c.x() - 2.5 * u, c.y() - 3 * u, 6 * u, 6 * u), -45 * 16, 90 * 16);
        p.drawArc(QRectF(c.x() - 3.5 * u, c.y() - 4.5 * u, 9 * u, 9 * u), -45 * 16, 90 * 16);
    }
}

void CBitmapButton::paintRadio(QPainter& p, const QRectF& r) const {
    const qreal d = std::min(r.height() - 2.0, 12.0);
    const QRectF mark(r.left() + 1.0, r.center().y() - d / 2, d, d);
    p.setPen(QPen(m_hot && isEnabled() ? QColor(47, 123, 214) : Edge, 1.0));
    p.setBrush(Qt::white);
    p.drawEllipse(mark);
    if (m_pressed || isDown()) {
        p.setPen(Qt::NoPen);
        p.setBrush(m_pressed ? QColor(27, 79, 143) : QColor(140, 170, 210));
        p.drawEllipse(mark.adjusted(d / 4, d / 4, -d / 4, -d / 4));
    }
    p.setPen(isEnabled() ? QColor(Qt::black) : EmbossDark);
    p.drawText(QRectF(mark.right() + 4.0, r.top(), r.right() - mark.right() - 4.0, r.height()),
               Qt::AlignLeft | Qt::AlignVCenter, text());
}

} // namespace zel
