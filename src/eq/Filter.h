// CFilter: one filter of an EQ block as the graph shows it, attached to a band or crossover
// record of the parameter store, with its response, marker, info text and drag edits.
#pragma once

#include "eq/Biquad.h"
#include "eq/GainSliderLink.h"
#include "eq/Geometry.h"
#include "model/DeviceParams.h"

#include <array>
#include <string>

namespace zel {

enum FilterType { kPeaking = 0, kLowShelf = 1, kHighShelf = 2, kHighPass = 3, kLowPass = 4 };

// Q and number of identical cascaded sections a crossover filter is drawn with, from the
// crossover code of its EQ block and the slope code of its record.
struct CrossoverDesign {
    double q;
    int sections;
};
CrossoverDesign crossoverDesign(int xoverCode, int slopeCode, int userQIndex);

class CFilter {
public:
    static constexpr int kPolygonPoints = kGridPoints + 2;
    static constexpr int kMarkerSize = 16;

    // Set and cleared by the graph only: marker selected/under the mouse, left-button
    // (frequency/gain) drag active, right-button (Q) drag active.
    struct DragFlags {
        bool hot = false;
        bool leftDrag = false;
        bool rightDrag = false;
    };
    DragFlags flags;

    CFilter() = default;
    CFilter(const CFilter&) = delete;
    CFilter& operator=(const CFilter&) = delete;

    // Set-up, in the order the curve model calls them.
    void setCode(int n); // band number (1-based) or the block's crossover code
    void setDragRange(int minIndex, int maxIndex); // crossover frequency indices a drag may reach
    void setType(int t);                           // FilterType; rewrites a band record's type
    void bindBand(EqBand* band);                   // attach and show the record's values
    void bindXover(FilterParams* xover);

    // Edits: each writes the attached record and recomputes.
    void setFreqIndex(int i);      // band, FreqTable index 0..361
    void setXoverFreqIndex(int i); // crossover, XoverFreqTable index 0..362 (0 = off)
    void setQIndex(int i);         // band, QTable index 0..100
    void setUserQIndex(int i);     // crossover, UserQTable index 0..28
    void setGainIndex(int i);      // band, 0..360 (dB = i * 0.1 - 24)
    void setSlope(int code);       // crossover slope or Subwoofer crossover type
    void setLinkedSlider(GainSliderLink* slider) { linkedSlider_ = slider; }

    // Plot rectangle size in pixels; rebuilds the outline's x coordinates and recomputes.
    void resize(int plotWidth, int plotHeight);
    // Design, evaluate, place marker and info rectangle, rebuild the outline's y coordinates.
    // Allocates nothing.
    void recompute();

    // Mouse point (graph client coordinates) at the start of a drag. For a band it also
    // remembers the Q index a right-button drag starts from.
    void beginGrab(Point p);
    // Band drag to point p: frequency and whole-dB gain. 1 for a band, 0 for a crossover.
    int dragPeak(Point p);
    // Crossover drag to point p: frequency only. 1 for a crossover, 0 for a band.
    int dragXover(Point p);
    // Q drag to mouse x: one Q step per 10 px from the marker centre. 1 for a band.
    int dragQ(int x);

    int frequencyIndex() const;
    int gainIndex() const; // a crossover has no gain: 240 (0 dB)
    int qIndex() const;    // a crossover has no band Q: -1
    int getType() const { return type_; }
    const std::string& getLabel() const { return label_; }
    // Builds the one-line parameter text ("PEQ  1000Hz 0.71Q 0.0dB", "303Hz ") and returns it.
    const std::string& buildInfoText();

    bool isCrossover() const { return type_ == kHighPass || type_ == kLowPass; }
    int code() const { return code_; }
    double freqHz() const { return freqHz_; }
    double gainDb() const { return gainDb_; }
    EqBand* band() const { return band_; }
    FilterParams* xover() const { return xover_; }
    GainSliderLink* linkedSlider() const { return linkedSlider_; }

    // The filter's own response in dB at every CurveGrid point.
    const LevelArray& levelDb() const { return levelDb_; }
    // Outline of the own response, closed along the 0 dB line: point 0 and the last point lie
    // on it at the plot's left and right edges, points 1..420 follow the grid.
    const std::array<Point, kPolygonPoints>& polygon() const { return polygon_; }
    const Rect& markerRect() const { return markerRect_; }
    const Rect& infoRect() const { return infoRect_; }
    const std::string& infoText() const { return infoText_; }
    int plotWidth() const { return plotWidth_; }
    int plotHeight() const { return plotHeight_; }

private:
    void design(BiquadCoeffs& coeffs, int& sections, bool& flat) const;
    void placeBandMarker();
    void placeCrossoverMarker();

    LevelArray levelDb_{};
    Point grabOffset_{};
    Rect markerRect_{};
    GainSliderLink* linkedSlider_ = nullptr;
    EqBand* band_ = nullptr;
    FilterParams* xover_ = nullptr;
    int type_ = kPeaking;
    double freqHz_ = 20.0;
    double gainDb_ = 0.0;
    int qIndexAtGrab_ = 0;
    int plotWidth_ = 0;
    int plotHeight_ = 0;
    int minIndex_ = 0;
    int maxIndex_ = 143;
    int code_ = -1;
    std::string label_;
    std::array<Point, kPolygonPoints> polygon_{};
    Rect infoRect_{};
    std::string infoText_;
};

} // namespace zel
