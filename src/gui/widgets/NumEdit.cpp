// CNumEdit: position/text conversion for the three kinds, typing filter, commit on leaving,
// arrow keys and wheel.
#include "gui/widgets/NumEdit.h"

#include "gui/ControlId.h"
#include "gui/VirtualKeys.h"
#include "gui/widgets/BitmapSlider.h"
#include "model/EqTables.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QValidator>
#include <QWheelEvent>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace zel {

namespace {

constexpr int WheelNotch = 120;
constexpr double FreqLow = 19.7;
constexpr double FreqHigh = 20600.0;
constexpr double QLow = 0.4;
constexpr double QHigh = 128.0;
// What the gain kind reads for the text "OFF".
constexpr double GainOff = -120.0;

// Lets only digits, '-' and '.' in, whether typed or pasted; a unit the edit shows behind
// the number may stay.
class NumberValidator : public QValidator {
public:
    // `unit` is the edit's own unit text, which outlives the validator.
    NumberValidator(const QString* unit, QObject* parent) : QValidator(parent), m_unit(unit) {}

    State validate(QString& input, int&) const override {
        QStringView number(input);
        if (!m_unit->isEmpty() && number.endsWith(*m_unit))
            number.chop(m_unit->size());
        for (QChar c : number)
            if (!(c.isDigit() && c.unicode() < 0x80) && c != u'-' && c != u'.')
                return Invalid;
        return Acceptable;
    }

private:
    const QString* m_unit;
};

// The leading decimal number of a text, as the operator typed it; 0 when there is none.
// Independent of the process locale, which Qt sets from the environment.
double leadingNumber(const QString& text) {
    const std::string s = text.trimmed().toStdString();
    double value = 0.0;
    const auto result =
        std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::fixed);
    if (result.ec != std::errc() || !std::isfinite(value))
        return 0.0;
    return value;
}

} // namespace

CNumEdit::CNumEdit(QWidget* parent) : QLineEdit(parent) {
    setValidator(new NumberValidator(&m_unit, this));
    // Only what the operator types marks the text for parsing; redisplay does not.
    connect(this, &QLineEdit::textEdited, this, [this] { m_modified = true; });
}

void CNumEdit::setKind(int kind, const QString& unit) {
    m_kind = kind;
    m_unit = unit;
    redisplay();
}

void CNumEdit::setRange(int min, int max) {
    m_min = min;
    m_max = max;
    m_pos = min;
    redisplay();
}

void CNumEdit::setPos(int pos) {
    if (pos < m_min || pos > m_max)
        return;
    m_pos = pos;
    redisplay();
}

int CNumEdit::getPos() {
    if (m_modified) {
        parse();
        m_modified = false;
    }
    return m_pos;
}

QString CNumEdit::textFor(int pos) const {
    switch (m_kind) {
    case KindFrequency: {
        const double f = FreqTable[static_cast<std::size_t>(
            std::clamp(pos, 0, static_cast<int>(FreqTable.size()) - 1))];
        return QString::asprintf(f >= 101.0 ? "%.0f" : "%.1f", f) + m_unit;
    }
    case KindGain: {
        double value = pos * m_step - m_offset;
        if (std::abs(value) < 0.05)
            value = 0.0; // never "-0.0"
        return QString::asprintf("%0.1f", value);
    }
    case KindQ:
        return QString::asprintf("%0.3f", QTable[static_cast<std::size_t>(std::clamp(
                                              pos, 0, static_cast<int>(QTable.size()) - 1))]);
    default:
        return QString::number(pos);
    }
}

void CNumEdit::redisplay() {
    setText(textFor(m_pos));
    update();
}

// The step count of a gain. Typed values are rounded to the display's precision first, so
// that every text the edit shows reads back as its own position (23.7 × 10 is 236.99… in
// binary).
int CNumEdit::gainIndex(double value) const {
    if (m_step <= 0.0)
        return m_pos;
    const double steps = (value + m_offset) * 10.0 / (m_step * 10.0);
    return std::clamp(static_cast<int>(std::floor(steps + 1e-6)), m_min, m_max);
}

