// bench.json is a file a person edits: whatever it holds, the loader must answer with a bench
// or an error, and a bench it accepts must survive being written and read again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sim/bench_json.h"
#include "sim/bench_tools.h"
#include "sim/simulated_bench.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillon::sim;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    BenchConfig config;
    std::string error;
    if (!parseBenchJson(text, config, error)) {
        if (error.rfind("bench.json: ", 0) != 0) {
            std::abort();
        }
        return 0;
    }
    BenchConfig again;
    if (!parseBenchJson(benchToJson(config), again, error) || !(again == config)) {
        std::abort();
    }
    SimulatedBench bench(config);
    (void)describeBench(bench);
    return 0;
}
