// CFilterDlg on a band record of its own: typed entries, the type button, slider drags and
// graph drags reaching the record, the slider, the graph and the page.
#include "GuiTestEnv.h"

#include "eq/Filter.h"
#include "gui/VirtualKeys.h"
#include "gui/eq/FilterDlg.h"
#include "gui/eq/GraphRedrawTarget.h"
#include "gui/widgets/BitmapSlider.h"
#include "gui/widgets/DropListButton.h"
#include "gui/widgets/NumEdit.h"
#include "model/EqTables.h"

#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QProxyStyle>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace zel::test {
namespace {

constexpr int Band = 3; // the strip edits band 4 of its page

class GraphSpy : public GraphRedrawTarget {
public:
    struct Call {
        int highlight;
        bool dropSelection;
    };
    std::vector<Call> calls;
    void redraw(int highlight, bool dropSelection) override {
        calls.push_back({highlight, dropSelection});
    }
};

class FilterDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_pEqGraph = &graph;
        band.freq = static_cast<std::uint16_t>(nearestIndex(FreqTable, 1000.0));
        band.gain = 240;
        band.q = 16;
        band.type = kPeaking;
        filter.setCode(Band + 1);
        filter.bindBand(&band);
        filter.resize(800, 360);

        page.resize(200, 260);
        strip = new CFilterDlg(&page);
        strip->setBandIndex(Band);
        strip->attachFilter(&filter);
        strip->refreshStrip();
        elsewhere = new QLineEdit(&page);
        elsewhere->move(60, 0);
        showActive(page);
        elsewhere->setFocus();
        settle();
    }
    void TearDown() override { g_pEqGraph = nullptr; }

    // Runs whatever the controls and the strip posted, then forgets what the page heard.
    void settle() {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents();
        page.clear();
    }
    std::vector<Received> heard(MessageId id) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents();
        std::vector<Received> out;
        for (const Received& r : page.received)
            if (r.message.id == id)
                out.push_back(r);
        return out;
    }

    void typeAndLeave(CNumEdit* edit, const QString& text) {
        edit->setFocus();
        ASSERT_TRUE(edit->hasFocus());
        edit->selectAll();
        QTest::keyClicks(edit, text);
        elsewhere->setFocus();
    }

    // The marker centre of the filter on the graph for a gain in dB at the filter's frequency.
    Point markerAt(double db) const {
        return {freqToPixelX(filter.freqHz(), filter.plotWidth()) + kPlotOffsetX,
                dbToPixelY(db, filter.plotHeight()) + kPlotOffsetY};
    }

    GraphSpy graph;
    EqBand band{};
    CFilter filter;
    Recorder page;
    CFilterDlg* strip = nullptr;
    QLineEdit* elsewhere = nullptr;
};

TEST_F(FilterDlgTest, ACommittedEntryWritesTheBandAndSelectsItOnThePage) {
    enum Field { Gain, Freq, Q };
    struct Case {
        Field field;
        const char* typed;
        int stored;
    };
    const Case cases[] = {
        {Gain, "3.05", 270}, // 3.0 dB: the entry keeps the tenth it shows
        {Gain, "20", 360},   // above +12 dB: the top
        {Gain, "-30", 0},    // below -24 dB: the bottom
        {Gain, "-3", 210},   {Freq, "1234", nearestIndex(FreqTable, 1240.0)},
        {Q, "0.65", 9}, // a tie between 0.63 and 0.67 goes up
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        page.clear();
        CNumEdit* edit = c.field == Gain   ? strip->gainEdit()
                         : c.field == Freq ? strip->freqEdit()
                                           : strip->qEdit();
        typeAndLeave(edit, QString::fromLatin1(c.typed));
        const int stored = c.field == Gain   ? static_cast<int>(band.gain)
                           : c.field == Freq ? static_cast<int>(band.freq)
                                             : static_cast<int>(band.q);
        EXPECT_EQ(stored, c.stored);
        if (c.field == Gain) {
            EXPECT_EQ(strip->gainSlider()->getValue(), c.stored);
            EXPECT_DOUBLE_EQ(filter.gainDb(), c.stored * 0.1 - 24.0);
        }
        const auto selected = heard(WM_BAND_SELECTED);
        ASSERT_EQ(selected.size(), 1u);
        EXPECT_FALSE(selected[0].posted) << "the page hears a commit at once";
        EXPECT_EQ(selected[0].message.wParam, 0u);
        EXPECT_EQ(selected[0].message.lParam, Band);
    }
}

