// CFStatic: the EQ graph of the main window, one EQ block at a time, edited by dragging its
// markers.
#pragma once

#include "eq/Filter.h"
#include "eq/KTVEQ.h"
#include "gui/eq/GraphRedrawTarget.h"
#include "platform/MessageTarget.h"

#include <QImage>
#include <QRect>
#include <QWidget>

#include <array>

namespace zel {

// The axes are always painted; curves, grid and markers only while the view belongs to the
// page on show (g_currentPage), which is also the only time redraw() draws. Left drags move a
// band in frequency and gain or a crossover in frequency, right drags change a band's Q; the
// notify window hears of every change through WM_GRAPH_BAND_SELECTED(view, element index),
// posted.
//
// Drawing goes into an off-screen frame that is copied to the window when complete. What a
// drag cannot change (the axes, the grid with the companion curve, the bypass text) is drawn
// once into cached layers and composed into every frame.
class CFStatic : public QWidget, public GraphRedrawTarget {
    Q_OBJECT

public:
    static constexpr int GridLines = 30;

    explicit CFStatic(QWidget* parent = nullptr);

    // Set-up, once, in this order, after the widget has its size.
    void measure();
    void resizeModels();
    void selectView(int view);
    void setNotifyWindow(MessageTarget* target) { m_notifyWindow = target; }

    // highlight >= 0 emphasises that element of the active EQ, -1 the selected filter. Draws
    // at once, before returning, when the view's page is on show.
    void redraw(int highlight, bool dropSelection) override;

    // With the cache off every frame is drawn from scratch (the reference the cached frame
    // is measured and checked against).
    void setLayerCache(bool on);
    bool layerCache() const { return m_layerCache; }
    // Drops the cached layers; the next frame rebuilds them.
    void invalidateLayers();

    int view() const { return m_view; }
    CKTVEQ* activeEq() const { return m_activeEq; }
    CKTVEQ* companionEq() const { return m_companionEq[0]; }
    CFilter* selected() const { return m_selected; }
    int selectedIndex() const { return m_selectedIndex; }
    bool hover() const { return m_hover; }
    QRect plotRect() const { return m_plotRect; }
    // The page a view is shown on (views 11..14 share the echo and reverb pages).
    static int pageOfView(int view);
    // How many times the plot was drawn; lets a caller see whether redraw() drew.
    int plotDrawCount() const { return m_plotDraws; }
    // The EQ bypass flag of the view, from the bank of the scene in force.
    bool bypassed() const;

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void changeEvent(QEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;

private:
    bool showsCurrentPage() const;
    CFilter* emphasised() const;
    void prepareFrame(qreal density);
    void composeAxes();
    void composePlot();
    void drawAxes(QPainter& p) const;
    void drawGrid(QPainter& p) const;
    void drawCompanions(QPainter& p) const;
    void drawBypassText(QPainter& p) const;
    void drawLabels(QPainter& p);
    void refreshGridLayer();
    void refreshBypassLayer();

    void mouseMoveStep(Point point);
    bool editable() const;
    void notify();
    void updateCursor();

    MessageTarget* m_notifyWindow = nullptr;
    CKTVEQ* m_activeEq = nullptr;
    std::array<CKTVEQ*, 2> m_companionEq{nullptr, nullptr};
    CFilter* m_selected = nullptr;
    std::array<int, GridLines> m_gridX{};
    QRect m_clientRect;
    QRect m_plotRect;
    bool m_hover = false;
    int m_lastChanged = 0;
    bool m_notifyPending = false;
    int m_selectedIndex = 0;
    int m_highlightIndex = -1;
    int m_view = 0;
    bool m_modelsSized = false;
    int m_plotDraws = 0;

    // Off-screen frame and cached layers, all at m_density device pixels per pixel.
    bool m_layerCache = true;
    qreal m_density = 0.0;
    QImage m_frame;
    bool m_frameHasAxes = false;
    bool m_blitOnly = false; // a paint that only copies the frame redraw() just drew
    QImage m_axesLayer;      // the whole client area: frame, level and frequency labels
    QImage m_gridLayer;      // the plot: grid and companion curves, transparent elsewhere
    std::array<std::array<PointF, kGridPoints>, 2> m_gridLayerCurves{};
    std::array<bool, 2> m_gridLayerHasCurve{false, false};
    QImage m_bypassLayer; // the bypass text with its halo, transparent elsewhere
    QRect m_bypassRect;   // where m_bypassLayer goes, in client coordinates
};

} // namespace zel
