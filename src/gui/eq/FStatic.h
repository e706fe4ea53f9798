// CFStatic: the EQ graph of the main window, one EQ block at a time, edited by dragging its
// markers.
#pragma once

#include "eq/Filter.h"
#include "eq/KTVEQ.h"
#include "platform/MessageTarget.h"

#include <QRect>
#include <QWidget>

#include <array>

namespace zel {

// The axes are always painted; curves, grid and markers only while the view belongs to the
// page on show (g_currentPage), which is also the only time redraw() asks for a paint. Left drags
// move a band in frequency and gain or a crossover in frequency, right drags change a band's Q; the
// notify window hears of every change through WM_GRAPH_BAND_SELECTED(view, element index), posted.
class CFStatic : public QWidget {
    Q_OBJECT

public:
    static constexpr int GridLines = 30;

    explicit CFStatic(QWidget* parent = nullptr);

    // Set-up, once, in this order, after the widget has its size.
    void measure();
    void resizeModels();
    void selectView(int view);
    void setNotifyWindow(MessageTarget* target) { m_notifyWindow = target; }

    // highlight >= 0 emphasises that element of the active EQ, -1 the selected filter.
    void redraw(int highlight, bool dropSelection);

    int view() const { return m_view; }
    CKTVEQ* activeEq() const { return m_activeEq; }
    CFilter* selected() const { return m_selected; }
    int selectedIndex() const { return m_selectedIndex; }
    bool hover() const { return m_hover; }
    QRect plotRect() const { return m_plotRect; }
    // The page a view is shown on (views 11..14 share the echo and reverb pages).
    static int pageOfView(int view);
    // How many times the plot was drawn; lets a caller see whether redraw() drew.
    int plotDrawCount() const { return m_plotDraws; }

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;

private:
    void drawAxes(QPainter& p) const;
    void mouseMoveStep(Point point);
    bool editable() const;
    bool bypassed() const;
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
};

} // namespace zel
