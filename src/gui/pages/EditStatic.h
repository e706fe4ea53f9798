// CEditStatic: the value label of a slider row, turning a stored index into display text.
#pragma once

#include <QColor>
#include <QLabel>
#include <QString>

namespace zel {

// How an index becomes text; the numbers are the ones the page set-up tables use.
enum LabelKind : int {
    kLabelAttackTime = 5,  // AttackTimeTable[i] + unit
    kLabelCompRelease = 6, // CompReleaseTable[i] + unit
    kLabelXoverFreq = 8,   // "OFF" at 0, else XoverFreqTable[i] "%.1f" below 82, "%.0f" from 82
    kLabelRatio = 12,      // RatioTable[i] + unit
    kLabelReal = 14,       // i * realStep - realOffset, "%.1f"
    kLabelInt = 20,        // i * step - offset, "%d"
    kLabelUserQ = 45,      // UserQTable[i], "%.2f"
    kLabelGateRelease = 46 // GateReleaseTable[i] + unit
};

// The text is drawn on a transparent background over the page; a new value repaints only
// the label's own rectangle, so a slider drag never flickers the page.
class CEditStatic : public QLabel {
    Q_OBJECT

public:
    explicit CEditStatic(QWidget* parent = nullptr);

    void setRange(int min, int max);
    // Kind 20 (and the unit of the table kinds).
    void setUnit(int step, int offset, const QString& unit);
    // Kind 14.
    void setRealUnit(double realStep, double realOffset, const QString& unit);
    void setKind(int kind);
    // Shows index i, limited to the range first.
    void setValue(int i);
    void setColours(const QColor& enabled, const QColor& disabled);

    int index() const { return m_index; }
    int kind() const { return m_kind; }
    int intValue() const { return m_intValue; }
    double realValue() const { return m_realValue; }
    // The text for index i under the current settings, without showing it.
    QString textFor(int i) const;

protected:
    void changeEvent(QEvent*) override;

private:
    void applyColour();

    int m_min = 0;
    int m_max = 0;
    int m_index = 0;
    int m_kind = kLabelInt;
    QString m_unit;
    int m_step = 1;
    int m_offset = 0;
    int m_intValue = 0;
    double m_realStep = 0.0;
    double m_realValue = 0.0;
    double m_realOffset = 0.0;
    QColor m_textColour{Qt::black};
    QColor m_disabledColour{Qt::black};
};

} // namespace zel
