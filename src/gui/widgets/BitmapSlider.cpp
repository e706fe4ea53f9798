// CBitmapSlider: geometry along the slider's axis, mouse, keyboard and wheel handling, and
// the two-piece channel painting.
#include "gui/widgets/BitmapSlider.h"

#include "gui/ControlId.h"
#include "gui/PaintDensity.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimerEvent>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

namespace zel {

namespace {
constexpr int WheelNotch = 120;
}

CBitmapSlider::CBitmapSlider(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

bool CBitmapSlider::setChannelBitmaps(int normalId, int activeId, bool transparent,
                                      std::uint32_t transparentColour) {
    const QSize normal = BitmapLibrary::size(normalId);
    const QSize active = BitmapLibrary::size(activeId);
    if (normal.isEmpty() || normal != active) {
        qWarning("CBitmapSlider: channel images %d and %d are missing or differ in size", normalId,
                 activeId);
        return false;
    }
    m_channel = ImagePair{normalId, activeId, transparent, transparentColour};
    m_width = normal.width();
    m_height = normal.height();
    setFixedSize(normal);
    update();
    return true;
}

bool CBitmapSlider::setThumbBitmaps(int normalId, int activeId, bool transparent,
                                    std::uint32_t transparentColour) {
    const QSize normal = BitmapLibrary::size(normalId);
    const QSize active = BitmapLibrary::size(activeId);
    const bool fits = m_width == 0 || (normal.width() <= m_width && normal.height() <= m_height);
    if (normal.isEmpty() || normal != active || !fits) {
        qWarning("CBitmapSlider: thumb images %d and %d are missing, differ in size or do not "
                 "fit the channel",
                 normalId, activeId);
        return false;
    }
    m_thumb = ImagePair{normalId, activeId, transparent, transparentColour};
    m_thumbWidth = normal.width();
    m_thumbHeight = normal.height();
    update();
    return true;
}

void CBitmapSlider::setRange(int min, int max, bool redraw) {
    if (max < min)
        std::swap(min, max);
    m_min = min;
    m_max = max;
    m_pos = min;
    if (redraw)
        update();
}

void CBitmapSlider::setMargins(int left, int top, int right, int bottom) {
    m_margins[0] = left;
    m_margins[1] = top;
    m_margins[2] = right;
    m_margins[3] = bottom;
    update();
}

void CBitmapSlider::setVertical(bool vertical) {
    m_vertical = vertical;
    update();
}

void CBitmapSlider::setPos(int pos) {
    m_pos = std::clamp(pos, m_min, m_max);
    update();
}

void CBitmapSlider::setValue(int value) {
    setPos(m_max + m_min - value);
}

void CBitmapSlider::enable(bool enabled) {
    m_enabled = enabled;
    if (!enabled && m_dragging)
        endDrag();
    setEnabled(enabled);
    update();
}

void CBitmapSlider::setFocusHighlight(bool on) {
    if (m_focusHighlight == on)
        return;
    m_focusHighlight = on;
    update();
}

QSize CBitmapSlider::sizeHint() const {
    return m_width > 0 ? QSize(m_width, m_height) : QWidget::sizeHint();
}

int CBitmapSlider::centreOf(int pos) const {
    const int base = leadMargin() + thumbAlong() / 2;
    const int length = usableLength();
    if (m_max <= m_min || length <= 0)
        return base;
    return base + static_cast<int>(static_cast<double>(pos - m_min) / (m_max - m_min) * length);
}

int CBitmapSlider::positionOf(int centre) const {
    const int length = usableLength();
    if (length <= 0)
        return m_min;
    const double along = centre - leadMargin() - thumbAlong() / 2;
    return m_min + static_cast<int>(along / length * (m_max - m_min));
}

int CBitmapSlider::clampCentre(int centre) const {
    const int lo = leadMargin() + thumbAlong() / 2;
    const int hi = std::max(lo, axisLength() - trailMargin() - thumbAlong() / 2);
    return std::clamp(centre, lo, hi);
}

int CBitmapSlider::axisCoordinate(const QMouseEvent* e) const {
    const QPoint p = e->position().toPoint();
    return m_vertical ? p.y() : p.x();
}

void CBitmapSlider::notify(MessageId id) {
    MessageTarget* target = m_target ? m_target : parentTarget(this);
    if (target)
        target->post(id, static_cast<WPARAM>(controlId(this)), m_pos);
}

void CBitmapSlider::endDrag() {
    m_dragging = false;
    m_moved = false;
    m_pressStepped = false;
    m_timers.kill(DragTimerId);
}

void CBitmapSlider::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !m_enabled) {
        QWidget::mousePressEvent(e);
        return;
    }
    // Qt keeps the moves coming to this widget until the release (implicit grab).
    setFocus(Qt::MouseFocusReason);
    m_dragging = true;
    m_pressStepped = false;
    const int coordinate = axisCoordinate(e);
    const int thumbCentre = centreOf(m_pos);
    m_grabOffset =
        std::abs(coordinate - thumbCentre) <= thumbAlong() / 2 ? coordinate - thumbCentre : 0;

    // A press beside the thumb moves one step toward the press and starts no drag.
    const int centre = clampCentre(coordinate - m_grabOffset);
    if (centre != thumbCentre) {
        const int target = positionOf(centre);
        setPos(target >= m_pos ? m_pos + 1 : m_pos - 1);
        m_dragging = false;
        m_moved = true;
        m_pressStepped = true;
    }
    m_timers.set(DragTimerId, DragTimerPeriodMs);
    update();
    e->accept();
}

