// CEditStatic: the text of every label kind, units without a space, and indices held to the
// label's range.
#include "GuiTestEnv.h"

#include "gui/pages/EditStatic.h"

#include <gtest/gtest.h>

namespace zel::test {
namespace {

TEST(EditStaticTest, EveryKindTurnsItsIndexIntoItsText) {
    struct Case {
        int kind;
        int min, max;
        int step, offset;
        double realStep, realOffset;
        const char* unit;
        int index;
        const char* text;
    };
    const Case cases[] = {
        {kLabelXoverFreq, 0, 143, 1, 0, 0, 0, "Hz", 0, "OFF"},
        {kLabelXoverFreq, 0, 143, 1, 0, 0, 0, "Hz", 1, "19.7Hz"},
        {kLabelXoverFreq, 0, 143, 1, 0, 0, 0, "Hz", 81, "91.9Hz"},
        {kLabelXoverFreq, 0, 143, 1, 0, 0, 0, "Hz", 82, "94Hz"},
        {kLabelXoverFreq, 0, 143, 1, 0, 0, 0, "Hz", 143, "303Hz"},
        {kLabelInt, 0, 34, 1, 34, 0, 0, "dB", 0, "-34dB"},
        {kLabelInt, 0, 34, 1, 34, 0, 0, "dB", 34, "0dB"},
        {kLabelInt, 0, 60, 1, 90, 0, 0, "dB", 0, "-90dB"},
        {kLabelInt, 0, 60, 1, 90, 0, 0, "dB", 60, "-30dB"},
        {kLabelInt, 0, 200, 2, 0, 0, 0, "ms", 125, "250ms"},
        {kLabelReal, 0, 100, 1, 0, 0.5, 10.0, "dB", 3, "-8.5dB"},
        {kLabelAttackTime, 0, 15, 1, 0, 0, 0, "ms", 0, "0.5ms"},
        {kLabelAttackTime, 0, 15, 1, 0, 0, 0, "ms", 15, "90ms"},
        {kLabelCompRelease, 0, 7, 1, 0, 0, 0, nullptr, 7, "Atk X32"},
        {kLabelGateRelease, 0, 7, 1, 0, 0, 0, nullptr, 0, "Atk X6"},
        {kLabelRatio, 0, 40, 1, 0, 0, 0, nullptr, 40, "100"},
        {kLabelUserQ, 0, 28, 1, 0, 0, 0, nullptr, 0, "0.40"},
        // Out of range indices are held to the range before the table is read.
        {kLabelRatio, 0, 40, 1, 0, 0, 0, nullptr, 99, "100"},
        {kLabelInt, 0, 34, 1, 34, 0, 0, "dB", -5, "-34dB"},
        {kLabelAttackTime, 0, 15, 1, 0, 0, 0, "ms", 16, "90ms"},
    };
    for (const Case& c : cases) {
        CEditStatic label;
        label.setRange(c.min, c.max);
        label.setKind(c.kind);
        const QString unit = c.unit ? QString::fromLatin1(c.unit) : QString();
        if (c.kind == kLabelReal)
            label.setRealUnit(c.realStep, c.realOffset, unit);
        else
            label.setUnit(c.step, c.offset, unit);
        label.setValue(c.index);
        EXPECT_EQ(label.text(), QString::fromLatin1(c.text))
            << "kind " << c.kind << " index " << c.index;
        EXPECT_GE(label.index(), c.min);
        EXPECT_LE(label.index(), c.max);
    }
}

TEST(EditStaticTest, DisabledLabelTakesItsDisabledColour) {
    CEditStatic label;
    label.setColours(Qt::black, QColor(128, 128, 128));
    label.setEnabled(false);
    EXPECT_EQ(label.palette().color(QPalette::Disabled, QPalette::WindowText),
              QColor(128, 128, 128));
    label.setEnabled(true);
    EXPECT_EQ(label.palette().color(QPalette::Active, QPalette::WindowText), QColor(Qt::black));
}

} // namespace
} // namespace zel::test
