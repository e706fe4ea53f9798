#include "eq/EqFit.h"

#include "model/Defaults.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>

namespace zel {
namespace {

// The response of a textbook second-order peaking or shelving filter at 192 kHz, written out
// here rather than taken from the filter code, on the grid's 0.1 Hz raster.
double referenceDb(FilterType type, double f0, double gainDb, double q, double hz) {
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

TextFilter filter(FilterType type, double hz, double db, double q) {
    TextFilter f;
    f.type = type;
    f.typeToken = type == kPeaking ? "PK" : type == kLowShelf ? "LSC" : "HSC";
    f.hz = hz;
    f.db = db;
    f.q = q;
    return f;
}

// The largest gap between the asked filters and the block's stored bands, by the reference.
void expectDeviation(const EqFit& fit, const std::vector<TextFilter>& asked) {
    double worst = -1;
    int at = -1;
    for (int k = 0; k < kGridPoints; ++k) {
        const double hz = CurveGrid[static_cast<std::size_t>(k)];
        double want = 0, got = 0;
        for (const TextFilter& f : asked)
            if (f.enabled)
                want += referenceDb(f.type, f.hz, f.db, f.q, hz);
        for (const EqBand& b : fit.bands)
            got += referenceDb(static_cast<FilterType>(b.type), FreqTable[b.freq],
                               b.gain * 0.1 - 24, QTable[b.q], hz);
        if (std::abs(want - got) > worst) {
            worst = std::abs(want - got);
            at = k;
        }
    }
    EXPECT_NEAR(fit.maxDeviationDb, worst, 1e-6);
    EXPECT_EQ(fit.maxDeviationPoint, at);
}

TEST(EqFit, EachTypeGoesToTheNearestStepsOfTheTables) {
    const std::vector<TextFilter> asked = {
        filter(kPeaking, 1000, -3.0, 1.41),   // 1000 Hz is FreqTable[204], Q 1.4 is QTable[22]
        filter(kLowShelf, 105, 4.04, 0.71),   // 105 Hz is FreqTable[87], 0.71 is QTable[10]
        filter(kHighShelf, 8050, -2.46, 0.6), // 8000 Hz (FreqTable[312]) is nearer than 8160
    };
    const EqFit fit = fitFilters(asked, 1); // microphone A, 20 bands
    ASSERT_EQ(fit.bands.size(), 20u);
    struct Want {
        int freq, gain, q, type;
    };
    const Want want[] = {{204, 210, 22, 0}, {87, 280, 10, 1}, {312, 215, 7, 2}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const EqBand& b = fit.bands[static_cast<std::size_t>(i)];
        EXPECT_EQ(b.freq, want[i].freq);
        EXPECT_EQ(b.gain, want[i].gain);
        EXPECT_EQ(b.q, want[i].q);
        EXPECT_EQ(b.type, want[i].type);
        EXPECT_EQ(fit.filters[static_cast<std::size_t>(i)].band, i);
        EXPECT_FALSE(fit.filters[static_cast<std::size_t>(i)].clipped);
    }
    // The bands left over are flat, at their default places.
    for (int i = 3; i < 20; ++i) {
        const EqBand d = defaultBand(1, i), &b = fit.bands[static_cast<std::size_t>(i)];
        EXPECT_EQ(b.freq, d.freq);
        EXPECT_EQ(b.gain, 240);
        EXPECT_EQ(b.type, 0);
    }
    expectDeviation(fit, asked);
    EXPECT_LT(fit.maxDeviationDb, 0.3);
}

TEST(EqFit, ValuesBeyondTheDeviceAreBroughtToItsLimitsAndMarked) {
    const std::vector<TextFilter> asked = {filter(kPeaking, 15, -30, 200),
                                           filter(kPeaking, 22000, 14, 0.3)};
    const EqFit fit = fitFilters(asked, 2); // echo A pre-EQ
    EXPECT_EQ(fit.bands[0].freq, 0);
    EXPECT_EQ(fit.bands[0].gain, 0);
    EXPECT_EQ(fit.bands[0].q, 100);
    EXPECT_EQ(fit.bands[1].freq, 361);
    EXPECT_EQ(fit.bands[1].gain, 360);
    EXPECT_EQ(fit.bands[1].q, 0);
    EXPECT_TRUE(fit.filters[0].clipped);
    EXPECT_TRUE(fit.filters[1].clipped);
    expectDeviation(fit, asked);
}

TEST(EqFit, MoreFiltersThanBandsKeepsTheStrongestInTextOrder) {
    std::vector<TextFilter> asked = {
        filter(kPeaking, 40, -9, 4),    filter(kPeaking, 300, 0.5, 2),
        filter(kLowShelf, 80, 5, 0.71), filter(kPeaking, 2000, -1, 3),
        filter(kPeaking, 120, -6, 5),   filter(kHighShelf, 9000, 0.8, 0.71),
    };
    asked.push_back(filter(kPeaking, 60, -12, 8));
    asked.back().enabled = false;           // off: neither kept nor counted
    const EqFit fit = fitFilters(asked, 9); // Subwoofer, 3 bands
    const int bandOf[] = {0, -1, 1, -1, 2, -1, -1};
    for (std::size_t i = 0; i < asked.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(fit.filters[i].band, bandOf[i]);
        EXPECT_EQ(fit.filters[i].dropped, bandOf[i] < 0 && asked[i].enabled);
    }
    expectDeviation(fit, asked);
    // What was dropped is the deviation's floor: at least the 1 dB cut at 2 kHz is missing.
    EXPECT_GT(fit.maxDeviationDb, 0.9);
}

} // namespace
} // namespace zel
