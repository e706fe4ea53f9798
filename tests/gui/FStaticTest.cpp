// CFStatic: hit testing, marker drags into the store, scene locking, page-gated drawing and
// the emphasised band, on the real curve models.
#include "GuiTestEnv.h"

#include "app/Startup.h"
#include "eq/CurveModels.h"
#include "eq/Geometry.h"
#include "gui/DialogUnits.h"
#include "gui/WidgetShot.h"
#include "gui/eq/FStatic.h"
#include "gui/eq/FilterDlg.h"
#include "gui/eq/GraphRedrawTarget.h"
#include "gui/widgets/BitmapSlider.h"
#include "gui/widgets/DropListButton.h"
#include "model/Defaults.h"
#include "model/DeviceParams.h"
#include "model/Globals.h"

#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace zel::test {
namespace {

class GraphTest : public ::testing::Test {
protected:
    void SetUp() override {
        startUp();
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
        EXPECT_EQ(graph->plotDrawCount() > before, c.draws) << "drawn before redraw returns";
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

// Paint checks on the rendered image, at the pixels the curve maths puts things.
class GraphPaintTest : public GraphTest {
protected:
    static constexpr int k1kHz = 204; // FreqTable index of 1000 Hz
    const QColor red{255, 49, 68};
    const QColor grey{155, 155, 155};

    // Every band of the block at 0 dB, its crossover filters off.
    static void flatten(int view) {
        CKTVEQ& eq = curveModel(view);
        for (int i = 0; i < eq.size(); ++i) {
            CFilter* f = eq.filterAt(i);
            if (f->isCrossover())
                f->setXoverFreqIndex(0);
            else
                f->setGainIndex(240);
        }
    }
    // Band 0 of the block: a peak of Q 1 at 1 kHz.
    static void peakAt1kHz(int view, int gainIndex) {
        CFilter* f = curveModel(view).filterAt(0);
        f->setQIndex(16);
        f->setFreqIndex(k1kHz);
        f->setGainIndex(gainIndex);
    }
    // The pixel the curve passes through at frequency hz and level db: the pen is 2 px wide,
    // so the row the curve's y falls in is fully covered.
    QPoint at(double hz, double db) const {
        const QRect plot = graph->plotRect();
        return QPoint(freqToPixelX(hz, plot.width()) + kPlotOffsetX,
                      dbToPixelY(db, plot.height()) + kPlotOffsetY);
    }
    static bool near(QColor a, QColor b, int tolerance = 8) {
        return std::abs(a.red() - b.red()) <= tolerance &&
               std::abs(a.green() - b.green()) <= tolerance &&
               std::abs(a.blue() - b.blue()) <= tolerance;
    }
    static int count(const QImage& image, QRect area, QColor colour) {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += image.pixelColor(x, y) == colour;
        return n;
    }
    void showPlain(int view) {
        liveParams.eqBypass[sectionOfBlock(view)] = 0;
        show(view);
        graph->redraw(-1, true);
    }
};

TEST_F(GraphPaintTest, BoostAt1kHzPeaksAtTheTopAndAFlatBlockLiesOnTheZeroLine) {
    flatten(7);
    showPlain(7);
    const QImage flat = renderWidget(*graph);
    for (double hz : {30.0, 300.0, 3000.0, 20000.0}) {
        SCOPED_TRACE(hz);
        EXPECT_TRUE(near(flat.pixelColor(at(hz, 0)), red));
        EXPECT_FALSE(near(flat.pixelColor(at(hz, 0) + QPoint(0, 4)), red));
        EXPECT_FALSE(near(flat.pixelColor(at(hz, 0) - QPoint(0, 4)), red));
    }

    peakAt1kHz(7, 360);
    graph->redraw(-1, false);
    const QImage peak = renderWidget(*graph);
    EXPECT_TRUE(near(peak.pixelColor(at(1000, 12)), red)) << "+12 dB is the plot's top row";
    EXPECT_FALSE(near(peak.pixelColor(at(1000, 0)), red));
}

TEST_F(GraphPaintTest, EchoAndReverbViewsShowTheirOtherEqInGrey) {
    struct Case {
        int view;
        int companion;
    };
    for (const Case c : {Case{2, 11}, Case{11, 2}, Case{6, 14}, Case{14, 6}}) {
        SCOPED_TRACE(c.view);
        flatten(c.view);
        flatten(c.companion);
        peakAt1kHz(c.companion, 300); // +6 dB
        showPlain(c.view);
        const QImage image = renderWidget(*graph);
        EXPECT_TRUE(near(image.pixelColor(at(1000, 6)), grey));
        EXPECT_TRUE(near(image.pixelColor(at(300, 0)), red)) << "the active curve, flat";
        flatten(c.companion);
    }
    flatten(1);
    peakAt1kHz(1, 300);
    showPlain(4); // microphone B has no companion, whatever microphone A looks like
    EXPECT_FALSE(near(renderWidget(*graph).pixelColor(at(1000, 6)), grey));
}

TEST_F(GraphPaintTest, BypassTextFollowsTheFlagOfTheSceneInForce) {
    struct Case {
        int view;
        int scene;
        int lastManualScene;
        int singingFlag; // eqBypass of the view's section
        int danceFlag;   // danceEqBypass, for the music and output views
        bool drawn;
    };
    const Case cases[] = {
        {1, 1, 1, 1, 0, true}, {1, 1, 1, 0, 1, false},  {2, 1, 1, 1, 0, true},
        {4, 1, 1, 1, 0, true}, {9, 1, 1, 1, 0, true},   {9, 2, 2, 1, 0, false},
        {9, 2, 2, 0, 1, true}, {9, 0, 2, 0, 1, true},   {9, 0, 1, 0, 1, false},
        {0, 0, 1, 1, 0, true}, {10, 2, 2, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "view " << c.view << " scene " << c.scene);
        std::fill(std::begin(liveParams.eqBypass), std::end(liveParams.eqBypass), 0);
        std::fill(std::begin(liveParams.danceEqBypass), std::end(liveParams.danceEqBypass), 0);
        liveParams.scene = static_cast<std::uint8_t>(c.scene);
        liveParams.lastManualScene = static_cast<std::uint8_t>(c.lastManualScene);
        liveParams.eqBypass[sectionOfBlock(c.view)] = static_cast<std::uint8_t>(c.singingFlag);
        for (int k = 0; k < 5; ++k)
            if (kDanceEqBypassIndex[k] == c.view)
                liveParams.danceEqBypass[k] = static_cast<std::uint8_t>(c.danceFlag);
        flatten(c.view);
        show(c.view);
        graph->redraw(-1, true);
        // The text's band across the middle of the plot, away from the grey companion line.
        const QRect plot = graph->plotRect();
        const QRect text(plot.width() / 2 - 150, plot.height() / 3 + 14, 300, 20);
        const int fill = count(renderWidget(*graph), text, grey);
        EXPECT_EQ(fill > 800, c.drawn) << fill << " pixels in the fill colour";
    }
}

TEST_F(GraphPaintTest, CachedFrameMatchesAFrameDrawnFromScratch) {
    auto maxDifference = [](const QImage& a, const QImage& b) {
        int worst = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x) {
                const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
                worst = std::max({worst, std::abs(p.red() - q.red()),
                                  std::abs(p.green() - q.green()), std::abs(p.blue() - q.blue())});
            }
        return worst;
    };
    auto scratch = [&] {
        graph->setLayerCache(false);
        const QImage image = renderWidget(*graph);
        graph->setLayerCache(true);
        return image;
    };
    peakAt1kHz(11, 300);
    liveParams.eqBypass[sectionOfBlock(2)] = 1;
    show(2);
    graph->redraw(1, false);
    const QImage first = renderWidget(*graph);
    EXPECT_LE(maxDifference(first, scratch()), 4) << "rounding of the composed layers only";

    // The companion changes under the cached layer (its page edited it, or a scene change).
    renderWidget(*graph);
    peakAt1kHz(11, 180);
    graph->redraw(1, false);
    const QImage edited = renderWidget(*graph);
    EXPECT_LE(maxDifference(edited, scratch()), 4);
    EXPECT_GT(maxDifference(edited, first), 50) << "the grey curve moved";
}

TEST_F(GraphPaintTest, AStripsTypeChoiceRedrawsTheGraphWithItsBandEmphasised) {
    constexpr int kBand = 6;
    const QColor box(255, 0, 0);
    g_pEqGraph = graph;
    auto strip = std::make_unique<CFilterDlg>(&window);
    strip->setBandIndex(kBand);
    strip->attachFilter(graph->activeEq()->filterAt(kBand));
    strip->typeButton()->setCurSel(kHighShelf);
    strip->send(WM_DROPLIST_SELECTED, CFilterDlg::IdTypeList, kHighShelf);
    const QImage chosen = renderWidget(*graph);
    EXPECT_EQ(micBand(kBand).type, kHighShelf);
    const Rect r = graph->activeEq()->filterAt(kBand)->markerRect();
    EXPECT_EQ(chosen.pixelColor(r.left, r.top), box);

    // A spare strip of a page names a band the block does not have: nothing is emphasised.
    g_pEqGraph->redraw(graph->activeEq()->size() + 3, false);
    EXPECT_EQ(count(renderWidget(*graph), graph->rect(), box), 0);
    strip.reset();
    g_pEqGraph = nullptr;
}

} // namespace
} // namespace zel::test
