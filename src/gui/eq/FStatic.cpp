// CFStatic: axes, curves and markers of the EQ graph, its cached layers, and the marker drags.
#include "gui/eq/FStatic.h"

#include "eq/CurveModels.h"
#include "eq/Geometry.h"
#include "gui/PaintDensity.h"
#include "model/DeviceParams.h"
#include "model/Globals.h"
#include "model/StoreWrite.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstring>

namespace zel {

namespace {

constexpr double GridFrequencies[CFStatic::GridLines] = {
    10,  20,  30,  40,   50,   60,   70,   80,   90,   100,  200,  300,  400,   500,   600,
    700, 800, 900, 1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000, 20000, 30000};

const QColor AxisColour(100, 100, 100);
const QColor PlotFrame(0, 180, 0);
const QColor GridColour(21, 100, 21);
const QColor EmphasisFill(68, 86, 98);
const QColor EmphasisBox(255, 0, 0);
const QColor CompanionCurve(155, 155, 155);
const QColor ActiveCurve(255, 49, 68);
const QColor BypassHalo(94, 104, 116, 32);
const QColor BypassFill(155, 155, 155);
constexpr double CurvePen = 2.0;
constexpr int BypassHaloWidths = 7;

QRect toQRect(const Rect& r) {
    return QRect(r.left, r.top, r.width(), r.height());
}

QImage newLayer(QSize logical, qreal density, bool transparent) {
    QImage image(QSize(static_cast<int>(std::ceil(logical.width() * density)),
                       static_cast<int>(std::ceil(logical.height() * density))),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(density);
    image.fill(transparent ? Qt::transparent : Qt::black);
    return image;
}

// The text outline and the point its layout box is centred on horizontally, its top at y.
QPainterPath bypassPath(QPointF centreTop) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(48);
    const QString text = QStringLiteral("EQ BYPASS");
    const QFontMetricsF metrics(font);
    QPainterPath path;
    path.addText(centreTop.x() - metrics.horizontalAdvance(text) / 2.0,
                 centreTop.y() + metrics.ascent(), font, text);
    return path;
}

// Qt's anti-aliasing rasteriser is far slower on one wide stroke across the whole plot than
// on short pieces of it (about 1 ms against 0.3 ms for a summed curve here). The square caps
// of neighbouring pieces overlap where they meet, so no seam shows.
constexpr int kCurvePiece = 16;

void drawCurve(QPainter& p, const CKTVEQ& eq, const QColor& colour) {
    std::array<QPointF, kGridPoints> line;
    const auto& curve = eq.sumCurve();
    for (std::size_t i = 0; i < line.size(); ++i)
        line[i] = QPointF(curve[i].x, curve[i].y);
    p.setPen(QPen(colour, CurvePen, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i + 1 < kGridPoints; i += kCurvePiece)
        p.drawPolyline(line.data() + i, std::min(kCurvePiece + 1, kGridPoints - i));
}

} // namespace

CFStatic::CFStatic(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true); // hover feedback needs moves without a button
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int CFStatic::pageOfView(int view) {
    switch (view) {
    case 11:
        return 2;
    case 12:
        return 3;
    case 13:
        return 5;
    case 14:
        return 6;
    default:
        return view;
    }
}

void CFStatic::measure() {
    m_clientRect = rect();
    m_plotRect = QRect(kPlotOffsetX, kPlotOffsetY, std::max(0, width() - kPlotOffsetX - 10),
                       std::max(0, height() - kPlotOffsetY - 20));
    for (int i = 0; i < GridLines; ++i)
        m_gridX[static_cast<std::size_t>(i)] =
            freqToPixelX(GridFrequencies[i], m_plotRect.width()) + kPlotOffsetX;
    invalidateLayers();
}

void CFStatic::resizeModels() {
    for (int block = 0; block < kEqBlockCount; ++block)
        curveModel(block).resize(m_plotRect.width(), m_plotRect.height());
    m_modelsSized = true;
}

void CFStatic::resizeEvent(QResizeEvent*) {
    measure();
    if (m_modelsSized)
        resizeModels();
}

void CFStatic::changeEvent(QEvent* e) {
    // The labels are drawn in the window's font; the layers hold them as pixels.
    if (e->type() == QEvent::FontChange || e->type() == QEvent::LanguageChange)
        invalidateLayers();
    QWidget::changeEvent(e);
}

void CFStatic::selectView(int view) {
    if (view < 0 || view >= kEqBlockCount)
        return;
    m_view = view;
    m_selected = nullptr;
    m_hover = false;
    m_activeEq = &curveModel(view);
    m_companionEq = {nullptr, nullptr};
    const int page = pageOfView(view);
    // Echo and reverb pages show their other EQ in grey behind the one being edited.
    if (page == 2 || page == 3 || page == 5 || page == 6) {
        const int other = view == page ? view + 9 - (view > 3 ? 1 : 0) : page;
        m_companionEq[0] = &curveModel(other);
    }
    updateCursor();
    redraw(-1, false);
}

bool CFStatic::showsCurrentPage() const {
    return m_activeEq && pageOfView(m_view) == g_currentPage;
}

void CFStatic::redraw(int highlight, bool dropSelection) {
    m_highlightIndex = highlight;
    if (dropSelection)
        m_selected = nullptr;
    // A hidden graph is drawn in full by its first paint.
    if (!showsCurrentPage() || !isVisible() || size().isEmpty())
        return;
    prepareFrame(devicePixelRatioF());
    if (!m_frameHasAxes)
        composeAxes();
    composePlot();
    m_blitOnly = true;
    repaint(m_plotRect);
    m_blitOnly = false;
}

void CFStatic::setLayerCache(bool on) {
    m_layerCache = on;
    invalidateLayers();
}

void CFStatic::invalidateLayers() {
    m_axesLayer = QImage();
    m_gridLayer = QImage();
    m_bypassLayer = QImage();
    m_gridLayerHasCurve = {false, false};
    m_frameHasAxes = false;
}

bool CFStatic::editable() const {
    // The blocks with a Dance copy (music, outputs) can be edited only in a manual scene.
    return !isSceneBlock(m_view) || storeRead(liveParams.scene) != 0;
}

bool CFStatic::bypassed() const {
    // A scene view shows the flag of the scene in use, or of the last manual one in Auto.
    const int scene = storeRead(liveParams.scene) != 0 ? storeRead(liveParams.scene)
                                                       : storeRead(liveParams.lastManualScene);
    return storeRead(sceneEqBypass(liveParams, sectionOfBlock(m_view), scene)) != 0;
}

CFilter* CFStatic::emphasised() const {
    if (!m_activeEq)
        return nullptr;
    if (m_highlightIndex < 0)
        return m_selected;
    // A strip may name a band the block does not have (a spare strip); emphasise nothing.
    return m_highlightIndex < m_activeEq->size() ? m_activeEq->filterAt(m_highlightIndex) : nullptr;
}

void CFStatic::prepareFrame(qreal density) {
    if (density <= 0.0)
        density = 1.0;
    const QSize pixels(static_cast<int>(std::ceil(width() * density)),
                       static_cast<int>(std::ceil(height() * density)));
    if (density == m_density && m_frame.size() == pixels)
        return;
    m_density = density;
    invalidateLayers();
    m_frame = newLayer(size(), density, false);
}

void CFStatic::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    const qreal density = paintDensity(p);
    // A paint from the window system draws the axes over the whole client area, then the
    // plot; one that follows redraw() only copies what it has just drawn.
    const bool fresh = density != m_density || !m_blitOnly;
    prepareFrame(density);
    if (fresh || !m_frameHasAxes) {
        composeAxes();
        if (showsCurrentPage())
            composePlot();
    }
    p.setClipRegion(e->region());
    p.drawImage(0, 0, m_frame);
}

void CFStatic::composeAxes() {
    QPainter p(&m_frame);
    if (m_layerCache) {
        if (m_axesLayer.isNull()) {
            m_axesLayer = newLayer(size(), m_density, false);
            QPainter layer(&m_axesLayer);
            drawAxes(layer);
        }
        // The plot drawn next covers its own rectangle; copy only the margins around it.
        if (showsCurrentPage())
            p.setClipRegion(QRegion(rect()).subtracted(QRegion(m_plotRect)));
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, m_axesLayer);
    } else {
        drawAxes(p);
    }
    m_frameHasAxes = true;
}

