// Biquad design and grid evaluation of the EQ curves.
#include "eq/Biquad.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace zel {

namespace {

// cos and sin of w and 2w at every grid point; the 3w term of the response has coefficient 0.
struct GridTerms {
    std::array<double, kGridPoints> cos1;
    std::array<double, kGridPoints> sin1;
    std::array<double, kGridPoints> cos2;
    std::array<double, kGridPoints> sin2;

    GridTerms() {
        for (int i = 0; i < kGridPoints; ++i) {
            const double w = gridOmega(i);
            const auto k = static_cast<std::size_t>(i);
            cos1[k] = std::cos(w);
            sin1[k] = std::sin(w);
            cos2[k] = std::cos(2 * w);
            sin2[k] = std::sin(2 * w);
        }
    }
};

// 10 / ln 10: dB of a power ratio per natural-log unit.
constexpr double kDbPerNeper = 4.3429448190325182;
constexpr double kLn2 = 0.69314718055994531;

// Natural log of a positive normal double, free of branches and calls so that the grid loop
// vectorises: x = 2^e * m with m in [sqrt(1/2), sqrt(2)), ln m = 2 atanh((m-1)/(m+1)) by its
// series to s^17, whose remainder is below 2e-16. Within about 1e-15 of std::log over the
// clamped magnitude range, i.e. a few 1e-15 dB.
inline double lnPositive(double x) {
    const auto bits = std::bit_cast<std::uint64_t>(x);
    // Subtracting sqrt(2)'s mantissa borrows one from the exponent field exactly when x's
    // mantissa is below it. So x = 2^(k - 1022) * m, where m keeps x's mantissa with the
    // exponent of 1/2 (m in [sqrt(1/2), 1)) or, after a borrow, of 1 (m in [1, sqrt(2))).
    constexpr std::uint64_t kSqrt2Mantissa = 0x0006a09e667f3bcdull;
    constexpr std::uint64_t kExponentOfHalf = 1022;
    const std::uint64_t k = (bits - kSqrt2Mantissa) >> 52;
    const double m = std::bit_cast<double>(bits - (k << 52) + (kExponentOfHalf << 52));
    // k as a double without an integer conversion: plant it in the mantissa of 2^52.
    const double e =
        std::bit_cast<double>(k | 0x4330000000000000ull) - (4503599627370496.0 + 1022.0);
    const double s = (m - 1.0) / (m + 1.0);
    const double s2 = s * s;
    // Horner over 1/17, 1/15, ..., 1/3, 1, spelt out so that nothing loops inside the loop.
    double series = 1.0 / 17;
    series = series * s2 + 1.0 / 15;
    series = series * s2 + 1.0 / 13;
    series = series * s2 + 1.0 / 11;
    series = series * s2 + 1.0 / 9;
    series = series * s2 + 1.0 / 7;
    series = series * s2 + 1.0 / 5;
    series = series * s2 + 1.0 / 3;
    series = series * s2 + 1.0;
    return e * kLn2 + 2.0 * s * series;
}

const GridTerms& gridTerms() {
    static const GridTerms terms;
    return terms;
}

// Keeps NaN and infinities of a degenerate design away from the log; written as two selects
// so that the grid loop stays free of branches.
inline double clampMagnitude(double m, double lo, double hi) {
    m = m > lo ? m : lo; // also replaces NaN
    return m < hi ? m : hi;
}

} // namespace

