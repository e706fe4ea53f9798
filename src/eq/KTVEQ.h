// CKTVEQ: the curve model of one EQ block, its filters in order (bands, then the high-pass,
// then the low-pass filter) and the summed response the graph draws.
#pragma once

#include "eq/Filter.h"

#include <array>
#include <memory>
#include <vector>

namespace zel {

// Crossover frequency indices a drag may reach, by the block's crossover code.
struct DragRange {
    int minIndex;
    int maxIndex;
};
DragRange highPassDragRange(int xoverCode);
DragRange lowPassDragRange(int xoverCode);

class CKTVEQ {
public:
    CKTVEQ() = default;
    CKTVEQ(const CKTVEQ&) = delete;
    CKTVEQ& operator=(const CKTVEQ&) = delete;

    // Creates count bands on bands[0..count-1] and, where given, the high-pass and low-pass
    // filters on their records; every record must outlive the model. Runs once per model.
    void build(int count, EqBand* bands, int xoverCode, FilterParams* hpf, FilterParams* lpf);

    CFilter* filterAt(int i) const;
    int size() const { return static_cast<int>(filters_.size()); }
    int bandCount() const { return bandCount_; }
    bool hasHighPass() const { return hpfIndex_ >= 0; }
    bool hasLowPass() const { return lpfIndex_ >= 0; }
    CFilter* highPass() const; // the block must have one
    CFilter* lowPass() const;  // the block must have one

    // Plot rectangle size: places the summed curve's x coordinates and resizes every filter.
    void resize(int plotWidth, int plotHeight);
    // Sums the filters' levels at every grid point into sumCurve's y coordinates, unclipped.
    // Allocates nothing.
    void buildSumCurve();
    // Graph client coordinates, one point per CurveGrid entry.
    const std::array<PointF, kGridPoints>& sumCurve() const { return sumCurve_; }
    int plotWidth() const { return plotWidth_; }
    int plotHeight() const { return plotHeight_; }

private:
    std::vector<std::unique_ptr<CFilter>> filters_;
    std::array<PointF, kGridPoints> sumCurve_{};
    int plotHeight_ = 0;
    int plotWidth_ = 0;
    int bandCount_ = 0;
    int hpfIndex_ = -1;
    int lpfIndex_ = -1;
};

} // namespace zel
