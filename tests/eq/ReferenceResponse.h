// The response of a textbook second-order peaking or shelving filter at 192 kHz, written out
// here rather than taken from the filter code, on the grid's 0.1 Hz raster: the yardstick of
// the EQ import's deviation figure.
#pragma once

#include "eq/FilterText.h"
#include "model/DeviceParams.h"
#include "model/EqTables.h"

#include <cmath>
#include <complex>
#include <span>

namespace zel {

inline double referenceDb(FilterType type, double f0, double gainDb, double q, double hz) {
    const double fs = 192000, pi = std::acos(-1.0);
    const double a = std::pow(10.0, gainDb / 40), w0 = 2 * pi * f0 / fs;
    const double alpha = std::sin(w0) / (2 * q), c = std::cos(w0), s = 2 * std::sqrt(a) * alpha;
    double b[3], d[3];
    if (type == kPeaking) {
        b[0] = 1 + alpha * a, b[1] = -2 * c, b[2] = 1 - alpha * a;
        d[0] = 1 + alpha / a, d[1] = -2 * c, d[2] = 1 - alpha / a;
    } else if (type == kLowShelf) {
        b[0] = a * ((a + 1) - (a - 1) * c + s), b[1] = 2 * a * ((a - 1) - (a + 1) * c),
        b[2] = a * ((a + 1) - (a - 1) * c - s);
        d[0] = (a + 1) + (a - 1) * c + s, d[1] = -2 * ((a - 1) + (a + 1) * c),
        d[2] = (a + 1) + (a - 1) * c - s;
    } else {
        b[0] = a * ((a + 1) + (a - 1) * c + s), b[1] = -2 * a * ((a - 1) + (a + 1) * c),
        b[2] = a * ((a + 1) + (a - 1) * c - s);
        d[0] = (a + 1) - (a - 1) * c + s, d[1] = 2 * ((a - 1) - (a + 1) * c),
        d[2] = (a + 1) - (a - 1) * c - s;
    }
    const double w = 2 * pi * std::floor(hz * 10) / (10 * fs);
    const std::complex<double> z1 = std::polar(1.0, -w), z2 = z1 * z1;
    return 20 *
           std::log10(std::abs((b[0] + b[1] * z1 + b[2] * z2) / (d[0] + d[1] * z1 + d[2] * z2)));
}

// The largest gap between the ON filters asked for and the stored bands, and its grid point.
struct ReferenceDeviation {
    double db = -1;
    int point = -1;
};
inline ReferenceDeviation referenceDeviation(std::span<const TextFilter> asked,
                                             std::span<const EqBand> bands) {
    ReferenceDeviation worst;
    for (std::size_t k = 0; k < CurveGrid.size(); ++k) {
        double want = 0, got = 0;
        for (const TextFilter& f : asked)
            if (f.enabled)
                want += referenceDb(f.type, f.hz, f.db, f.q, CurveGrid[k]);
        for (const EqBand& b : bands)
            got += referenceDb(static_cast<FilterType>(b.type), FreqTable[b.freq],
                               b.gain * 0.1 - 24, QTable[b.q], CurveGrid[k]);
        if (std::abs(want - got) > worst.db)
            worst = {std::abs(want - got), static_cast<int>(k)};
    }
    return worst;
}

} // namespace zel
