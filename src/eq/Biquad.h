// Second-order filter design at the device's 192 kHz rate and its magnitude response in dB on
// the fixed 420-point curve grid: a fast evaluation over precomputed grid terms and the plain
// per-point reference it must agree with.
#pragma once

#include "model/EqTables.h"

#include <array>

namespace zel {

inline constexpr int kGridPoints = static_cast<int>(CurveGrid.size());
inline constexpr double kSampleRate = 192000.0;
inline constexpr double kTwoPi = 6.283185307179586;
// Radians per 0.1 Hz at the sample rate: the grid is evaluated on a truncated 0.1 Hz raster.
inline constexpr double kOmegaPerTenthHz = kTwoPi / (10.0 * kSampleRate);

// Magnitudes are kept inside +-300 dB per section, so a level is always finite.
inline constexpr double kMinMagnitude = 1e-15;
inline constexpr double kMaxMagnitude = 1e15;

enum class BiquadKind {
    AllPass = 0,
    HighPass = 1,
    LowPass = 2,
    Peaking = 3,
    LowShelf = 4,
    HighShelf = 5
};

// Coefficients normalised by a0, so a0 = 1.
struct BiquadCoeffs {
    double b0 = 1.0;
    double b1 = 0.0;
    double b2 = 0.0;
    double a1 = 0.0;
    double a2 = 0.0;
};

// The design of kind at corner or centre f0 (Hz) with quality q and amplitude a = 10^(G/40)
// (1 for the pass filters). The shelves take q as a Q, not as a shelf slope.
BiquadCoeffs designBiquad(BiquadKind kind, double f0, double q, double a);

// Angular frequency of grid point i: its frequency truncated to 0.1 Hz.
double gridOmega(int i);

using LevelArray = std::array<double, kGridPoints>;

// levelDb[i] = sections * 20 log10 |H(e^jw_i)|. Uses per-point cosines and sines computed once
// for the whole run; allocates nothing and calls no trigonometric function.
void evaluateLevels(const BiquadCoeffs& c, int sections, LevelArray& levelDb);

// The same response by the per-point procedure: cosine and sine of w, 2w and 3w for the
// numerator and for the denominator at every point, then the complex quotient. The yardstick
// for evaluateLevels; too slow for mouse moves.
void evaluateLevelsDirect(const BiquadCoeffs& c, int sections, LevelArray& levelDb);

} // namespace zel
