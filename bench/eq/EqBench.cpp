// EQ curve costs on the mouse-move path: one filter's 420-point response by the grid
// evaluation and by the per-point procedure, a whole filter recompute, and a summed curve.
#include "eq/CurveModels.h"
#include "model/Defaults.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace zel {
namespace {

constexpr int kW = 1270;
constexpr int kH = 300;

// A boost and a steep high-pass: the two shapes a drag recomputes most.
const BiquadCoeffs kPeak = designBiquad(BiquadKind::Peaking, 1000, 2.0, std::pow(10.0, 6.0 / 40));
const BiquadCoeffs kHighPass = designBiquad(BiquadKind::HighPass, 303, 0.7212, 1.0);

void EvaluateGrid(benchmark::State& state) {
    LevelArray level{};
    int n = 0;
    for (auto _ : state) {
        const bool peak = (++n & 1) != 0;
        evaluateLevels(peak ? kPeak : kHighPass, peak ? 1 : 2, level);
        benchmark::DoNotOptimize(level.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(EvaluateGrid);

void EvaluateGridDirect(benchmark::State& state) {
    LevelArray level{};
    int n = 0;
    for (auto _ : state) {
        const bool peak = (++n & 1) != 0;
        evaluateLevelsDirect(peak ? kPeak : kHighPass, peak ? 1 : 2, level);
        benchmark::DoNotOptimize(level.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(EvaluateGridDirect);

// What a band drag pays per mouse move: design, evaluation, marker, info box and outline.
void FilterRecompute(benchmark::State& state) {
    EqBand band{};
    band.freq = 204;
    band.gain = 300;
    band.q = 20;
    CFilter f;
    f.setCode(1);
    f.bindBand(&band);
    f.resize(kW, kH);
    int n = 0;
    for (auto _ : state) {
        f.setGainIndex(200 + (n++ & 63));
        benchmark::DoNotOptimize(f.levelDb().data());
    }
}
BENCHMARK(FilterRecompute);

// The microphone block at paint time: twenty bands and the high-pass filter.
void SumCurveMicrophone(benchmark::State& state) {
    installCurveModels();
    initDefaults();
    CKTVEQ& m = curveModel(1);
    m.resize(kW, kH);
    for (int i = 0; i < m.bandCount(); ++i)
        m.filterAt(i)->setGainIndex(200 + 7 * i);
    m.highPass()->setXoverFreqIndex(100);
    state.counters["filters"] = m.size();
    for (auto _ : state) {
        m.buildSumCurve();
        benchmark::DoNotOptimize(m.sumCurve().data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(SumCurveMicrophone);

} // namespace
} // namespace zel
