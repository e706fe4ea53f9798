// CFStatic: hit testing, marker drags into the store, scene locking, page-gated drawing and
// the emphasised band, on the real curve models.
#include "GuiTestEnv.h"

#include "eq/CurveModels.h"
#include "gui/DialogUnits.h"
#include "gui/WidgetShot.h"
#include "gui/eq/FStatic.h"
#include "gui/widgets/BitmapSlider.h"
#include "model/Defaults.h"
#include "model/DeviceParams.h"
#include "model/Globals.h"

#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace zel::test {
namespace {

class GraphTest : public ::testing::Test {
protected:
    void SetUp() override {
        installCurveModels();
        initDefaults();
        liveParams.scene = 1;
        window.resize(dialogRect(15, 183, 871, 203).size());
        graph = new CFStatic(&window);
        graph->resize(window.size());
        showActive(window);
        graph->measure();
        graph->resizeModels();
        show(1); // microphone A: 20 bands and a high-pass filter, always editable
        graph->setNotifyWindow(&notified);
    }
    void TearDown() override { g_currentPage = 0; }

    void show(int view) {
        g_currentPage = CFStatic::pageOfView(view);
        graph->selectView(view);
    }
    QPoint centreOf(int element) const {
        const Point c = graph->activeEq()->filterAt(element)->markerRect().center();
        return QPoint(c.x, c.y);
    }
    std::vector<Message> selections() {
        notified.deliverPosted();
        return notified.of(WM_GRAPH_BAND_SELECTED);
    }
    EqBand& micBand(int k) { return liveParams.eqBand[10 + k]; }

