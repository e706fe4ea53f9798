// CEditStatic: index to text by kind, with the index always inside the label's range.
#include "gui/pages/EditStatic.h"

#include "model/DataConver.h"
#include "model/EqTables.h"

#include <QEvent>

#include <algorithm>
#include <string_view>

namespace zel {

namespace {

template <std::size_t N> QString tableText(const std::array<std::string_view, N>& table, int i) {
    const std::size_t at = std::min(static_cast<std::size_t>(std::max(i, 0)), N - 1);
    return QString::fromLatin1(table[at].data(), static_cast<qsizetype>(table[at].size()));
}

} // namespace

CEditStatic::CEditStatic(QWidget* parent) : QLabel(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    applyColour();
}

void CEditStatic::setRange(int min, int max) {
    m_min = min;
    m_max = max;
}

void CEditStatic::setUnit(int step, int offset, const QString& unit) {
    m_step = step;
    m_offset = offset;
    m_unit = unit;
}

void CEditStatic::setRealUnit(double realStep, double realOffset, const QString& unit) {
    m_realStep = realStep;
    m_realOffset = realOffset;
    m_unit = unit;
}

void CEditStatic::setKind(int kind) {
    m_kind = kind;
}

QString CEditStatic::textFor(int i) const {
    i = std::clamp(i, m_min, std::max(m_min, m_max));
    switch (m_kind) {
    case kLabelAttackTime:
        return tableText(AttackTimeTable, i) + m_unit;
    case kLabelCompRelease:
        return tableText(CompReleaseTable, i) + m_unit;
    case kLabelXoverFreq: {
        if (i <= 0)
            return QStringLiteral("OFF");
        const int at = std::min(i, static_cast<int>(XoverFreqTable.size()) - 1);
        return QString::number(XoverFreqTable[static_cast<std::size_t>(at)], 'f', at < 82 ? 1 : 0) +
               m_unit;
    }
    case kLabelRatio:
        return tableText(RatioTable, i) + m_unit;
    case kLabelReal:
        return QString::number(i * m_realStep - m_realOffset, 'f', 1) + m_unit;
    case kLabelUserQ: {
        const int at = std::clamp(i, 0, static_cast<int>(UserQTable.size()) - 1);
        return QString::number(UserQTable[static_cast<std::size_t>(at)], 'f', 2) + m_unit;
    }
    case kLabelGateRelease:
        return tableText(GateReleaseTable, i) + m_unit;
    case kLabelInt:
    default:
        return QString::number(i * m_step - m_offset) + m_unit;
    }
}

void CEditStatic::setValue(int i) {
    m_index = std::clamp(i, m_min, std::max(m_min, m_max));
    if (m_kind == kLabelInt)
        m_intValue = m_index * m_step - m_offset;
    else if (m_kind == kLabelReal)
        m_realValue = m_index * m_realStep - m_realOffset;
    else if (m_kind == kLabelUserQ)
        m_realValue = UserQTable[static_cast<std::size_t>(
            std::clamp(m_index, 0, int(UserQTable.size()) - 1))];
    const QString text = textFor(m_index);
    if (text != this->text())
        setText(text);
}

void CEditStatic::setColours(const QColor& enabled, const QColor& disabled) {
    m_textColour = enabled;
    m_disabledColour = disabled;
    applyColour();
}

void CEditStatic::changeEvent(QEvent* e) {
    if (e->type() == QEvent::EnabledChange)
        applyColour();
    QLabel::changeEvent(e);
}

void CEditStatic::applyColour() {
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, isEnabled() ? m_textColour : m_disabledColour);
    pal.setColor(QPalette::Disabled, QPalette::WindowText, m_disabledColour);
    setPalette(pal);
}

} // namespace zel
