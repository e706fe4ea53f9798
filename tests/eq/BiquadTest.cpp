#include "eq/Biquad.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdio>

namespace zel {
namespace {

struct Design {
    BiquadKind kind;
    double f0;
    double q;
    double gainDb;
};

// Every design kind across the band: corners at the ends of the tables, Q from the narrowest
// to the widest, cuts and boosts (the pass kinds ignore the gain).
std::vector<Design> designSpread() {
    std::vector<Design> out;
    const double freqs[] = {19.3, 19.7, 47.7, 303, 1000, 5990, 12500, 20600};
    const double qs[] = {0.4, 0.5219, 0.7071, 0.7212, 2.0, 12.0, 128.0};
    const double gains[] = {-24.0, -2.5, 0.0, 3.0, 12.0};
    for (int k = 0; k <= 5; ++k)
        for (double f : freqs)
            for (double q : qs)
                for (double g : gains)
                    out.push_back({static_cast<BiquadKind>(k), f, q, g});
    return out;
}

BiquadCoeffs coeffsOf(const Design& d) {
    return designBiquad(d.kind, d.f0, d.q, std::pow(10.0, d.gainDb / 40));
}

TEST(Biquad, GridEvaluationMatchesThePerPointProcedure) {
    double worst = 0.0;
    for (const Design& d : designSpread()) {
        for (int sections : {1, 2}) {
            LevelArray fast{}, direct{};
            evaluateLevels(coeffsOf(d), sections, fast);
            evaluateLevelsDirect(coeffsOf(d), sections, direct);
            for (int i = 0; i < kGridPoints; ++i) {
                const double diff = std::abs(fast[i] - direct[i]);
                worst = std::max(worst, diff);
                ASSERT_LE(diff, 1e-9) << "kind " << static_cast<int>(d.kind) << " f0 " << d.f0
                                      << " q " << d.q << " gain " << d.gainDb << " point " << i;
            }
        }
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", worst);
    RecordProperty("worst_difference_db", text);
}

// H(z) = N(z) / D(z) at z = e^jw straight from the coefficients, in complex arithmetic.
double complexLevelDb(const BiquadCoeffs& c, double w) {
    const std::complex<double> z1 = std::polar(1.0, -w);
    const std::complex<double> z2 = z1 * z1;
    const std::complex<double> h = (c.b0 + c.b1 * z1 + c.b2 * z2) / (1.0 + c.a1 * z1 + c.a2 * z2);
    return 20.0 * std::log10(std::abs(h));
}

TEST(Biquad, AgreesWithComplexEvaluation) {
    for (const Design& d : designSpread()) {
        const BiquadCoeffs c = coeffsOf(d);
        LevelArray level{};
        evaluateLevels(c, 1, level);
        for (int i = 0; i < kGridPoints; i += 7) {
            const double w = std::floor(10.0 * CurveGrid[static_cast<std::size_t>(i)]) * kTwoPi /
                             (10.0 * kSampleRate);
            // The two round differently where a steep high-pass cancels far below its corner.
            EXPECT_NEAR(level[i], complexLevelDb(c, w), 1e-6)
                << "kind " << static_cast<int>(d.kind) << " f0 " << d.f0 << " point " << i;
        }
    }
}

TEST(Biquad, GridRasterIsATenthOfAHertzAt192kHz) {
    EXPECT_DOUBLE_EQ(kOmegaPerTenthHz, 3.2724923474893677e-06);
    EXPECT_EQ(gridOmega(239), 10000 * kOmegaPerTenthHz); // 1000 Hz
    EXPECT_EQ(gridOmega(0), 100 * kOmegaPerTenthHz);     // 10 Hz
}

TEST(Biquad, DegenerateDesignStaysFinite) {
    // Q = 0 makes alpha infinite and the coefficients NaN; the painter must still get numbers,
    // and both evaluations land on the same floor.
    for (int k = 0; k <= 5; ++k) {
        const BiquadCoeffs c = designBiquad(static_cast<BiquadKind>(k), 1000, 0.0, 2.0);
        LevelArray fast{}, direct{};
        evaluateLevels(c, 2, fast);
        evaluateLevelsDirect(c, 2, direct);
        for (int i = 0; i < kGridPoints; ++i) {
            ASSERT_TRUE(std::isfinite(fast[i])) << "kind " << k;
            ASSERT_NEAR(fast[i], direct[i], 1e-9) << "kind " << k;
        }
    }
}

} // namespace
} // namespace zel
