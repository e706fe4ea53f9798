// GraphRedrawTarget: what a band strip or a page asks of the EQ graph, drawing the shown block
// again with one of its filters emphasised.
#pragma once

namespace zel {

class GraphRedrawTarget {
public:
    virtual ~GraphRedrawTarget() = default;
    // highlight: element of the shown block to emphasise, or -1 for the graph's own
    // selection; dropSelection: forget that selection first. Draws only when the block
    // belongs to the page on show.
    virtual void redraw(int highlight, bool dropSelection) = 0;
};

// The main window's EQ graph, published by the main window while it initialises; null
// before that and after it closed.
inline GraphRedrawTarget* g_pEqGraph = nullptr;

} // namespace zel
