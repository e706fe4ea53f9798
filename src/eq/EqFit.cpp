// Fitting of text-export filters to an EQ block's bands.
#include "eq/EqFit.h"

#include "eq/Filter.h"
#include "model/Defaults.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>

namespace zel {

namespace {

constexpr double kMinGainDb = -24;
constexpr double kMaxGainDb = 12;
constexpr int kLastGainIndex = 360;

double maxAbs(const LevelArray& a) {
    double m = 0;
    for (double v : a)
        m = std::max(m, std::abs(v));
    return m;
}

} // namespace

EqBand nearestBand(const TextFilter& f, bool& clipped) {
    const double hz = std::clamp(f.hz, FreqTable.front(), FreqTable.back());
    const double q = std::clamp(f.q, QTable.front(), QTable.back());
    const double db = std::clamp(f.db, kMinGainDb, kMaxGainDb);
    clipped = hz != f.hz || q != f.q || db != f.db;
    EqBand b{};
    b.freq = static_cast<std::uint16_t>(nearestIndex(FreqTable, hz));
    b.gain = static_cast<std::uint16_t>(
        std::clamp(static_cast<int>(std::lround((db - kMinGainDb) * 10)), 0, kLastGainIndex));
    b.q = static_cast<std::uint8_t>(nearestIndex(QTable, q));
    b.type = static_cast<std::uint8_t>(f.type);
    return b;
}

void idealLevels(const TextFilter& f, LevelArray& levelDb) {
    const BiquadCoeffs c =
        designBiquad(static_cast<BiquadKind>(f.type + 3), f.hz, f.q, std::pow(10.0, f.db / 40));
    evaluateLevels(c, 1, levelDb);
}

EqBand* blockBands(DeviceParams& p, int blockId, bool dance) {
    const EqSection& s = kEqSections[sectionOfBlock(blockId)];
    if (dance && s.danceFirst >= 0)
        return &p.dance.eqBand[s.danceFirst];
    return &p.eqBand[s.firstBand];
}

EqFit fitFilters(std::span<const TextFilter> filters, int blockId) {
    assert(blockId >= 0 && blockId < kEqSectionCount);
    assert(filters.size() <= static_cast<std::size_t>(kMaxFitFilters));
    const int section = sectionOfBlock(blockId);
    EqFit fit;
    fit.blockId = blockId;
    fit.bandCount = kEqSections[section].bandCount;

    std::vector<std::size_t> on; // indices of the ON filters
    std::vector<LevelArray> levels(filters.size());
    for (std::size_t i = 0; i < filters.size(); ++i) {
        FilterFit ff;
        ff.asked = filters[i];
        fit.filters.push_back(ff);
        if (!filters[i].enabled)
            continue;
        on.push_back(i);
        idealLevels(filters[i], levels[i]);
        for (std::size_t k = 0; k < fit.askedDb.size(); ++k)
            fit.askedDb[k] += levels[i][k];
    }

    // Drop, one at a time, the filter whose loss (together with those already dropped)
    // moves the asked curve least at its worst point.
    LevelArray lost{};
    while (on.size() > static_cast<std::size_t>(fit.bandCount)) {
        std::size_t best = 0;
        double bestCost = std::numeric_limits<double>::infinity();
        for (std::size_t j = 0; j < on.size(); ++j) {
            LevelArray trial = lost;
            for (std::size_t k = 0; k < trial.size(); ++k)
                trial[k] += levels[on[j]][k];
            const double cost = maxAbs(trial);
            if (cost < bestCost) {
                bestCost = cost;
                best = j;
            }
        }
        for (std::size_t k = 0; k < lost.size(); ++k)
            lost[k] += levels[on[best]][k];
        fit.filters[on[best]].dropped = true;
        on.erase(on.begin() + static_cast<std::ptrdiff_t>(best));
    }

    for (int b = 0; b < fit.bandCount; ++b)
        fit.bands.push_back(defaultBand(section, b)); // flat: 0 dB peaking
    int next = 0;
    for (std::size_t i : on) {
        FilterFit& ff = fit.filters[i];
        ff.band = next;
        ff.stored = nearestBand(ff.asked, ff.clipped);
        fit.bands[static_cast<std::size_t>(next++)] = ff.stored;
    }

    // The device's curve through the program's own filter objects, so it is exactly what
    // the graph draws for these records.
    for (EqBand& band : fit.bands) {
        CFilter f;
        f.bindBand(&band);
        for (std::size_t k = 0; k < fit.deviceDb.size(); ++k)
            fit.deviceDb[k] += f.levelDb()[k];
    }
    for (std::size_t k = 0; k < fit.askedDb.size(); ++k) {
        const double d = std::abs(fit.askedDb[k] - fit.deviceDb[k]);
        if (d > fit.maxDeviationDb) {
            fit.maxDeviationDb = d;
            fit.maxDeviationPoint = static_cast<int>(k);
        }
    }
    return fit;
}

} // namespace zel
