// CFontLabel: the skinned text label, centred text in a font size and colour set at run time.
#pragma once

#include <QColor>
#include <QLabel>

namespace zel {

class CFontLabel : public QLabel {
    Q_OBJECT

public:
    explicit CFontLabel(QWidget* parent = nullptr);

    // Character height in pixels at 96 dpi, in the control's own face.
    void setFontSize(int pixels);
    // Changes the text colour and repaints at once (a page marks its selected band in red).
    void setTextColour(const QColor& colour);
    QColor textColour() const { return m_colour; }

private:
    QColor m_colour{Qt::black};
};

} // namespace zel
