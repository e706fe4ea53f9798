// CNumEdit: the numeric entry of an EQ band parameter (frequency, gain or Q) over a position.
#pragma once

#include "platform/MessageTarget.h"

#include <QLineEdit>
#include <QString>

#include <cstdint>

namespace zel {

class CBitmapSlider;

// The text is always derived from the position; typed text becomes a position again when
// the edit loses the focus (commit) or when the parent asks for getPos(). Every change is
// sent synchronously to the parent as WM_NUMEDIT_CHANGED (wParam 0, lParam = control id);
// Left and Right are posted as WM_BAND_NAVIGATE (wParam = control id, lParam = the key).
class CNumEdit : public QLineEdit {
    Q_OBJECT

public:
    // Display kinds: a FreqTable index, a linear step count (pos × step − offset), a QTable
    // index.
    static constexpr int KindFrequency = 4;
    static constexpr int KindQ = 11;
    static constexpr int KindGain = 23;

    explicit CNumEdit(QWidget* parent = nullptr);

    void setKind(int kind, const QString& unit = QString());
    void setRange(int min, int max);
    void setStep(double step) { m_step = step; }
    void setOffset(double offset) { m_offset = offset; }
    void setLinkedSlider(CBitmapSlider* slider) { m_linkedSlider = slider; }
    // Positions outside min..max are ignored.
    void setPos(int pos);
    // Parses the text first when it was typed into since the last parse.
    int getPos();

    void setNotifyTarget(MessageTarget* target) { m_target = target; }
    int kind() const { return m_kind; }
    bool isModified() const { return m_modified; }

    // The text a kind shows for a position.
    QString textFor(int pos) const;

protected:
    void keyPressEvent(QKeyEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void focusInEvent(QFocusEvent*) override;
    void focusOutEvent(QFocusEvent*) override;

private:
    void redisplay();
    void commit();
    void parse();
    int gainIndex(double value) const;
    double gainLow() const { return m_min * m_step - m_offset; }
    double gainHigh() const { return m_max * m_step - m_offset; }
    void sendChanged();
    MessageTarget* target() const;

    CBitmapSlider* m_linkedSlider = nullptr;
    int m_pos = 0;
    int m_kind = 0;
    int m_min = 0;
    int m_max = 0;
    bool m_modified = false;
    double m_step = 0.0;
    double m_offset = 0.0;
    QString m_unit;
    std::int16_t m_wheelDelta = 0;
    MessageTarget* m_target = nullptr;
};

} // namespace zel
