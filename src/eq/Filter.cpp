// CFilter: record-backed biquad with its graph geometry and drag edits.
#include "eq/Filter.h"

#include "model/StoreWrite.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdio>

namespace zel {

namespace {

constexpr int kLastFreqIndex = static_cast<int>(FreqTable.size()) - 1;       // 361
constexpr int kLastXoverIndex = static_cast<int>(XoverFreqTable.size()) - 1; // 362
constexpr int kLastQIndex = static_cast<int>(QTable.size()) - 1;             // 100
constexpr int kLastUserQIndex = static_cast<int>(UserQTable.size()) - 1;     // 28
constexpr int kLastGainIndex = 360;
constexpr int kZeroDbGainIndex = 240;
// Crossover frequencies from 94 Hz up are shown without a decimal.
constexpr int kWholeHzXoverIndex = 82;

// Records come from the device's dump and from mode files as well as from the pages, so a
// stored index is read clamped into its table; the record itself is left as it is.
int storedIndex(int value, int last) {
    return std::clamp(value, 0, last);
}

double gainDbOfIndex(int gainIndex) {
    return gainIndex * 0.1 - 24;
}

} // namespace

CrossoverDesign crossoverDesign(int xoverCode, int slopeCode, int userQIndex) {
    const double userQ =
        UserQTable[static_cast<std::size_t>(storedIndex(userQIndex, kLastUserQIndex))];
    switch (xoverCode) {
    case 0: // music
    case 8: // Center
        // "12dB" or "24dB"; a slope code above 1, which no panel offers, is drawn as the
        // steepest one that it does offer.
        if (slopeCode <= 0)
            return {0.7071, 1};
        return {0.7212, 2};
    case 9: // Subwoofer crossover types
        switch (slopeCode) {
        case 0:
            return {0.5219, 2}; // "Bessel 24dB"
        case 1:
            return {0.5412, 2}; // "Butter   24dB"
        case 2:
            return {0.71, 2}; // "LinkRi  48dB"
        case 3:
            return {userQ, 1}; // "User     24dB"
        default:
            return {userQ, 2}; // "User     48dB", and any code above it
        }
    default:
        // Microphones and the echo and reverb pre-EQs (codes 1..6) have a fixed Q; so has
        // every code no crossover panel uses (7 and 10 up), which draw as a single section.
        return {0.71, 1};
    }
}

void CFilter::setCode(int n) {
    code_ = n;
    label_ = std::to_string(n);
}

void CFilter::setDragRange(int minIndex, int maxIndex) {
    assert(0 <= minIndex && minIndex <= maxIndex && maxIndex <= kLastXoverIndex);
    minIndex_ = minIndex;
    maxIndex_ = maxIndex;
}

void CFilter::setType(int t) {
    assert(t >= kPeaking && t <= kLowPass);
    type_ = t;
    if (t == kHighPass)
        label_.assign(1, 'H');
    else if (t == kLowPass)
        label_.assign(1, 'L');
    if (band_) {
        assert(t <= kHighShelf && "a band record holds a band type");
        storeWrite(band_->type, static_cast<std::uint8_t>(t));
        recompute();
    }
}

void CFilter::bindBand(EqBand* band) {
    assert(band);
    band_ = band;
    // A band type the maths does not know is drawn as a peaking band.
    const std::uint8_t type = storeRead(band->type);
    type_ = type <= kHighShelf ? static_cast<int>(type) : static_cast<int>(kPeaking);
    freqHz_ =
        FreqTable[static_cast<std::size_t>(storedIndex(storeRead(band->freq), kLastFreqIndex))];
    gainDb_ = gainDbOfIndex(storedIndex(storeRead(band->gain), kLastGainIndex));
    recompute();
}

void CFilter::bindXover(FilterParams* xover) {
    assert(xover);
    xover_ = xover;
    freqHz_ = XoverFreqTable[static_cast<std::size_t>(
        storedIndex(storeRead(xover->freq), kLastXoverIndex))];
    recompute();
}

void CFilter::setFreqIndex(int i) {
    assert(band_ && i >= 0 && i <= kLastFreqIndex);
    freqHz_ = FreqTable[static_cast<std::size_t>(i)];
    storeWrite(band_->freq, static_cast<std::uint16_t>(i));
    recompute();
}

void CFilter::setXoverFreqIndex(int i) {
    assert(xover_ && i >= 0 && i <= kLastXoverIndex);
    freqHz_ = XoverFreqTable[static_cast<std::size_t>(i)];
    storeWrite(xover_->freq, static_cast<std::uint16_t>(i));
    recompute();
}

void CFilter::setQIndex(int i) {
    assert(i >= 0 && i <= kLastQIndex);
    if (band_ && type_ <= kHighShelf)
        storeWrite(band_->q, static_cast<std::uint8_t>(i));
    recompute();
}

void CFilter::setUserQIndex(int i) {
    assert(xover_ && i >= 0 && i <= kLastUserQIndex);
    storeWrite(xover_->userQ, static_cast<std::uint8_t>(i));
    recompute();
}

void CFilter::setGainIndex(int i) {
    assert(i >= 0 && i <= kLastGainIndex);
    if (band_)
        storeWrite(band_->gain, static_cast<std::uint16_t>(i));
    gainDb_ = gainDbOfIndex(i);
    recompute();
}

void CFilter::setSlope(int code) {
    assert(xover_ && code >= 0 && code <= 255);
    storeWrite(xover_->slope, static_cast<std::uint8_t>(code));
    recompute();
}

void CFilter::resize(int plotWidth, int plotHeight) {
    plotWidth_ = plotWidth;
    plotHeight_ = plotHeight;
    const int zeroY = dbToPixelY(0.0, plotHeight) + kPlotOffsetY;
    polygon_.front() = {kPlotOffsetX, zeroY};
    polygon_.back() = {plotWidth + kPlotOffsetX, zeroY};
    for (std::size_t i = 0; i < CurveGrid.size(); ++i)
        polygon_[1 + i].x = std::min(freqToPixelX(CurveGrid[i], plotWidth) + kPlotOffsetX,
                                     plotWidth + kPlotOffsetX);
    recompute();
}

void CFilter::design(BiquadCoeffs& coeffs, int& sections, bool& flat) const {
    sections = 1;
    flat = false;
    if (!isCrossover()) {
        if (!band_) {
            flat = true;
            return;
        }
        const double f0 = FreqTable[static_cast<std::size_t>(
            storedIndex(storeRead(band_->freq), kLastFreqIndex))];
        const double q =
            QTable[static_cast<std::size_t>(storedIndex(storeRead(band_->q), kLastQIndex))];
        const double gain = gainDbOfIndex(storedIndex(storeRead(band_->gain), kLastGainIndex));
        coeffs = designBiquad(static_cast<BiquadKind>(type_ + 3), f0, q, std::pow(10.0, gain / 40));
        return;
    }
    const int index = xover_ ? storedIndex(storeRead(xover_->freq), kLastXoverIndex) : 0;
    if (index == 0) { // off
        flat = true;
        return;
    }
    const CrossoverDesign cd =
        crossoverDesign(code_, storeRead(xover_->slope), storeRead(xover_->userQ));
    sections = cd.sections;
    coeffs = designBiquad(type_ == kHighPass ? BiquadKind::HighPass : BiquadKind::LowPass,
                          XoverFreqTable[static_cast<std::size_t>(index)], cd.q, 1.0);
}

void CFilter::recompute() {
    BiquadCoeffs coeffs;
    int sections = 1;
    bool flat = false;
    design(coeffs, sections, flat);
    if (flat)
        levelDb_.fill(0.0);
    else
        evaluateLevels(coeffs, sections, levelDb_);

    if (isCrossover())
        placeCrossoverMarker();
    else
        placeBandMarker();

    for (std::size_t i = 0; i < levelDb_.size(); ++i)
        polygon_[1 + i].y = dbToPixelY(levelDb_[i], plotHeight_) + kPlotOffsetY;
}

void CFilter::placeBandMarker() {
    const int w = plotWidth_;
    const int h = plotHeight_;
    const int storedGain =
        band_ ? storedIndex(storeRead(band_->gain), kLastGainIndex) : kZeroDbGainIndex;
    int x0 = freqToPixelX(freqHz_, w) - kMarkerSize / 2;
    int y0 = dbToPixelY(band_ ? gainDbOfIndex(storedGain) : gainDb_, h) - kMarkerSize / 2;
    x0 = std::max(x0, -kMarkerSize / 2);
    y0 = std::max(y0, 0);
    int right = x0 + kMarkerSize;
    int bottom = y0 + kMarkerSize;
    if (right > w) {
        right = w;
        x0 = right - kMarkerSize;
    }
    if (bottom >= h) {
        bottom = h;
        y0 = bottom - kMarkerSize;
    }
    const Rect m{x0 + kPlotOffsetX, y0 + kPlotOffsetY, right + kPlotOffsetX, bottom + kPlotOffsetY};
    markerRect_ = m;

    // The 200 px text box is centred on the marker, kept inside the plot's width, and put
    // below a boost and above a cut so it does not cover the curve's peak.
    Rect info{m.left - 100, 0, m.right + 100, 0};
    if (info.right > w + kPlotOffsetX) {
        info.right = w + kPlotOffsetX;
        info.left = info.right - 200;
    } else if (info.left < kPlotOffsetX) {
        info.left = kPlotOffsetX;
        info.right = kPlotOffsetX + 200;
    }
    if (storedGain >= kZeroDbGainIndex) {
        info.top = m.top + 35;
        info.bottom = m.bottom + 85;
    } else {
        info.top = m.top - 50;
        info.bottom = m.top + 50;
    }
    infoRect_ = info;
}

void CFilter::placeCrossoverMarker() {
    const int w = plotWidth_;
    const int h = plotHeight_;
    // A crossover marker only moves sideways, at +2 dB (high-pass) or 0 dB (low-pass).
    int x0 = freqToPixelX(freqHz_, w) - kMarkerSize / 2;
    const int y0 = dbToPixelY(type_ == kHighPass ? 2.0 : 0.0, h);
    x0 = std::max(x0, -kMarkerSize / 2);
    int right = x0 + kMarkerSize;
    const int bottom = y0 + kMarkerSize;
    if (right > w + kMarkerSize / 2) {
        right = w + kMarkerSize / 2;
        x0 = right - kMarkerSize;
    }
    const Rect m{x0 + kPlotOffsetX, y0 + kPlotOffsetY, right + kPlotOffsetX, bottom + kPlotOffsetY};
    markerRect_ = m;

    Rect info{m.left, 0, m.right + 50, 0};
    if (m.right + 50 > w + kPlotOffsetX) {
        info.right = w + kPlotOffsetX;
        info.left = info.right - 66;
    }
    if (type_ == kHighPass) {
        info.top = m.top + 15;
        info.bottom = m.bottom + 25;
    } else {
        info.top = m.top - 15;
        info.bottom = m.bottom + 20;
    }
    infoRect_ = info;
}

void CFilter::beginGrab(Point p) {
    const Point c = markerRect_.center();
    grabOffset_ = {p.x - c.x, p.y - c.y};
    if (band_)
        qIndexAtGrab_ = storedIndex(storeRead(band_->q), kLastQIndex);
}

int CFilter::dragPeak(Point p) {
    if (isCrossover() || !band_)
        return 0;
    const Point c{p.x - grabOffset_.x, p.y - grabOffset_.y};
    if (c == markerRect_.center())
        return 1;
    if (plotWidth_ <= 0 || plotHeight_ <= 0)
        return 0; // not measured yet: no pixel maps to a value
    const int x = std::clamp(c.x - kPlotOffsetX, 0, plotWidth_);
    const int y = std::clamp(c.y - kPlotOffsetY, 0, plotHeight_);
    const double f = std::clamp(xToFreq(x, plotWidth_), FreqTable.front(), FreqTable.back());
    const double g = std::clamp(yToDb(y, plotHeight_), -24.0, 12.0);

    const int freqIndex = nearestIndex(FreqTable, f);
    storeWrite(band_->freq, static_cast<std::uint16_t>(freqIndex));
    freqHz_ = FreqTable[static_cast<std::size_t>(freqIndex)];
    gainDb_ = g;
    const int gainIndex = static_cast<int>(std::floor((g + 24) * 100 / (0.1 * 100) + 0.5));
    storeWrite(band_->gain, static_cast<std::uint16_t>(gainIndex));
    if (linkedSlider_)
        linkedSlider_->setGainPosition(gainIndex);
    recompute();
    return 1;
}

int CFilter::dragXover(Point p) {
    if (!isCrossover() || !xover_)
        return 0;
    int x = p.x - grabOffset_.x - kPlotOffsetX;
    if (x <= 0 && type_ == kHighPass) {
        setXoverFreqIndex(0);
        return 1;
    }
    if (plotWidth_ <= 0)
        return 0;
    x = std::clamp(x, 0, plotWidth_);
    const double f =
        std::clamp(xToFreq(x, plotWidth_), XoverFreqTable[static_cast<std::size_t>(minIndex_)],
                   XoverFreqTable[static_cast<std::size_t>(maxIndex_)]);
    const int index = nearestIndex(XoverFreqTable, f);
    storeWrite(xover_->freq, static_cast<std::uint16_t>(index));
    freqHz_ = XoverFreqTable[static_cast<std::size_t>(index)];
    recompute();
    return 1;
}

int CFilter::dragQ(int x) {
    if (isCrossover() || !band_)
        return 0;
    const int steps = (x - markerRect_.center().x) / 10;
    setQIndex(std::clamp(qIndexAtGrab_ + steps, 0, kLastQIndex));
    return 1;
}

int CFilter::frequencyIndex() const {
    if (band_)
        return storeRead(band_->freq);
    return xover_ ? static_cast<int>(storeRead(xover_->freq)) : 0;
}

int CFilter::gainIndex() const {
    return band_ ? static_cast<int>(storeRead(band_->gain)) : kZeroDbGainIndex;
}

int CFilter::qIndex() const {
    return band_ ? static_cast<int>(storeRead(band_->q)) : -1;
}

const std::string& CFilter::buildInfoText() {
    char text[96];
    if (isCrossover()) {
        const bool whole = frequencyIndex() >= kWholeHzXoverIndex;
        std::snprintf(text, sizeof text, whole ? "%.0fHz " : "%.1fHz ", freqHz_);
    } else {
        const int qi = band_ ? storedIndex(storeRead(band_->q), kLastQIndex) : 0;
        const double q = QTable[static_cast<std::size_t>(qi)];
        const double gain = gainDbOfIndex(
            band_ ? storedIndex(storeRead(band_->gain), kLastGainIndex) : kZeroDbGainIndex);
        const bool whole = freqHz_ >= 101.0;
        switch (type_) {
        case kLowShelf:
            std::snprintf(text, sizeof text,
                          whole ? "Ls  %.0fHz %.3fQ %.1fdB" : "Ls  %.1fHz %.3fQ %.1fdB", freqHz_, q,
                          gain);
            break;
        case kHighShelf:
            std::snprintf(text, sizeof text,
                          whole ? "Hs  %.0fHz %.3fQ %.1fdB" : "Hs  %.1fHz %.3fQ %.1fdB", freqHz_, q,
                          gain);
            break;
        default:
            std::snprintf(text, sizeof text,
                          whole ? "PEQ  %.0fHz %.2fQ %.1fdB" : "PEQ  %.1fHz %.2fQ %.1fdB", freqHz_,
                          q, gain);
            break;
        }
    }
    infoText_ = text;
    return infoText_;
}

} // namespace zel