void CNumEdit::parse() {
    const QString t = text();
    switch (m_kind) {
    case KindFrequency: {
        const double value = leadingNumber(t);
        if (value >= FreqLow && value <= FreqHigh)
            m_pos = std::clamp(nearestIndex(FreqTable, value), m_min, m_max);
        break;
    }
    case KindGain: {
        const double value = t == QLatin1String("OFF") ? GainOff : leadingNumber(t);
        if (value >= gainLow() && value <= gainHigh())
            m_pos = gainIndex(value);
        break;
    }
    case KindQ: {
        const double value = std::clamp(leadingNumber(t), QLow, QHigh);
        m_pos = std::clamp(nearestIndex(QTable, value), m_min, m_max);
        break;
    }
    default:
        break;
    }
}

void CNumEdit::commit() {
    const QString t = text();
    switch (m_kind) {
    case KindFrequency:
        if (m_modified) {
            // The whole typed number counts, decimals included: "24.3" must not become the
            // 23.9 Hz entry. Out-of-range entries go to the nearest end of the table.
            const double value = std::clamp(leadingNumber(t), FreqLow, FreqHigh);
            m_pos = std::clamp(nearestIndex(FreqTable, value), m_min, m_max);
            redisplay();
            sendChanged();
        }
        break;
    case KindGain:
        if (m_modified) {
            const double typed = t == QLatin1String("OFF") ? GainOff : leadingNumber(t);
            m_pos = gainIndex(std::clamp(typed, gainLow(), gainHigh()));
            redisplay();
            sendChanged();
        }
        break;
    case KindQ:
        if (m_modified) {
            const double value = std::clamp(leadingNumber(t), QLow, QHigh);
            m_pos = std::clamp(nearestIndex(QTable, value), m_min, m_max);
            redisplay();
            sendChanged();
        }
        break;
    default:
        break;
    }
    // modified stays set: the parent's getPos() reads the redisplayed text.
    update();
    if (m_linkedSlider)
        m_linkedSlider->setFocusHighlight(false);
}

MessageTarget* CNumEdit::target() const {
    return m_target ? m_target : parentTarget(this);
}

void CNumEdit::sendChanged() {
    if (MessageTarget* t = target())
        t->send(WM_NUMEDIT_CHANGED, 0, controlId(this));
}

void CNumEdit::keyPressEvent(QKeyEvent* e) {
    if (isReadOnly() && (e->modifiers() & Qt::ShiftModifier)) {
        e->ignore();
        return;
    }
    const bool arrow = e->key() == Qt::Key_Up || e->key() == Qt::Key_Down;
    if (!(e->modifiers() & Qt::ControlModifier)) {
        switch (e->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
            if (MessageTarget* t = target())
                t->post(WM_BAND_NAVIGATE, static_cast<WPARAM>(controlId(this)),
                        e->key() == Qt::Key_Left ? VK_LEFT : VK_RIGHT);
            break;
        case Qt::Key_Up:
            if (m_pos + 1 <= m_max) {
                ++m_pos;
                redisplay();
                sendChanged();
            }
            break;
        case Qt::Key_Down:
            if (m_pos - 1 >= m_min) {
                --m_pos;
                redisplay();
                sendChanged();
            }
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Enter types nothing; it only brings the caret home. The event then goes on
            // to the window above, which takes the focus and so commits the entry.
            home(false);
            break;
        default:
            break;
        }
    }
    QLineEdit::keyPressEvent(e);
    if (arrow)
        e->accept();
}

void CNumEdit::wheelEvent(QWheelEvent* e) {
    const int delta = e->angleDelta().y();
    if (delta == 0) {
        QLineEdit::wheelEvent(e);
        return;
    }
    m_wheelDelta =
        static_cast<std::int16_t>(std::clamp(m_wheelDelta + delta, -WheelNotch, WheelNotch));
    if (m_wheelDelta == -WheelNotch) {
        setPos(m_pos - 1);
        m_wheelDelta = 0;
    } else if (m_wheelDelta == WheelNotch) {
        setPos(m_pos + 1);
        m_wheelDelta = 0;
    }
    sendChanged();
    e->accept();
}

void CNumEdit::mousePressEvent(QMouseEvent* e) {
    // A click on a band's entry selects that band on its page before anything else.
    if (e->button() == Qt::LeftButton) {
        sendChanged();
        update();
    }
    QLineEdit::mousePressEvent(e);
}

void CNumEdit::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    update();
    if (m_linkedSlider)
        m_linkedSlider->setFocusHighlight(true);
    if (!isReadOnly())
        selectAll();
}

void CNumEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    // The edit's own context menu takes the focus only for a moment; typing goes on after.
    if (e->reason() != Qt::PopupFocusReason)
        commit();
}

} // namespace zel
