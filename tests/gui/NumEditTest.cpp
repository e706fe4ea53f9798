// CNumEdit: typed entries and their commit when the focus leaves, arrow keys, wheel, the
// typing filter and the messages to the parent.
#include "GuiTestEnv.h"

#include "gui/ControlId.h"
#include "gui/VirtualKeys.h"
#include "gui/res/BitmapIds.h"
#include "gui/widgets/BitmapSlider.h"
#include "gui/widgets/NumEdit.h"
#include "model/EqTables.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <string>

namespace zel::test {
namespace {

constexpr int EditId = 1038;

int freqIndex(double hz) {
    return nearestIndex(FreqTable, hz);
}

class NumEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent.resize(200, 100);
        edit = new CNumEdit(&parent);
        setControlId(edit, EditId);
        elsewhere = new QLineEdit(&parent);
        elsewhere->move(0, 50);
        showActive(parent);
        elsewhere->setFocus(); // activation focused the edit; tests choose themselves
    }

    // The three kinds as the band strip sets them up.
    void make(int kind) {
        edit->setKind(kind);
        switch (kind) {
        case CNumEdit::KindGain:
            edit->setStep(0.1);
            edit->setOffset(24.0);
            edit->setRange(0, 360);
            break;
        case CNumEdit::KindFrequency:
            edit->setRange(0, 361);
            break;
        default:
            edit->setRange(0, 100);
            break;
        }
    }

    void typeAndLeave(const QString& text) {
        edit->setFocus();
        ASSERT_TRUE(edit->hasFocus());
        edit->selectAll();
        QTest::keyClicks(edit, text);
        elsewhere->setFocus();
    }

