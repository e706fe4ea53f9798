// CFStatic: axes, curves and markers of the EQ graph, and the marker drags.
#include "gui/eq/FStatic.h"

#include "eq/CurveModels.h"
#include "eq/Geometry.h"
#include "model/DeviceParams.h"
#include "model/Globals.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace zel {

namespace {

constexpr double GridFrequencies[CFStatic::GridLines] = {
    10,  20,  30,  40,   50,   60,   70,   80,   90,   100,  200,  300,  400,   500,   600,
    700, 800, 900, 1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000, 20000, 30000};

const QColor AxisColour(100, 100, 100);
const QColor PlotFrame(0, 180, 0);
const QColor GridColour(21, 100, 21);
const QColor EmphasisFill(68, 86, 98);
const QColor CompanionCurve(155, 155, 155);
const QColor ActiveCurve(255, 49, 68);
const QColor BypassHalo(94, 104, 116, 32);
const QColor BypassFill(155, 155, 155);

// The music and output blocks can be edited only while a manual scene is chosen.
bool isSceneView(int view) {
    return view == 0 || (view >= 7 && view <= 10);
}

QRect toQRect(const Rect& r) {
    return QRect(r.left, r.top, r.width(), r.height());
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
    redraw(-1, false);
}

void CFStatic::redraw(int highlight, bool dropSelection) {
    m_highlightIndex = highlight;
    if (dropSelection)
        m_selected = nullptr;
    if (pageOfView(m_view) == g_currentPage)
        update();
}

bool CFStatic::editable() const {
    return !isSceneView(m_view) || liveParams.scene != 0;
}

bool CFStatic::bypassed() const {
    if (isSceneView(m_view)) {
        const int scene = liveParams.scene != 0 ? liveParams.scene : liveParams.lastManualScene;
        if (scene == 2) {
            for (int k = 0; k < 5; ++k)
                if (kDanceEqBypassIndex[k] == m_view)
                    return liveParams.danceEqBypass[k] != 0;
        }
    }
    return liveParams.eqBypass[sectionOfBlock(m_view)] != 0;
}

void CFStatic::paintEvent(QPaintEvent*) {
    QPainter p(this);
    drawAxes(p);
    if (m_activeEq && pageOfView(m_view) == g_currentPage) {
        ++m_plotDraws;
        QPainter& plot = p;
        plot.setClipRect(m_plotRect);

        // 1. Frame.
        plot.fillRect(m_plotRect, Qt::black);
        plot.setPen(QPen(PlotFrame, 1));
        plot.setBrush(Qt::NoBrush);
        plot.drawRect(m_plotRect.adjusted(0, 0, -1, -1));

        // 2. The emphasised filter's own response as a filled area.
        CFilter* emphasised =
            m_highlightIndex >= 0 ? m_activeEq->filterAt(m_highlightIndex) : m_selected;
        if (emphasised) {
            QPolygon outline;
            outline.reserve(CFilter::kPolygonPoints);
            for (const Point& pt : emphasised->polygon())
                outline << QPoint(pt.x, pt.y);
            plot.setPen(QPen(EmphasisFill, 1));
            plot.setBrush(EmphasisFill);
            plot.drawPolygon(outline);
        }

        // 3. Grid: 20 Hz .. 20 kHz, and every 3 dB.
        plot.setPen(QPen(GridColour, 1));
        for (int i = 1; i <= 28; ++i)
            plot.drawLine(m_gridX[static_cast<std::size_t>(i)], m_plotRect.top(),
                          m_gridX[static_cast<std::size_t>(i)], m_plotRect.bottom());
        for (int k = 1; k <= 12; ++k) {
            const int y =
                m_plotRect.top() + static_cast<int>(std::floor(m_plotRect.height() / 12.0 * k));
            plot.drawLine(m_plotRect.left(), y, m_plotRect.right(), y);
        }

        // 4, 5. Curves, the companion in grey under the active one.
        plot.setRenderHint(QPainter::Antialiasing, true);
        auto drawCurve = [&](CKTVEQ& eq, const QColor& colour) {
            eq.buildSumCurve();
            QPolygonF line;
            line.reserve(kGridPoints);
            for (const PointF& pt : eq.sumCurve())
                line << QPointF(pt.x, pt.y);
            plot.setPen(QPen(colour, 2.0));
            plot.setBrush(Qt::NoBrush);
            plot.drawPolyline(line);
        };
        for (CKTVEQ* companion : m_companionEq)
            if (companion)
                drawCurve(*companion, CompanionCurve);
        drawCurve(*m_activeEq, ActiveCurve);

        // 6. Bypass text: over the curves, under the labels.
        if (bypassed()) {
            QFont font(QStringLiteral("Arial"));
            font.setPixelSize(48);
            QPainterPath text;
            text.addText(0, 0, font, QStringLiteral("EQ BYPASS"));
            const QRectF box = text.boundingRect();
            text.translate(m_plotRect.width() / 2.0 - box.center().x(),
                           m_plotRect.height() / 3.0 - box.top());
            for (int width = 1; width <= 7; ++width) {
                QPen halo(BypassHalo, width);
                halo.setJoinStyle(Qt::RoundJoin);
                plot.strokePath(text, halo);
            }
            plot.fillPath(text, BypassFill);
        }
        plot.setRenderHint(QPainter::Antialiasing, false);

        // 7. Marker labels, last element first so the first lies on top.
        plot.setPen(Qt::white);
        plot.setBrush(Qt::NoBrush);
        const int plotRight = m_plotRect.left() + m_plotRect.width();
        for (int i = m_activeEq->size() - 1; i >= 0; --i) {
            const CFilter* f = m_activeEq->filterAt(i);
            const Rect& r = f->markerRect();
            int align = Qt::AlignHCenter;
            if (r.right == plotRight)
                align = Qt::AlignLeft;
            else if (f->frequencyIndex() <= 20)
                align = Qt::AlignRight;
            plot.drawText(toQRect(r), align | Qt::AlignVCenter,
                          QString::fromStdString(f->getLabel()));
        }

        // 8. The emphasised marker box, its label and its parameter text.
        if (emphasised) {
            const QRect box = toQRect(emphasised->markerRect());
            plot.fillRect(box, EmphasisFill);
            plot.setPen(QPen(QColor(255, 0, 0), 1));
            plot.drawRect(box.adjusted(0, 0, -1, -1));
            plot.setPen(Qt::white);
            plot.drawText(box, Qt::AlignCenter, QString::fromStdString(emphasised->getLabel()));
            plot.drawText(toQRect(emphasised->infoRect()), Qt::AlignCenter,
                          QString::fromStdString(emphasised->buildInfoText()));
        }
        plot.setClipping(false);
    }
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
                if (m_lastChanged) {
                    m_notifyPending = true;
                    redraw(-1, false);
                } else if (!inside) {
                    redraw(-1, false);
                }
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