void CBitmapSlider::mouseMoveEvent(QMouseEvent* e) {
    if (!m_dragging || !m_enabled) {
        QWidget::mouseMoveEvent(e);
        return;
    }
    const int centre = clampCentre(axisCoordinate(e) - m_grabOffset);
    const int leadingEnd = leadMargin() + thumbAlong() / 2;
    if (centre == leadingEnd) {
        // Several positions may share the first pixel; the leading end always means min,
        // and the parent hears of it like of any other move.
        if (m_pos != m_min) {
            setPos(m_min);
            m_moved = true;
        }
    } else if (centre != centreOf(m_pos)) {
        setPos(positionOf(centre));
        m_moved = true;
    }
    e->accept();
}

void CBitmapSlider::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !m_enabled) {
        QWidget::mouseReleaseEvent(e);
        return;
    }
    // A click on the channel that was let go before the first tick has not been reported
    // yet; it ends with WM_SLIDER_MOVED like a drag, so the parent never misses the step.
    const bool report = m_dragging || (m_pressStepped && m_moved);
    if (report)
        notify(WM_SLIDER_MOVED);
    endDrag();
    update();
    e->accept();
}

void CBitmapSlider::keyPressEvent(QKeyEvent* e) {
    if (!m_enabled) {
        QWidget::keyPressEvent(e);
        return;
    }
    switch (e->key()) {
    case Qt::Key_PageUp:
        setPos(m_pos - m_page);
        break;
    case Qt::Key_PageDown:
        setPos(m_pos + m_page);
        break;
    case Qt::Key_End:
        setPos(m_max);
        break;
    case Qt::Key_Home:
        setPos(m_min);
        break;
    case Qt::Key_Up:
        setPos(m_vertical ? m_pos - 1 : m_pos + 1);
        break;
    case Qt::Key_Down:
        setPos(m_vertical ? m_pos + 1 : m_pos - 1);
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        // The arrows across the axis move nothing but still end a movement.
        break;
    default:
        // Hotkeys and Tab belong to the windows above.
        QWidget::keyPressEvent(e);
        return;
    }
    notify(WM_SLIDER_MOVED);
    e->accept();
}

void CBitmapSlider::wheelEvent(QWheelEvent* e) {
    const int delta = e->angleDelta().y();
    if (!m_enabled || delta == 0) {
        QWidget::wheelEvent(e);
        return;
    }
    m_wheelDelta =
        static_cast<std::int16_t>(std::clamp(m_wheelDelta + delta, -WheelNotch, WheelNotch));
    // Turning the wheel away from the user raises the thumb of a vertical slider (lower
    // position) and moves a horizontal one toward its maximum.
    int step = 0;
    if (m_wheelDelta == WheelNotch)
        step = m_vertical ? -1 : 1;
    else if (m_wheelDelta == -WheelNotch)
        step = m_vertical ? 1 : -1;
    if (step != 0) {
        setPos(m_pos + step);
        m_wheelDelta = 0;
    }
    if (m_vertical || step != 0)
        notify(WM_SLIDER_MOVED);
    update();
    e->accept();
}

void CBitmapSlider::focusInEvent(QFocusEvent* e) {
    QWidget::focusInEvent(e);
    setFocusHighlight(true);
}

void CBitmapSlider::focusOutEvent(QFocusEvent* e) {
    QWidget::focusOutEvent(e);
    setFocusHighlight(false);
}

void CBitmapSlider::timerEvent(QTimerEvent* e) {
    const auto id = m_timers.windowId(e->timerId());
    if (!id) {
        QWidget::timerEvent(e);
        return;
    }
    if (*id == DragTimerId && m_moved) {
        notify(WM_SLIDER_MOVING);
        m_moved = false;
    }
}

QPixmap CBitmapSlider::picture(int id, const ImagePair& pair, qreal density) const {
    return pair.transparent ? BitmapLibrary::keyed(id, density, pair.colour)
                            : BitmapLibrary::pixmap(id, density);
}

void CBitmapSlider::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const qreal density = paintDensity(p);
    const int centre = centreOf(m_pos);

    if (m_channel.normal != 0) {
        // Split at the thumb centre: the minimum side from the active (lit) image, the
        // maximum side from the normal one.
        const QPixmap leading = picture(m_channel.active, m_channel, density);
        const QPixmap trailing = picture(m_channel.normal, m_channel, density);
        const QRect lead =
            m_vertical ? QRect(0, 0, m_width, centre) : QRect(0, 0, centre, m_height);
        const QRect trail = m_vertical ? QRect(0, centre, m_width, m_height - centre)
                                       : QRect(centre, 0, m_width - centre, m_height);
        p.setClipRect(lead);
        p.drawPixmap(0, 0, leading);
        p.setClipRect(trail);
        p.drawPixmap(0, 0, trailing);
        p.setClipping(false);
    }

    if (m_enabled && m_thumb.normal != 0) {
        const bool active = m_dragging || m_focusHighlight;
        const QPixmap thumb = picture(active ? m_thumb.active : m_thumb.normal, m_thumb, density);
        const QPoint at = m_vertical ? QPoint(m_margins[0], centre - m_thumbHeight / 2)
                                     : QPoint(centre - m_thumbWidth / 2, m_margins[1]);
        p.drawPixmap(at, thumb);
    }
}

} // namespace zel