void CFStatic::composePlot() {
    ++m_plotDraws;
    QPainter p(&m_frame);
    p.setClipRect(m_plotRect);

    // Frame.
    p.fillRect(m_plotRect, Qt::black);
    p.setPen(QPen(PlotFrame, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(m_plotRect.adjusted(0, 0, -1, -1));

    // The emphasised filter's own response as a filled area, under the grid.
    CFilter* const em = emphasised();
    if (em) {
        const auto& outline = em->polygon();
        static_assert(sizeof(Point) == sizeof(QPoint));
        std::array<QPoint, CFilter::kPolygonPoints> points;
        for (std::size_t i = 0; i < points.size(); ++i)
            points[i] = QPoint(outline[i].x, outline[i].y);
        p.setPen(QPen(EmphasisFill, 1));
        p.setBrush(EmphasisFill);
        p.drawPolygon(points.data(), static_cast<int>(points.size()));
    }

    // Summed curves; the companion lies in grey on the grid, under the active one.
    m_activeEq->buildSumCurve();
    for (CKTVEQ* companion : m_companionEq)
        if (companion)
            companion->buildSumCurve();
    if (m_layerCache) {
        refreshGridLayer();
        p.drawImage(m_plotRect.topLeft(), m_gridLayer);
    } else {
        drawGrid(p);
        drawCompanions(p);
    }
    p.setRenderHint(QPainter::Antialiasing, true);
    drawCurve(p, *m_activeEq, ActiveCurve);
    p.setRenderHint(QPainter::Antialiasing, false);

    // Bypass text: over the curves, under the labels.
    if (bypassed()) {
        if (m_layerCache) {
            refreshBypassLayer();
            p.drawImage(m_bypassRect.topLeft(), m_bypassLayer);
        } else {
            drawBypassText(p);
        }
    }

    drawLabels(p);

    // The emphasised marker box, its label and its parameter text.
    if (em) {
        const QRect box = toQRect(em->markerRect());
        p.fillRect(box, EmphasisFill);
        p.setPen(QPen(EmphasisBox, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(box.adjusted(0, 0, -1, -1));
        p.setPen(Qt::white);
        p.drawText(box, Qt::AlignCenter, QString::fromStdString(em->getLabel()));
        // Below the marker for a boost, well above it for a cut, so it never covers the box.
        p.drawText(toQRect(em->infoRect()), Qt::AlignHCenter | Qt::AlignTop,
                   QString::fromStdString(em->buildInfoText()));
    }
}

void CFStatic::drawLabels(QPainter& p) {
    p.setPen(Qt::white);
    p.setBrush(Qt::NoBrush);
    const int plotRight = m_plotRect.left() + m_plotRect.width();
    // Last element first, so that of two overlapping markers the one a click hits is on top.
    for (int i = m_activeEq->size() - 1; i >= 0; --i) {
        const CFilter* f = m_activeEq->filterAt(i);
        const Rect& r = f->markerRect();
        // Markers pushed against an edge keep their label inside the plot.
        int align = Qt::AlignHCenter;
        if (r.right == plotRight)
            align = Qt::AlignLeft;
        else if (f->frequencyIndex() <= 20)
            align = Qt::AlignRight;
        p.drawText(toQRect(r), align | Qt::AlignVCenter, QString::fromStdString(f->getLabel()));
    }
}

void CFStatic::drawGrid(QPainter& p) const {
    // 20 Hz .. 20 kHz, and every 3 dB.
    p.setPen(QPen(GridColour, 1));
    for (std::size_t i = 1; i <= 28; ++i)
        p.drawLine(m_gridX[i], m_plotRect.top(), m_gridX[i], m_plotRect.bottom());
    for (int k = 1; k <= 12; ++k) {
        const int y =
            m_plotRect.top() + static_cast<int>(std::floor(m_plotRect.height() / 12.0 * k));
        p.drawLine(m_plotRect.left(), y, m_plotRect.right(), y);
    }
}

void CFStatic::drawCompanions(QPainter& p) const {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    for (CKTVEQ* companion : m_companionEq)
        if (companion)
            drawCurve(p, *companion, CompanionCurve);
    p.restore();
}

void CFStatic::drawBypassText(QPainter& p) const {
    const QPainterPath text =
        bypassPath(QPointF(m_plotRect.width() / 2.0, m_plotRect.height() / 3.0));
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    for (int width = 1; width <= BypassHaloWidths; ++width) {
        QPen halo(BypassHalo, width);
        halo.setJoinStyle(Qt::RoundJoin);
        p.strokePath(text, halo);
    }
    p.fillPath(text, BypassFill);
    p.restore();
}

void CFStatic::refreshGridLayer() {
    // The companion's records change only on its own page or when the store is replaced, so
    // the layer is kept while its curves stay the same.
    bool same = !m_gridLayer.isNull();
    for (std::size_t k = 0; k < m_companionEq.size() && same; ++k) {
        const CKTVEQ* companion = m_companionEq[k];
        same = companion ? m_gridLayerHasCurve[k] && std::memcmp(m_gridLayerCurves[k].data(),
                                                                 companion->sumCurve().data(),
                                                                 sizeof(m_gridLayerCurves[k])) == 0
                         : !m_gridLayerHasCurve[k];
    }
    if (same)
        return;
    m_gridLayer = newLayer(m_plotRect.size(), m_density, true);
    QPainter layer(&m_gridLayer);
    layer.translate(-m_plotRect.topLeft());
    layer.setClipRect(m_plotRect);
    drawGrid(layer);
    drawCompanions(layer);
    for (std::size_t k = 0; k < m_companionEq.size(); ++k) {
        m_gridLayerHasCurve[k] = m_companionEq[k] != nullptr;
        if (m_companionEq[k])
            m_gridLayerCurves[k] = m_companionEq[k]->sumCurve();
    }
}

void CFStatic::refreshBypassLayer() {
    if (!m_bypassLayer.isNull())
        return;
    const QPainterPath text =
        bypassPath(QPointF(m_plotRect.width() / 2.0, m_plotRect.height() / 3.0));
    const int margin = BypassHaloWidths / 2 + 2;
    m_bypassRect = text.boundingRect()
                       .toAlignedRect()
                       .adjusted(-margin, -margin, margin, margin)
                       .intersected(m_plotRect);
    m_bypassLayer = newLayer(m_bypassRect.size(), m_density, true);
    QPainter layer(&m_bypassLayer);
    layer.translate(-m_bypassRect.topLeft());
    drawBypassText(layer);
}

void CFStatic::drawAxes(QPainter& p) const {
    p.fillRect(rect(), Qt::black);
    p.setPen(QPen(AxisColour, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(0, 0, -1, -1));

    const QFontMetrics metrics(font());
    auto text = [&](int x, int y, const char* label) {
        p.drawText(QRect(x, y, 60, metrics.height()), Qt::AlignLeft | Qt::AlignTop,
                   QString::fromLatin1(label));
    };
    const int h = m_plotRect.height() / 12;
    text(6, 5, "+12");
    text(6, 2 * h + 3, "+6");
    text(6, 4 * h + 3, "0");
    text(6, 6 * h + 5, "-6dB");
    text(6, 8 * h + 9, "-12");
    text(6, 10 * h + 9, "-18");
    text(6, m_plotRect.height(), "-24");

    struct FreqLabel {
        double hz;
        int offset;
        const char* label;
    };
    const FreqLabel labels[] = {{20, 8, "20"},      {50, 8, "50"},     {100, 10, "100"},
                                {200, 10, "200"},   {500, 10, "500"},  {1000, 8, "1K"},
                                {2000, 8, "2K"},    {5000, 8, "5K"},   {10000, 10, "10K"},
                                {20000, 15, "20K"}, {30000, 15, "30K"}};
    const int y = m_plotRect.top() + m_plotRect.height();
    text(30, y, "10");
    for (const FreqLabel& l : labels)
        text(freqToPixelX(l.hz, m_plotRect.width()) + kPlotOffsetX - l.offset, y, l.label);
}

void CFStatic::notify() {
    if (m_notifyWindow)
        m_notifyWindow->post(WM_GRAPH_BAND_SELECTED, static_cast<WPARAM>(m_view), m_selectedIndex);
}

void CFStatic::mousePressEvent(QMouseEvent* e) {
    // Qt grabs the mouse for the widget a button went down in, so the moves of a drag keep
    // coming when it leaves the window.
    const QPoint q = e->position().toPoint();
    const Point point{q.x(), q.y()};
    setFocus(Qt::MouseFocusReason);
    if (e->button() == Qt::LeftButton) {
        if (m_hover && m_selected && m_selected->flags.hot) {
            m_selected->flags.leftDrag = true;
            m_selected->beginGrab(point);
        }
        m_notifyPending = false;
        notify();
    } else if (e->button() == Qt::RightButton) {
        // A crossover filter has no Q to drag.
        if (m_hover && m_selected && m_selected->flags.hot && !m_selected->isCrossover()) {
            m_selected->flags.rightDrag = true;
            m_selected->beginGrab(point);
        }
    }
    e->accept();
}

void CFStatic::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton || e->button() == Qt::RightButton) {
        if (m_selected) {
            m_selected->flags = CFilter::DragFlags{};
            m_hover = false;
        }
        updateCursor();
    }
    e->accept();
}

void CFStatic::mouseMoveEvent(QMouseEvent* e) {
    const QPoint q = e->position().toPoint();
    if (editable())
        mouseMoveStep(Point{q.x(), q.y()});
    if (m_notifyPending && m_notifyWindow) {
        m_notifyPending = false;
        notify();
    }
    updateCursor();
    e->accept();
}

void CFStatic::mouseMoveStep(Point point) {
    if (!m_activeEq)
        return;
    if (m_selected) {
        CFilter& f = *m_selected;
        const bool inside = f.markerRect().contains(point);
        if (f.isCrossover()) {
            if (!inside && !f.flags.leftDrag) {
                m_selected = nullptr;
                m_hover = false;
                return;
            }
            if (f.flags.leftDrag) {
                m_lastChanged = f.dragXover(point);
                if (m_lastChanged)
                    m_notifyPending = true;
                // Outside the marker the drag redraws even without a change, so the marker
                // catches up with the mouse.
                if (m_lastChanged || !inside)
                    redraw(-1, false);
            }
            m_hover = true;
            return;
        }
        if (f.flags.rightDrag) {
            if (inside)
                f.flags.hot = true;
            m_lastChanged = f.dragQ(point.x);
            if (m_lastChanged)
                m_notifyPending = true;
            if (m_lastChanged || !inside)
                redraw(-1, false);
            m_hover = inside;
            return;
        }
        if (!inside && f.flags.leftDrag) {
            m_lastChanged = f.dragPeak(point);
            redraw(-1, false);
            if (m_lastChanged)
                m_notifyPending = true;
            m_hover = false;
            return;
        }
        if (inside) {
            f.flags.hot = true;
            if (f.flags.leftDrag) {
                m_lastChanged = f.dragPeak(point);
                if (m_lastChanged) {
                    m_notifyPending = true;
                    redraw(-1, false);
                }
            }
            m_hover = true;
            return;
        }
    }
    // Hit test: the lowest element under the point wins.
    for (int i = 0; i < m_activeEq->size(); ++i) {
        CFilter* f = m_activeEq->filterAt(i);
        if (f->markerRect().contains(point)) {
            m_selected = f;
            f->flags.hot = true;
            m_selectedIndex = i;
            redraw(-1, false);
            m_hover = true;
            return;
        }
    }
    m_hover = false;
}

void CFStatic::updateCursor() {
    if (m_selected && m_hover && m_selected->isCrossover())
        setCursor(Qt::SizeHorCursor);
    else if (m_hover)
        setCursor(Qt::SizeAllCursor);
    else
        unsetCursor();
}

} // namespace zel
