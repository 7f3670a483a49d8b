#include "sim/simulated_bench.h"

namespace quillon::sim {

// Saving card state comes with bench folders.
class CardStateFile {};

namespace {

std::vector<std::unique_ptr<SimulatedCard>> makeCards(const BenchConfig& config) {
    std::vector<std::unique_ptr<SimulatedCard>> cards;
    cards.reserve(config.adapters.size());
    for (const AdapterConfig& adapter : config.adapters) {
        cards.push_back(std::make_unique<SimulatedCard>(adapter.card));
    }
    return cards;
}

}  // namespace

SimulatedBench::SimulatedBench(BenchConfig config)
    : config_(std::move(config)),
      cards_(makeCards(config_)),
      library_(config_, cards_),
      registry_(config_) {}

SimulatedBench::~SimulatedBench() = default;

std::unique_ptr<SimulatedBench> SimulatedBench::open(const std::string& dir, std::string& error) {
    return open(dir, BenchOpenOptions{}, error);
}

std::unique_ptr<SimulatedBench> SimulatedBench::open(const std::string& dir,
                                                     const BenchOpenOptions& /*options*/,
                                                     std::string& error) {
    error = dir + ": bench folders are not supported yet";
    return nullptr;
}

}  // namespace quillon::sim
