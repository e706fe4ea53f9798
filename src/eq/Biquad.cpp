// Biquad design and grid evaluation of the EQ curves.
#include "eq/Biquad.h"

#include <cmath>

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

const GridTerms& gridTerms() {
    static const GridTerms terms;
    return terms;
}

// Keeps NaN and infinities of a degenerate design away from log10.
double clampMagnitude(double m, double lo, double hi) {
    if (!(m > lo)) // also catches NaN
        return lo;
    return m > hi ? hi : m;
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
    for (std::size_t i = 0; i < levelDb.size(); ++i) {
        // Same sums, in the same order, as the per-point procedure: the cancellation near
        // w = 0 (a high-pass far below its corner) then rounds the same way.
        const double nr = c.b0 + c.b1 * t.cos1[i] + c.b2 * t.cos2[i];
        const double ni = -(c.b1 * t.sin1[i]) - c.b2 * t.sin2[i];
        const double dr = 1.0 + c.a1 * t.cos1[i] + c.a2 * t.cos2[i];
        const double di = -(c.a1 * t.sin1[i]) - c.a2 * t.sin2[i];
        // |N/D|^2 without forming the quotient and without the square root.
        const double m2 = clampMagnitude((nr * nr + ni * ni) / (dr * dr + di * di), lo, hi);
        const double db = 10.0 * std::log10(m2);
        levelDb[i] = sections == 2 ? db + db : db;
    }
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