    Recorder window;
    Recorder notified;
    CFStatic* graph = nullptr;
};

TEST_F(GraphTest, ClickOnEmptyPlotReportsTheLastSelectionAndChangesNothing) {
    const DeviceParams before = liveParams;
    QTest::mouseClick(graph, Qt::LeftButton, {}, QPoint(graph->width() / 2, 15));
    const auto sel = selections();
    ASSERT_EQ(sel.size(), 1u);
    EXPECT_EQ(sel[0].wParam, 1u);
    EXPECT_EQ(sel[0].lParam, 0);
    EXPECT_EQ(std::memcmp(&before, &liveParams, sizeof before), 0);
}

TEST_F(GraphTest, LeftDragMovesTheBandAndItsStripSlider) {
    CBitmapSlider slider;
    graph->activeEq()->filterAt(4)->setLinkedSlider(&slider);
    slider.setRange(0, 360);
    const QPoint start = centreOf(4);
    QTest::mouseMove(graph, start); // hover selects
    ASSERT_EQ(graph->selectedIndex(), 4);
    QTest::mousePress(graph, Qt::LeftButton, {}, start);
    const int freqBefore = micBand(4).freq;
    QTest::mouseMove(graph, start + QPoint(80, -graph->plotRect().height() / 6)); // ~ +6 dB
    QTest::mouseRelease(graph, Qt::LeftButton, {}, start + QPoint(80, -40));

    EXPECT_GT(micBand(4).freq, freqBefore);
    EXPECT_GT(micBand(4).gain, 240);
    EXPECT_EQ(slider.getValue(), micBand(4).gain) << "the strip's slider follows the marker";
    const auto sel = selections();
    ASSERT_GE(sel.size(), 2u) << "the press and the changing move";
    EXPECT_EQ(sel.back().lParam, 4);
    EXPECT_EQ(graph->selected(), graph->activeEq()->filterAt(4)) << "stays emphasised";
    EXPECT_FALSE(graph->selected()->flags.leftDrag);
}

TEST_F(GraphTest, RightDragChangesQOneStepPerTenPixels) {
    const QPoint start = centreOf(2);
    QTest::mouseMove(graph, start);
    const int q = micBand(2).q;
    QTest::mousePress(graph, Qt::RightButton, {}, start);
    QTest::mouseMove(graph, start + QPoint(25, 0));
    QTest::mouseRelease(graph, Qt::RightButton, {}, start + QPoint(25, 0));
    EXPECT_EQ(micBand(2).q, q + 2);
}

TEST_F(GraphTest, CrossoverMovesSidewaysOnly) {
    const int hpf = graph->activeEq()->bandCount();
    liveParams.filter[1].freq = 100; // microphone A high-pass, away from the bands' markers
    graph->activeEq()->highPass()->bindXover(&liveParams.filter[1]);
    const QPoint start = centreOf(hpf);
    QTest::mouseMove(graph, start);
    ASSERT_EQ(graph->selectedIndex(), hpf);
    EXPECT_EQ(graph->cursor().shape(), Qt::SizeHorCursor);
    const int top = graph->activeEq()->highPass()->markerRect().top;
    QTest::mousePress(graph, Qt::LeftButton, {}, start);
    QTest::mouseMove(graph, start + QPoint(60, 50));
    QTest::mouseRelease(graph, Qt::LeftButton, {}, start + QPoint(60, 50));
    EXPECT_GT(liveParams.filter[1].freq, 100);
    EXPECT_EQ(graph->activeEq()->highPass()->markerRect().top, top);
}

TEST_F(GraphTest, AutoSceneLocksTheMusicAndOutputViewsButClicksStillReport) {
    for (int view : {0, 7, 10}) {
        SCOPED_TRACE(view);
        liveParams.scene = 0;
        attachBlock(view, false);
        show(view);
        notified.clear();
        const DeviceParams before = liveParams;
        const QPoint start = centreOf(0);
        QTest::mouseMove(graph, start);
        EXPECT_EQ(graph->selected(), nullptr);
        QTest::mousePress(graph, Qt::LeftButton, {}, start);
        QTest::mouseMove(graph, start + QPoint(50, 30));
        QTest::mouseRelease(graph, Qt::LeftButton, {}, start + QPoint(50, 30));
        EXPECT_EQ(std::memcmp(&before, &liveParams, sizeof before), 0);
        EXPECT_EQ(selections().size(), 1u);
    }
}

TEST_F(GraphTest, OverlappingMarkersHitTheLowerElement) {
    micBand(3) = micBand(7);
    graph->activeEq()->filterAt(3)->bindBand(&micBand(3));
    QTest::mouseMove(graph, centreOf(7));
    EXPECT_EQ(graph->selectedIndex(), 3);
}

TEST_F(GraphTest, RedrawDrawsOnlyForThePageOnShow) {
    struct Case {
        int page;
        bool draws;
    };
    for (const Case c : {Case{3, true}, Case{2, false}}) {
        SCOPED_TRACE(c.page);
        g_currentPage = c.page;
        graph->selectView(12); // reverb A post-EQ, shown on page 3
        QCoreApplication::processEvents();
        const int before = graph->plotDrawCount();
        graph->redraw(2, false);
        QCoreApplication::processEvents();
        EXPECT_EQ(graph->plotDrawCount() > before, c.draws);
    }
}

TEST_F(GraphTest, PaintShowsTheEmphasisedBandAndTheBypassText) {
    auto countColour = [](const QImage& image, QColor colour) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixelColor(x, y) == colour;
        return n;
    };
    liveParams.eqBypass[1] = 0;
    graph->redraw(5, false);
    const QImage plain = renderWidget(*graph);
    const QRect box = [&] {
        const Rect r = graph->activeEq()->filterAt(5)->markerRect();
        return QRect(r.left, r.top, r.width(), r.height());
    }();
    EXPECT_EQ(plain.pixelColor(box.topLeft()), QColor(255, 0, 0)) << "red box";
    EXPECT_EQ(plain.pixelColor(box.center() + QPoint(0, -6)), QColor(68, 86, 98));
    EXPECT_EQ(plain.pixelColor(3, 3), QColor(Qt::black)) << "axes area";

    liveParams.eqBypass[1] = 1;
    const QImage bypassed = renderWidget(*graph);
    if (const char* dir = std::getenv("ZEL_SHOT_DIR")) {
        plain.save(QString::fromLocal8Bit(dir) + QStringLiteral("/graph-mic-a.png"));
        bypassed.save(QString::fromLocal8Bit(dir) + QStringLiteral("/graph-mic-a-bypass.png"));
    }
    EXPECT_GT(countColour(bypassed, QColor(155, 155, 155)),
              countColour(plain, QColor(155, 155, 155)) + 500);
}

} // namespace
} // namespace zel::test
