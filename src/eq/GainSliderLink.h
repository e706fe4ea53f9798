// The band strip's gain slider as a band filter sees it: something to move when the band's
// marker is dragged. The GUI implements it; the maths never depends on the widget.
#pragma once

namespace zel {

class GainSliderLink {
public:
    virtual ~GainSliderLink() = default;
    // Moves the slider to gain index 0..360 (240 = 0 dB) without reporting a user change.
    virtual void setGainPosition(int gainIndex) = 0;
};

} // namespace zel
