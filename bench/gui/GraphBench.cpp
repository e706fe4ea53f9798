// EQ graph costs at main-window size: a whole frame drawn from scratch and from the cached
// layers, with and without the bypass text, and one step of a band drag (the filter's
// recompute and the plot's redraw), on the microphone block with all its filters.
#include "OffscreenApp.h"

#include "app/Startup.h"
#include "eq/CurveModels.h"
#include "gui/eq/FStatic.h"
#include "model/Defaults.h"
#include "model/DeviceParams.h"
#include "model/Globals.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <memory>

namespace zel {
namespace {

constexpr int kMicBlock = 1;
constexpr int kMicFirstBand = 10; // eqBand of microphone A
constexpr int kDraggedBand = 5;

// Microphone A shaped by all twenty bands and a high-pass filter, band 5 emphasised.
CFStatic& graph() {
    static std::unique_ptr<CFStatic> view = [] {
        offscreenApplication();
        startUp();
        liveParams.scene = 1;
        for (int k = 0; k < 20; ++k) {
            EqBand& b = liveParams.eqBand[kMicFirstBand + k];
            b.freq = static_cast<std::uint16_t>(10 + 17 * k);
            b.gain = static_cast<std::uint16_t>(240 + ((k * 37) % 121) - 60);
            b.q = static_cast<std::uint8_t>(8 + (k % 5) * 4);
            b.type = static_cast<std::uint8_t>(k == 0 ? 1 : k == 19 ? 2 : 0);
        }
        liveParams.filter[1].freq = 60;
        attachBlock(kMicBlock, false);
        auto g = std::make_unique<CFStatic>();
        g->resize(1300, 330);
        g->measure();
        g->resizeModels();
        g_currentPage = kMicBlock;
        g->show();
        g->selectView(kMicBlock);
        return g;
    }();
    return *view;
}

void setBypass(bool on) {
    liveParams.eqBypass[sectionOfBlock(kMicBlock)] = on ? 1 : 0;
}

void sendMouse(CFStatic& g, QEvent::Type type, QPoint at, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    QMouseEvent e(type, QPointF(at), g.mapToGlobal(QPointF(at)), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(&g, &e);
}

// Arguments: layer cache (0 off: every frame from scratch, 1 on), bypass text (0, 1).
void FullFrame(benchmark::State& state) {
    CFStatic& g = graph();
    g.setLayerCache(state.range(0) != 0);
    setBypass(state.range(1) != 0);
    g.redraw(kDraggedBand, false);
    QImage image(g.size(), QImage::Format_ARGB32_Premultiplied);
    g.render(&image); // fills the cache
    for (auto _ : state) {
        g.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(FullFrame)
    ->ArgNames({"cache", "bypass"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond);

// A frame whose layers are all rebuilt first: what a resize, scene or companion change costs.
void FullFrameRebuilt(benchmark::State& state) {
    CFStatic& g = graph();
    g.setLayerCache(true);
    setBypass(state.range(0) != 0);
    g.redraw(kDraggedBand, false);
    QImage image(g.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        g.invalidateLayers();
        g.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(FullFrameRebuilt)->ArgNames({"bypass"})->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One mouse move of a left drag of band 5: dragPeak, the summed curve, the plot drawn and
// copied to the window, the notification posted. Arguments as for FullFrame.
void DragStep(benchmark::State& state) {
    CFStatic& g = graph();
    g.setLayerCache(state.range(0) != 0);
    setBypass(state.range(1) != 0);
    g.redraw(-1, true);
    const Point c = g.activeEq()->filterAt(kDraggedBand)->markerRect().center();
    const QPoint start(c.x, c.y);
    sendMouse(g, QEvent::MouseMove, start, Qt::NoButton, Qt::NoButton);
    sendMouse(g, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    int n = 0;
    for (auto _ : state) {
        // Up and down by 3 dB and sideways, so every step changes the band.
        const QPoint to = start + QPoint((n & 1) ? 12 : -12, (n & 2) ? 25 : -25);
        ++n;
        sendMouse(g, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    }
    sendMouse(g, QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton);
    QCoreApplication::removePostedEvents(nullptr);
}
BENCHMARK(DragStep)
    ->ArgNames({"cache", "bypass"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond);

// The active curve alone, stroked as one polyline (0) or in pieces of 16 segments (1), the
// way the graph draws it.
void CurveStroke(benchmark::State& state) {
    CFStatic& g = graph();
    g.activeEq()->buildSumCurve();
    std::array<QPointF, kGridPoints> line;
    for (std::size_t i = 0; i < line.size(); ++i)
        line[i] = QPointF(g.activeEq()->sumCurve()[i].x, g.activeEq()->sumCurve()[i].y);
    QImage plot(g.size(), QImage::Format_ARGB32_Premultiplied);
    plot.fill(Qt::black);
    const int piece = state.range(0) != 0 ? 16 : kGridPoints;
    for (auto _ : state) {
        QPainter p(&plot);
        p.setClipRect(g.plotRect());
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(255, 49, 68), 2.0));
        for (int i = 0; i + 1 < kGridPoints; i += piece)
            p.drawPolyline(line.data() + i, std::min(piece + 1, kGridPoints - i));
    }
}
BENCHMARK(CurveStroke)->ArgNames({"pieces"})->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace zel
