// The simulated card bench: a simulated adapter-access library, a virtual registry and the
// simulated PRISM cards behind the registry's adapters, all described by one BenchConfig.
// Quillon runs on it by default (a bench folder holding bench.json and the saved state of
// every card), and every test runs on it (in memory, with faults injected and every request
// logged).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "card/access_library.h"
#include "card/registry.h"
#include "sim/bench_config.h"
#include "sim/simulated_card.h"
#include "sim/simulated_library.h"
#include "sim/sleeper.h"
#include "sim/virtual_registry.h"

namespace quillon::sim {

class CardStateFile;

struct BenchOpenOptions {
    // Overrides bench.json's latency switch (off for a fast run, e.g. in scripts).
    std::optional<bool> latency;
    // Where latency is spent; the bench's own RealSleeper when null. Must outlive the bench.
    Sleeper* sleeper = nullptr;
    // A look that leaves the folder as it is (for shell completion): nothing is created,
    // repaired or saved, the cards' saved state is not loaded, and a folder without bench.json
    // is an error.
    bool lookOnly = false;
};

class SimulatedBench {
  public:
    // In memory: nothing is saved and latency is off whatever the config says.
    explicit SimulatedBench(BenchConfig config);
    ~SimulatedBench();
    SimulatedBench(const SimulatedBench&) = delete;
    SimulatedBench& operator=(const SimulatedBench&) = delete;

    // Opens the bench folder dir: creates it and its bench.json from the built-in default
    // when there is none, loads bench.json and the saved state of every card. Every change to
    // a card is then saved in the folder as it happens. Null, with error set, when the folder
    // or a file in it cannot be used.
    static std::unique_ptr<SimulatedBench> open(const std::string& dir, std::string& error);
    static std::unique_ptr<SimulatedBench> open(const std::string& dir,
                                                const BenchOpenOptions& options,
                                                std::string& error);

    card::AccessLibrary& library() { return library_; }
    card::Registry& registry() { return registry_; }
    SimulatedLibrary& simulatedLibrary() { return library_; }
    const SimulatedLibrary& simulatedLibrary() const { return library_; }
    VirtualRegistry& virtualRegistry() { return registry_; }
    const VirtualRegistry& virtualRegistry() const { return registry_; }

    const BenchConfig& config() const { return config_; }
    std::size_t adapterCount() const { return cards_.size(); }
    // The adapter's description. The library reads it at each call (describable, display
    // name, openError take effect at once); registry fields and the names the library finds
    // adapters by (subkey, device name) take effect at rebuildRegistry.
    AdapterConfig& adapter(std::size_t adapterPosition) {
        return config_.adapters.at(adapterPosition);
    }
    void rebuildRegistry() {
        registry_.rebuild(config_);
        library_.indexNames();
    }

    // The card behind the adapter at this position of the bench's adapter list.
    SimulatedCard& card(std::size_t adapterPosition) { return *cards_.at(adapterPosition); }
    const SimulatedCard& card(std::size_t adapterPosition) const {
        return *cards_.at(adapterPosition);
    }

    const std::vector<RequestRecord>& requests() const { return library_.requests(); }
    void clearRequests() { library_.clearRequests(); }
    // The milliseconds of every sleepMilliseconds call, in order.
    const std::vector<std::uint32_t>& pauses() const { return library_.pauses(); }

    // Switches the latency model; the sleeper must outlive the bench.
    void setLatency(const LatencyModel& model, Sleeper& sleeper) {
        library_.setLatency(model, &sleeper);
    }

    // The bench folder, empty for a bench in memory.
    const std::string& folder() const { return folder_; }

  private:
    BenchConfig config_;
    std::vector<std::unique_ptr<SimulatedCard>> cards_;
    SimulatedLibrary library_;
    VirtualRegistry registry_;
    std::string folder_;
    std::vector<std::unique_ptr<CardStateFile>> stateFiles_;
    RealSleeper realSleeper_;
};

// The paths of a bench folder's files.
std::string benchJsonPath(const std::string& dir);
std::string cardStateFileName(std::size_t adapterPosition);

}  // namespace quillon::sim