TEST_F(FilterDlgTest, EnterInAnEntryCommitsItAndLeavesTheFocusOnTheStrip) {
    CNumEdit* edit = strip->gainEdit();
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("5"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(band.gain, 290);
    EXPECT_TRUE(strip->hasFocus());
    EXPECT_EQ(heard(WM_BAND_SELECTED).size(), 1u);
}

TEST_F(FilterDlgTest, EnterAndEscapeOnlyEndTheEntryAndNeverReachTheDialog) {
    // The strips sit on the main window, a dialog that Escape would close and Enter would
    // answer with its default button.
    QDialog dialog;
    auto* onDialog = new CFilterDlg(&dialog);
    onDialog->attachFilter(&filter);
    onDialog->refreshStrip();
    auto* button = new QPushButton(QStringLiteral("OK"), &dialog);
    button->move(0, 200);
    button->setDefault(true);
    QSignalSpy clicked(button, &QPushButton::clicked);
    showActive(dialog);
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        SCOPED_TRACE(key);
        CNumEdit* edit = onDialog->qEdit();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("2"));
        QTest::keyClick(edit, key);
        EXPECT_TRUE(onDialog->hasFocus());
        EXPECT_EQ(band.q, nearestIndex(QTable, 2.0)) << "the entry committed";
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), 0);
        EXPECT_EQ(clicked.count(), 0);
        band.q = 16;
    }
    delete onDialog;
    filter.setLinkedSlider(strip);
}

TEST_F(FilterDlgTest, ChoosingATypeChangesTheBandAndRedrawsTheGraphWithIt) {
    CDropListButton* button = strip->typeButton();
    for (int chosen : {kHighShelf, kLowShelf, kPeaking}) {
        SCOPED_TRACE(chosen);
        band.type = static_cast<std::uint8_t>((chosen + 1) % 3);
        filter.bindBand(&band);
        strip->refreshStrip();
        graph.calls.clear();
        page.clear();

        QTest::mouseClick(button, Qt::LeftButton);
        ASSERT_TRUE(button->isListOpen());
        QListWidget* list = button->list();
        ASSERT_EQ(list->count(), 3);
        EXPECT_EQ(list->item(chosen)->text(), button->itemText(chosen));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(chosen)).center());
        EXPECT_FALSE(button->isListOpen());
        QCoreApplication::sendPostedEvents();

        EXPECT_EQ(band.type, chosen);
        EXPECT_EQ(filter.getType(), chosen);
        EXPECT_EQ(button->getCurSel(), chosen);
        ASSERT_EQ(graph.calls.size(), 1u);
        EXPECT_EQ(graph.calls[0].highlight, Band);
        EXPECT_FALSE(graph.calls[0].dropSelection);
        EXPECT_TRUE(heard(WM_BAND_SELECTED).empty()) << "a type change selects no band";
    }
    EXPECT_EQ(button->itemText(0), QStringLiteral("PEQ"));
    EXPECT_EQ(button->itemText(1), QStringLiteral("LS"));
    EXPECT_EQ(button->itemText(2), QStringLiteral("HS"));
}

// Desktops where one click opens an item make a list report the click twice, as clicked and
// as activated.
class SingleClickActivates : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_ItemView_ActivateItemOnSingleClick)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

TEST_F(FilterDlgTest, OneChoiceInTheTypeListIsReportedOnce) {
    CDropListButton* button = strip->typeButton();
    Recorder listener;
    button->setNotifyTarget(&listener);
    SingleClickActivates style;
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_TRUE(button->isListOpen());
    QListWidget* list = button->list();
    list->setStyle(&style);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(kLowShelf)).center());
    list->setStyle(nullptr);
    button->setNotifyTarget(nullptr);
    listener.deliverPosted();
    const auto chosen = listener.of(WM_DROPLIST_SELECTED);
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0].wParam, WPARAM{CFilterDlg::IdTypeList});
    EXPECT_EQ(chosen[0].lParam, kLowShelf);
}

