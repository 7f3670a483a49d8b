// Loading a bench grows linearly with its adapters: a bench of 100,000 adapters opens in well
// under a second.
#include <benchmark/benchmark.h>

#include <string>

#include "sim/bench_json.h"
#include "sim/simulated_bench.h"

namespace {

std::string benchOf(std::int64_t adapters) {
    std::string text = "{\"adapters\": [";
    for (std::int64_t i = 0; i < adapters; ++i) {
        text += (i == 0 ? "" : ", ");
        text += "{\"subkey\": \"" + std::to_string(i) + "\", \"card\": \"none\"}";
    }
    return text + "]}";
}

void BM_LoadBench(benchmark::State& state) {
    const std::string text = benchOf(state.range(0));
    for (auto _ : state) {
        quillon::sim::BenchConfig config;
        std::string error;
        if (!quillon::sim::parseBenchJson(text, config, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        quillon::sim::SimulatedBench bench(std::move(config));
        benchmark::DoNotOptimize(&bench);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LoadBench)->RangeMultiplier(4)->Range(1 << 10, 1 << 17)->Complexity();

}  // namespace

BENCHMARK_MAIN();