    void wheel(int delta) {
        QWheelEvent e(QPointF(5, 5), edit->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(edit, &e);
    }

    Recorder parent;
    CNumEdit* edit = nullptr;
    QLineEdit* elsewhere = nullptr;
};

TEST_F(NumEditTest, TypedEntriesCommitToTheNearestStepWhenTheFocusLeaves) {
    struct Case {
        int kind;
        const char* typed;
        int expected;
        const char* shown;
    };
    const Case cases[] = {
        {CNumEdit::KindFrequency, "1234", freqIndex(1240), "1240"},
        {CNumEdit::KindFrequency, "12.7", 0, "19.7"},
        {CNumEdit::KindFrequency, "24.3", freqIndex(24.3), "24.3"}, // decimals count
        {CNumEdit::KindFrequency, "99999", 361, "20600"},
        {CNumEdit::KindQ, "0.65", 9, "0.670"}, // a tie goes to the higher entry
        {CNumEdit::KindQ, "0.64", 8, "0.630"},
        {CNumEdit::KindQ, "500", 100, "128.000"},
        {CNumEdit::KindQ, "0", 0, "0.400"},
        {CNumEdit::KindGain, "3.05", 270, "3.0"},
        {CNumEdit::KindGain, "20", 360, "12.0"},
        {CNumEdit::KindGain, "-30", 0, "-24.0"},
        {CNumEdit::KindGain, "-0.3", 237, "-0.3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " typed '" << c.typed << "'");
        make(c.kind);
        edit->setPos(50);
        parent.clear();
        typeAndLeave(QString::fromLatin1(c.typed));

        EXPECT_EQ(edit->text().toStdString(), c.shown);
        const auto changed = parent.of(WM_NUMEDIT_CHANGED);
        ASSERT_EQ(changed.size(), 1u);
        EXPECT_FALSE(parent.received.back().posted) << "sent, so the parent reads it at once";
        EXPECT_EQ(changed[0].wParam, 0u);
        EXPECT_EQ(changed[0].lParam, EditId);
        EXPECT_EQ(edit->getPos(), c.expected) << "what the parent reads";
    }
}

// The parent reads a committed entry by parsing the text the edit shows; every shown text
// must therefore read back as its own position.
TEST_F(NumEditTest, EveryShownTextReadsBackAsItsOwnPosition) {
    for (int kind : {CNumEdit::KindGain, CNumEdit::KindFrequency, CNumEdit::KindQ}) {
        make(kind);
        const int last = kind == CNumEdit::KindGain ? 360 : kind == CNumEdit::KindQ ? 100 : 361;
        int wrong = 0;
        for (int pos = 0; pos <= last; ++pos) {
            edit->setPos(pos == 0 ? last : 0);
            const QString shown = edit->textFor(pos);
            edit->setFocus();
            edit->selectAll();
            QTest::keyClicks(edit, shown);
            EXPECT_EQ(edit->getPos(), pos) << "kind " << kind << " text " << shown.toStdString();
            wrong += edit->getPos() != pos;
            if (wrong > 3)
                break;
        }
    }
}

TEST_F(NumEditTest, LeavingWithoutTypingChangesNothing) {
    make(CNumEdit::KindFrequency);
    edit->setPos(freqIndex(81.8)); // a text whose whole-number part lies nearer 80.3
    edit->setFocus();
    elsewhere->setFocus();
    EXPECT_EQ(edit->text(), QStringLiteral("81.8"));
    EXPECT_EQ(edit->getPos(), freqIndex(81.8));
    EXPECT_TRUE(parent.of(WM_NUMEDIT_CHANGED).empty());
}

TEST_F(NumEditTest, UpAndDownStepInsideTheRangeOnly) {
    struct Case {
        Qt::Key key;
        int from, expected;
        bool sends;
    };
    const Case cases[] = {{Qt::Key_Up, 100, 101, true},
                          {Qt::Key_Down, 100, 99, true},
                          {Qt::Key_Up, 360, 360, false},
                          {Qt::Key_Down, 0, 0, false}};
    make(CNumEdit::KindGain);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << c.key << " from " << c.from);
        edit->setPos(c.from);
        parent.clear();
        QTest::keyClick(edit, c.key);
        EXPECT_EQ(edit->getPos(), c.expected);
        EXPECT_EQ(edit->text(), edit->textFor(c.expected));
        EXPECT_EQ(parent.of(WM_NUMEDIT_CHANGED).size(), c.sends ? 1u : 0u);
    }
    parent.clear();
    QTest::keyClick(edit, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(edit->getPos(), 0) << "Ctrl+arrow is left to the edit";
}

TEST_F(NumEditTest, LeftAndRightArePostedForBandNavigation) {
    make(CNumEdit::KindFrequency);
    QTest::keyClick(edit, Qt::Key_Left);
    QTest::keyClick(edit, Qt::Key_Right);
    EXPECT_TRUE(parent.received.empty());
    parent.deliverPosted();
    const auto nav = parent.of(WM_BAND_NAVIGATE);
    ASSERT_EQ(nav.size(), 2u);
    EXPECT_EQ(nav[0].wParam, WPARAM{EditId});
    EXPECT_EQ(nav[0].lParam, VK_LEFT);
    EXPECT_EQ(nav[1].lParam, VK_RIGHT);
    QTest::keyClick(edit, Qt::Key_Left, Qt::ControlModifier);
    parent.deliverPosted();
    EXPECT_EQ(parent.of(WM_BAND_NAVIGATE).size(), 2u);
}

TEST_F(NumEditTest, WheelStepsPerNotchAndAlwaysSends) {
    struct Case {
        std::vector<int> deltas;
        int from, expected;
    };
    const Case cases[] = {{{120}, 10, 11},    {{-120}, 10, 9}, {{60}, 10, 10},
                          {{60, 60}, 10, 11}, {{-240}, 10, 9}, {{120}, 100, 100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        make(CNumEdit::KindQ);
        wheel(c.deltas.front() > 0 ? -1 : 1); // leave no remainder from the last case
        wheel(c.deltas.front() > 0 ? 1 : -1);
        edit->setPos(c.from);
        parent.clear();
        for (int d : c.deltas)
            wheel(d);
        EXPECT_EQ(edit->getPos(), c.expected);
        EXPECT_EQ(parent.of(WM_NUMEDIT_CHANGED).size(), c.deltas.size());
    }
}

TEST_F(NumEditTest, OnlyNumberCharactersGetIn) {
    make(CNumEdit::KindGain);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("1a2 b.-x3"));
    EXPECT_EQ(edit->text(), QStringLiteral("12.-3"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(edit->cursorPosition(), 0);
    EXPECT_EQ(edit->text(), QStringLiteral("12.-3"));

    QApplication::clipboard()->setText(QStringLiteral("OFF"));
    edit->selectAll();
    edit->paste();
    EXPECT_EQ(edit->text(), QStringLiteral("12.-3")) << "pasted letters are refused too";
}

TEST_F(NumEditTest, FocusDrivesTheLinkedSlidersHighlight) {
    make(CNumEdit::KindGain);
    CBitmapSlider slider(&parent);
    edit->setLinkedSlider(&slider);
    edit->setFocus();
    EXPECT_TRUE(slider.focusHighlight());
    EXPECT_EQ(edit->selectedText(), edit->text());
    elsewhere->setFocus();
    EXPECT_FALSE(slider.focusHighlight());
}

TEST_F(NumEditTest, PressSendsBeforeTheEditTakesTheFocus) {
    make(CNumEdit::KindGain);
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(4, 4));
    const auto changed = parent.of(WM_NUMEDIT_CHANGED);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0].lParam, EditId);
    EXPECT_TRUE(edit->hasFocus());
}

} // namespace
} // namespace zel::test