TEST_F(FilterDlgTest, DraggingTheSliderWritesTheGainAndTellsThePageOnEveryTick) {
    CBitmapSlider* slider = strip->gainSlider();
    const QPoint thumb(13, slider->centreOf(slider->getPos()));
    QTest::mousePress(slider, Qt::LeftButton, {}, thumb);
    QTest::mouseMove(slider, thumb - QPoint(0, 20)); // up: more gain
    QTest::qWait(3 * CBitmapSlider::DragTimerPeriodMs);
    QTest::mouseMove(slider, thumb - QPoint(0, 30));
    QTest::qWait(3 * CBitmapSlider::DragTimerPeriodMs);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, thumb - QPoint(0, 30));

    const int gain = slider->getValue();
    EXPECT_GT(gain, 240);
    EXPECT_EQ(band.gain, gain);
    EXPECT_EQ(strip->gainEdit()->getPos(), gain);
    EXPECT_TRUE(strip->gainEdit()->hasFocus());
    const auto selected = heard(WM_BAND_SELECTED);
    ASSERT_EQ(selected.size(), 3u) << "two ticks with a change and the release";
    for (const Received& r : selected) {
        EXPECT_TRUE(r.posted);
        EXPECT_EQ(r.message.lParam, Band);
    }
}

TEST_F(FilterDlgTest, AGraphDragMovesTheSliderAndTheStripSaysNothing) {
    ASSERT_EQ(filter.linkedSlider(), strip);
    const Point start = markerAt(0.0);
    filter.beginGrab(start);
    filter.dragPeak(markerAt(6.0));
    EXPECT_EQ(band.gain, 300);
    EXPECT_EQ(strip->gainSlider()->getValue(), 300);
    EXPECT_TRUE(heard(WM_BAND_SELECTED).empty());

    // The page then brings the entries up to date and leaves the typing to the gain entry.
    strip->refreshFromGraph();
    EXPECT_EQ(strip->gainEdit()->text(), QStringLiteral("6.0"));
    EXPECT_TRUE(strip->gainEdit()->hasFocus());
    EXPECT_TRUE(page.received.empty());
}

TEST_F(FilterDlgTest, AFilterNeverKeepsASliderThatWasDetachedOrDestroyed) {
    CFilter other;
    other.setCode(1);
    EqBand otherBand{};
    other.bindBand(&otherBand);
    strip->attachFilter(&other);
    EXPECT_EQ(filter.linkedSlider(), nullptr);
    EXPECT_EQ(other.linkedSlider(), strip);
    delete strip;
    EXPECT_EQ(other.linkedSlider(), nullptr);
}

TEST_F(FilterDlgTest, ArrowKeysInTheStripReachThePageAsBandNavigation) {
    struct Case {
        QWidget* control;
        Qt::Key key;
        int id;
        LPARAM vk;
    };
    const Case cases[] = {
        {strip->freqEdit(), Qt::Key_Left, CFilterDlg::IdFreqEdit, VK_LEFT},
        {strip->qEdit(), Qt::Key_Right, CFilterDlg::IdQEdit, VK_RIGHT},
        {strip->gainEdit(), Qt::Key_Right, CFilterDlg::IdGainEdit, VK_RIGHT},
        {strip->typeButton(), Qt::Key_Left, CFilterDlg::IdTypeButton, VK_LEFT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        page.clear();
        c.control->setFocus();
        QTest::keyClick(c.control, c.key);
        const auto navigate = heard(WM_BAND_NAVIGATE);
        ASSERT_EQ(navigate.size(), 1u);
        EXPECT_TRUE(navigate[0].posted);
        EXPECT_EQ(navigate[0].message.wParam, static_cast<WPARAM>(c.id));
        EXPECT_EQ(navigate[0].message.lParam, c.vk);
    }
}

TEST_F(FilterDlgTest, ARecordOutsideTheTablesIsShownAsTheCurveDrawsIt) {
    // A record from a device or a mode file is not checked on the way in.
    band.freq = 400;
    band.gain = 500;
    band.q = 200;
    band.type = 9;
    strip->refreshStrip();
    EXPECT_EQ(strip->gainEdit()->getPos(), 360);
    EXPECT_EQ(strip->gainSlider()->getValue(), 360);
    EXPECT_EQ(strip->freqEdit()->getPos(), 361);
    EXPECT_EQ(strip->qEdit()->getPos(), 100);
    EXPECT_EQ(strip->typeButton()->getCurSel(), kPeaking);
}

} // namespace
} // namespace zel::test
