// CKTVEQ: one EQ block's filters and summed curve.
#include "eq/KTVEQ.h"

#include <cassert>

namespace zel {

namespace {

// The echo and reverb pre-EQs reach higher with their high-pass and only the top of the
// band with their low-pass.
bool isEffectPreEq(int xoverCode) {
    return xoverCode == 2 || xoverCode == 3 || xoverCode == 5 || xoverCode == 6;
}

constexpr DragRange kInitialDragRange{0, 143}; // up to 303 Hz

} // namespace

DragRange highPassDragRange(int xoverCode) {
    return isEffectPreEq(xoverCode) ? DragRange{0, 205} : kInitialDragRange; // up to 1000 Hz
}

DragRange lowPassDragRange(int xoverCode) {
    return isEffectPreEq(xoverCode) ? DragRange{298, 362} : kInitialDragRange; // 5990 Hz up
}

void CKTVEQ::build(int count, EqBand* bands, int xoverCode, FilterParams* hpf, FilterParams* lpf) {
    assert(filters_.empty() && "a curve model is built once");
    assert(count >= 0 && (count == 0 || bands));
    filters_.reserve(static_cast<std::size_t>(count) + 2);
    for (int i = 0; i < count; ++i) {
        auto& f = filters_.emplace_back(std::make_unique<CFilter>());
        f->setCode(i + 1);
        f->bindBand(bands + i);
    }
    bandCount_ = count;
    if (hpf) {
        auto& f = filters_.emplace_back(std::make_unique<CFilter>());
        f->setCode(xoverCode);
        const DragRange r = highPassDragRange(xoverCode);
        f->setDragRange(r.minIndex, r.maxIndex);
        f->setType(kHighPass);
        f->bindXover(hpf);
        hpfIndex_ = size() - 1;
    }
    if (lpf) {
        auto& f = filters_.emplace_back(std::make_unique<CFilter>());
        f->setCode(xoverCode);
        const DragRange r = lowPassDragRange(xoverCode);
        f->setDragRange(r.minIndex, r.maxIndex);
        f->setType(kLowPass);
        f->bindXover(lpf);
        lpfIndex_ = size() - 1;
    }
}

CFilter* CKTVEQ::filterAt(int i) const {
    assert(i >= 0 && i < size());
    return filters_[static_cast<std::size_t>(i)].get();
}

CFilter* CKTVEQ::highPass() const {
    assert(hasHighPass() && "this EQ block has no high-pass filter");
    CFilter* f = filterAt(hpfIndex_);
    assert(f->getType() == kHighPass);
    return f;
}

CFilter* CKTVEQ::lowPass() const {
    assert(hasLowPass() && "this EQ block has no low-pass filter");
    CFilter* f = filterAt(lpfIndex_);
    assert(f->getType() == kLowPass);
    return f;
}

void CKTVEQ::resize(int plotWidth, int plotHeight) {
    plotWidth_ = plotWidth;
    plotHeight_ = plotHeight;
    // Not limited to the plot: the points past 30 kHz lie right of it and are clipped there.
    for (std::size_t i = 0; i < CurveGrid.size(); ++i)
        sumCurve_[i].x = static_cast<float>(freqToX(CurveGrid[i], plotWidth) + kPlotOffsetX);
    for (auto& f : filters_)
        f->resize(plotWidth, plotHeight);
}

void CKTVEQ::buildSumCurve() {
    LevelArray sum{};
    for (const auto& f : filters_) {
        const LevelArray& level = f->levelDb();
        for (std::size_t i = 0; i < sum.size(); ++i)
            sum[i] += level[i];
    }
    for (std::size_t i = 0; i < sum.size(); ++i)
        sumCurve_[i].y = static_cast<float>(dbToY(sum[i], plotHeight_) + kPlotOffsetY);
}

} // namespace zel