BiquadCoeffs designBiquad(BiquadKind kind, double f0, double q, double a) {
    const double w0 = kTwoPi * f0 / kSampleRate;
    const double alpha = std::sin(w0) / (2 * q);
    const double c = std::cos(w0);
    double b0 = 1, b1 = 0, b2 = 0, a0 = 1, a1 = 0, a2 = 0;
    switch (kind) {
    case BiquadKind::AllPass:
        b0 = 1 - alpha, b1 = -2 * c, b2 = 1 + alpha;
        a0 = 1 + alpha, a1 = -2 * c, a2 = 1 - alpha;
        break;
    case BiquadKind::HighPass:
        b0 = (1 + c) / 2, b1 = -(1 + c), b2 = (1 + c) / 2;
        a0 = 1 + alpha, a1 = -2 * c, a2 = 1 - alpha;
        break;
    case BiquadKind::LowPass:
        b0 = (1 - c) / 2, b1 = 1 - c, b2 = (1 - c) / 2;
        a0 = 1 + alpha, a1 = -2 * c, a2 = 1 - alpha;
        break;
    case BiquadKind::Peaking:
        b0 = 1 + alpha * a, b1 = -2 * c, b2 = 1 - alpha * a;
        a0 = 1 + alpha / a, a1 = -2 * c, a2 = 1 - alpha / a;
        break;
    case BiquadKind::LowShelf: {
        const double s = 2 * std::sqrt(a) * alpha;
        b0 = a * ((a + 1) - (a - 1) * c + s);
        b1 = 2 * a * ((a - 1) - (a + 1) * c);
        b2 = a * ((a + 1) - (a - 1) * c - s);
        a0 = (a + 1) + (a - 1) * c + s;
        a1 = -2 * ((a - 1) + (a + 1) * c);
        a2 = (a + 1) + (a - 1) * c - s;
        break;
    }
    case BiquadKind::HighShelf: {
        const double s = 2 * std::sqrt(a) * alpha;
        b0 = a * ((a + 1) + (a - 1) * c + s);
        b1 = -2 * a * ((a - 1) + (a + 1) * c);
        b2 = a * ((a + 1) + (a - 1) * c - s);
        a0 = (a + 1) - (a - 1) * c + s;
        a1 = 2 * ((a - 1) - (a + 1) * c);
        a2 = (a + 1) - (a - 1) * c - s;
        break;
    }
    }
    return {b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0};
}

double gridOmega(int i) {
    const double tenths = std::floor(10.0 * CurveGrid[static_cast<std::size_t>(i)]);
    return tenths * kOmegaPerTenthHz;
}

void evaluateLevels(const BiquadCoeffs& c, int sections, LevelArray& levelDb) {
    const GridTerms& t = gridTerms();
    constexpr double lo = kMinMagnitude * kMinMagnitude;
    constexpr double hi = kMaxMagnitude * kMaxMagnitude;
    // Doubling the scale doubles every level exactly, as adding it a second time does.
    const double scale = sections == 2 ? 2 * kDbPerNeper : kDbPerNeper;
    const double b0 = c.b0, b1 = c.b1, b2 = c.b2, a1 = c.a1, a2 = c.a2;
    for (std::size_t i = 0; i < levelDb.size(); ++i) {
        // Same sums, in the same order, as the per-point procedure: the cancellation near
        // w = 0 (a high-pass far below its corner) then rounds the same way.
        const double nr = b0 + b1 * t.cos1[i] + b2 * t.cos2[i];
        const double ni = -(b1 * t.sin1[i]) - b2 * t.sin2[i];
        const double dr = 1.0 + a1 * t.cos1[i] + a2 * t.cos2[i];
        const double di = -(a1 * t.sin1[i]) - a2 * t.sin2[i];
        // |N/D|^2 without forming the quotient and without the square root.
        levelDb[i] = clampMagnitude((nr * nr + ni * ni) / (dr * dr + di * di), lo, hi);
    }
    // A pass of its own, so that the compiler cannot split the loop on the clamp's outcome.
    for (double& level : levelDb)
        level = scale * lnPositive(level);
}

void evaluateLevelsDirect(const BiquadCoeffs& c, int sections, LevelArray& levelDb) {
    const double num[4] = {c.b0, c.b1, c.b2, 0.0};
    const double den[4] = {1.0, c.a1, c.a2, 0.0};
    for (std::size_t i = 0; i < levelDb.size(); ++i) {
        const double w = gridOmega(static_cast<int>(i));
        double nr = num[0], ni = 0.0, dr = den[0], di = 0.0;
        for (int k = 1; k <= 3; ++k) {
            nr += num[k] * std::cos(k * w);
            ni += num[k] * -std::sin(k * w);
        }
        for (int k = 1; k <= 3; ++k) {
            dr += den[k] * std::cos(k * w);
            di += den[k] * -std::sin(k * w);
        }
        const double d = dr * dr + di * di;
        const double re = (nr * dr + ni * di) / d;
        const double im = (ni * dr - nr * di) / d;
        const double mag =
            clampMagnitude(std::sqrt(re * re + im * im), kMinMagnitude, kMaxMagnitude);
        double db = 20.0 * std::log10(mag);
        if (sections == 2)
            db += 20.0 * std::log10(mag);
        levelDb[i] = db;
    }
}

} // namespace zel
