#include "eq/EqFit.h"

#include "ReferenceResponse.h"

#include "model/Defaults.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zel {
namespace {

TextFilter filter(FilterType type, double hz, double db, double q) {
    TextFilter f;
    f.type = type;
    f.typeToken = type == kPeaking ? "PK" : type == kLowShelf ? "LSC" : "HSC";
    f.hz = hz;
    f.db = db;
    f.q = q;
    return f;
}

void expectDeviation(const EqFit& fit, const std::vector<TextFilter>& asked) {
    const ReferenceDeviation want = referenceDeviation(asked, fit.bands);
    EXPECT_NEAR(fit.maxDeviationDb, want.db, 1e-6);
    EXPECT_EQ(fit.maxDeviationPoint, want.point);
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
