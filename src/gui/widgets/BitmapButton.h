// CBitmapButton: the skinned push button of the main window and the pages, with a latched
// pressed state that only the program sets.
#pragma once

#include <QAbstractButton>

namespace zel {

// A click emits clicked() and changes nothing by itself; the owner decides and calls
// setPressed(). The look stands in for the numbered button images: a text face (scene,
// COPY and page buttons, text black when released and red when latched), a loudspeaker
// (master mutes), a crossed loudspeaker group (ALL MUTE) and a radio mark with its label
// (selector buttons).
class CBitmapButton : public QAbstractButton {
    Q_OBJECT

public:
    enum class Look { Text, Mute, AllMute, Radio };

    explicit CBitmapButton(Look look, QWidget* parent = nullptr);

    void setPressed(bool pressed);
    bool isPressed() const { return m_pressed; }
    Look look() const { return m_look; }
    // Font size of the face text in pixels at 96 dpi; 0 keeps the parent's font.
    void setTextPixels(int pixels);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;

private:
    void paintFace(QPainter& p, const QRectF& r) const;
    void paintSpeaker(QPainter& p, const QRectF& r, bool all) const;
    void paintRadio(QPainter& p, const QRectF& r) const;

    Look m_look;
    bool m_pressed = false;
    bool m_hot = false;
};

} // namespace zel
