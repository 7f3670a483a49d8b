// A bench folder in a temporary directory for whole quillon-cli runs, and a way to look at its
// cards afterwards the way the next run will find them.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/atomic_file.h"
#include "bench_adapters.h"
#include "cli_test_support.h"
#include "sim/bench_config.h"
#include "sim/bench_json.h"
#include "sim/simulated_bench.h"
#include "temp_dir.h"

namespace quillon::testing {

// The default bench without latency, so that an update takes milliseconds.
inline sim::BenchConfig fastDefaultBench() {
    sim::BenchConfig config = sim::defaultBenchConfig();
    config.latency.enabled = false;
    return config;
}

class CliBench {
  public:
    explicit CliBench(const sim::BenchConfig& config = fastDefaultBench())
        : folder_(dir_.file("bench")) {
        std::filesystem::create_directories(folder_);
        EXPECT_TRUE(writeFileAtomically(sim::benchJsonPath(folder_), sim::benchToJson(config)));
    }

    const std::string& folder() const { return folder_; }
    const TempDir& dir() const { return dir_; }
    std::string file(const std::string& name) const { return dir_.file(name); }

    // quillon-cli --bench FOLDER args...
    CliRun run(std::vector<std::string> args, const std::string& input = {},
               std::map<std::string, std::string> environment = {}, Terminals terminals = {},
               std::chrono::milliseconds lockWait = std::chrono::seconds(3)) const {
        args.insert(args.begin(), {"--bench", folder_});
        // Copies of the PDA go to the test's own folder, never to the person's.
        environment.emplace("XDG_STATE_HOME", dir_.file("state"));
        return runQuillonCli(std::move(args), input, std::move(environment), terminals, lockWait);
    }

    // The bench as the next run opens it: the saved state of every card included.
    std::unique_ptr<sim::SimulatedBench> open() const {
        std::string error;
        auto bench = sim::SimulatedBench::open(folder_, error);
        EXPECT_TRUE(bench) << error;
        return bench;
    }

  private:
    TempDir dir_;
    std::string folder_;
};

}  // namespace quillon::testing
