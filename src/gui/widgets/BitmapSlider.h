// CBitmapSlider: the level slider of the program, a channel image with a thumb image over it.
#pragma once

#include "eq/GainSliderLink.h"
#include "gui/WindowTimers.h"
#include "gui/res/BitmapLibrary.h"
#include "platform/MessageTarget.h"

#include <QWidget>

#include <cstdint>

namespace zel {

// Positions run from min at the top (vertical) or the left (horizontal) to max; callers that
// want max at the top use setValue()/getValue(), which mirror the position. Movements are
// posted to the parent as WM_SLIDER_MOVING (during a drag, at most every 50 ms) and
// WM_SLIDER_MOVED (when a movement ends), wParam = control id, lParam = position.
class CBitmapSlider : public QWidget, public GainSliderLink {
    Q_OBJECT

public:
    static constexpr int DragTimerId = 5;
    static constexpr int DragTimerPeriodMs = 50;

    explicit CBitmapSlider(QWidget* parent = nullptr);

    // Both images must exist and have the same size; the control takes that size.
    bool setChannelBitmaps(int normalId, int activeId, bool transparent = false,
                           std::uint32_t transparentColour = TopLeftPixelColour);
    // Both images must exist, have the same size and fit in the control.
    bool setThumbBitmaps(int normalId, int activeId, bool transparent = false,
                         std::uint32_t transparentColour = TopLeftPixelColour);
    void setRange(int min, int max, bool redraw = false);
    void setMargins(int left, int top, int right, int bottom);
    void setVertical(bool vertical);

    void setPos(int pos);
    int getPos() const { return m_pos; }
    void setValue(int value);
    int getValue() const { return m_max + m_min - m_pos; }
    // A band's marker dragged on the EQ graph moves its strip's gain slider (max at the top).
    void setGainPosition(int gainIndex) override { setValue(gainIndex); }
    void enable(bool enabled);
    void setFocusHighlight(bool on);

    // Where the notifications go; by default the parent widget when it receives messages.
    void setNotifyTarget(MessageTarget* target) { m_target = target; }

    int rangeMin() const { return m_min; }
    int rangeMax() const { return m_max; }
    bool isVertical() const { return m_vertical; }
    bool isInputEnabled() const { return m_enabled; }
    bool focusHighlight() const { return m_focusHighlight; }
    bool isDragging() const { return m_dragging; }
    // Thumb centre along the axis for a position, in control pixels.
    int centreOf(int pos) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void focusInEvent(QFocusEvent*) override;
    void focusOutEvent(QFocusEvent*) override;
    void timerEvent(QTimerEvent*) override;

private:
    struct ImagePair {
        int normal = 0;
        int active = 0;
        bool transparent = false;
        std::uint32_t colour = TopLeftPixelColour;
    };

    int axisLength() const { return m_vertical ? m_height : m_width; }
    int thumbAlong() const { return m_vertical ? m_thumbHeight : m_thumbWidth; }
    int leadMargin() const { return m_vertical ? m_margins[1] : m_margins[0]; }
    int trailMargin() const { return m_vertical ? m_margins[3] : m_margins[2]; }
    int usableLength() const { return axisLength() - leadMargin() - trailMargin() - thumbAlong(); }
    int positionOf(int centre) const;
    int clampCentre(int centre) const;
    int axisCoordinate(const QMouseEvent*) const;
    void notify(MessageId id);
    void endDrag();
    QPixmap picture(int id, const ImagePair& pair, qreal density) const;

    int m_min = 0;
    int m_max = 100;
    int m_pos = 0;
    int m_page = 20;
    int m_width = 0;
    int m_height = 0;
    int m_thumbWidth = 0;
    int m_thumbHeight = 0;
    int m_margins[4] = {0, 0, 0, 0};
    bool m_vertical = true;
    int m_grabOffset = 0;
    bool m_dragging = false;
    bool m_moved = false;
    bool m_pressStepped = false;
    bool m_enabled = true;
    bool m_focusHighlight = false;
    std::int16_t m_wheelDelta = 0;
    ImagePair m_channel;
    ImagePair m_thumb;
    MessageTarget* m_target = nullptr;
    WindowTimers m_timers{this};
};

} // namespace zel
