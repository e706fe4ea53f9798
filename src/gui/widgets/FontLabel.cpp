// CFontLabel: font size and text colour on top of a centred QLabel.
#include "gui/widgets/FontLabel.h"

namespace zel {

CFontLabel::CFontLabel(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignCenter);
    setTextColour(m_colour);
}

void CFontLabel::setFontSize(int pixels) {
    QFont f = font();
    f.setPixelSize(pixels);
    setFont(f);
}

void CFontLabel::setTextColour(const QColor& colour) {
    m_colour = colour;
    QPalette pal = palette();
    pal.setColor(QPalette::Active, QPalette::WindowText, colour);
    pal.setColor(QPalette::Inactive, QPalette::WindowText, colour);
    setPalette(pal);
    repaint();
}

} // namespace zel
