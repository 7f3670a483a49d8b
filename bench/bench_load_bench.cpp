// Loading a bench grows linearly with its adapters: a bench of 100,000 adapters opens in well
// under a second. So does detecting its adapters, as `quillon-cli adapters` and every card
// command do: the library finds each adapter by name without walking the others.
#include <benchmark/benchmark.h>

#include <string>

#include "card/adapter_detection.h"
#include "sim/bench_json.h"
#include "sim/simulated_bench.h"

namespace {

using namespace quillon;

std::string benchOf(std::int64_t adapters) {
    std::string text = "{\"adapters\": [";
    for (std::int64_t i = 0; i < adapters; ++i) {
        const std::string n = std::to_string(i);
        text += (i == 0 ? "" : ", ");
        text += "{\"subkey\": \"" + n + "\", \"deviceName\": \"{ADAPTER-" + n +
                "}\", \"card\": \"none\"}";
    }
    return text + "]}";
}

void BM_LoadBench(benchmark::State& state) {
    const std::string text = benchOf(state.range(0));
    for (auto _ : state) {
        sim::BenchConfig config;
        std::string error;
        if (!sim::parseBenchJson(text, config, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        sim::SimulatedBench bench(std::move(config));
        benchmark::DoNotOptimize(&bench);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LoadBench)->RangeMultiplier(4)->Range(1 << 10, 1 << 17)->Complexity();

class SilentFace : public ui::UserInterface {
  public:
    ui::Answer messageBox(const ui::MessageBox&) override { return ui::Answer::Ok; }
};

// Every adapter is listed and opened once; none is usable (cards of another chipset), so the
// walk goes through all of them.
void BM_DetectAdapters(benchmark::State& state) {
    sim::BenchConfig config;
    std::string error;
    if (!sim::parseBenchJson(benchOf(state.range(0)), config, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    sim::SimulatedBench bench(std::move(config));
    SilentFace face;
    for (auto _ : state) {
        const auto usable = card::detectUsableAdapters(bench.library(), bench.registry(), face);
        if (!usable.empty() || bench.simulatedLibrary().openAdapterCount() != 0) {
            state.SkipWithError("a card of another chipset was taken for a usable one");
            break;
        }
        bench.clearRequests();
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_DetectAdapters)
    ->RangeMultiplier(4)
    ->Range(1 << 10, 1 << 17)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
