// The change detector's walk: a store in step with the device (the full comparison of
// every idle turn) and one difference near the end of the walk.
#include "link/Command.h"
#include "model/Defaults.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

void noPause(std::chrono::milliseconds) {}

void BM_NextChangeInStep(benchmark::State& state) {
    zel::CCommand command;
    command.setKeepAliveSleeper(&noPause);
    zel::fillDefaults(zel::liveParams);
    zel::sentParams = zel::liveParams;
    for (auto _ : state) {
        benchmark::DoNotOptimize(command.nextChange());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_NextChangeInStep);

void BM_NextChangeLateDifference(benchmark::State& state) {
    zel::CCommand command;
    command.setKeepAliveSleeper(&noPause);
    zel::fillDefaults(zel::liveParams);
    zel::sentParams = zel::liveParams;
    std::uint8_t limit = 70;
    for (auto _ : state) {
        // Each turn changes the effect limit again, so every walk finds volumeLimit[5],
        // the last field before the scene.
        limit = limit == 70 ? 69 : 70;
        zel::liveParams.volumeLimit[5] = limit;
        benchmark::DoNotOptimize(command.nextChange());
        benchmark::ClobberMemory();
    }
    if (zel::TxRecord[3] != 0x36)
        state.SkipWithError("the walk did not find the volume limit");
}
BENCHMARK(BM_NextChangeLateDifference);

} // namespace
