// A main window on an in-memory simulated bench, driven by the scripted face.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fake_user_interface.h"
#include "sim/bench_config.h"
#include "sim/simulated_bench.h"
#include "ui/main_window.h"

namespace quillon::testing {

// The default bench's PRISM adapter as a device of its own, named after its subkey.
inline sim::AdapterConfig windowAdapter(const std::string& subkey) {
    sim::AdapterConfig adapter = sim::defaultBenchConfig().adapters.at(0);
    adapter.subkey = subkey;
    adapter.displayName = "Adapter " + subkey;
    adapter.deviceName = "{device-" + subkey + "}";
    adapter.matchingDeviceId = "pci\\VEN_1260&DEV_" + subkey;
    adapter.deviceKeys = {{"VEN_1260&DEV_" + subkey + "&SUBSYS_00000000", {{"inst", 0u}}}};
    return adapter;
}

inline sim::BenchConfig benchOf(std::vector<sim::AdapterConfig> adapters) {
    sim::BenchConfig config = sim::defaultBenchConfig();
    config.adapters = std::move(adapters);
    return config;
}

// The default bench with its one card changed by edit.
template <typename Edit>
sim::BenchConfig benchWithCard(Edit edit) {
    sim::BenchConfig config = sim::defaultBenchConfig();
    edit(*config.adapters.at(0).card);
    return config;
}

inline constexpr const char* kDefaultAdapterName =
    "PRISM 802.11b Wireless LAN PCI Adapter (simulated)";

struct WindowBench {
    explicit WindowBench(sim::BenchConfig config = sim::defaultBenchConfig())
        : bench(std::move(config)), window(bench.library(), bench.registry(), ui) {}

    // Initialises the window and forgets what start-up showed and sent.
    void start(const std::vector<std::string>& files = {}) {
        window.initialise(files);
        forget();
    }
    void forget() {
        ui.boxes.clear();
        ui.calls.clear();
        ui.pushes.clear();
        ui.cursors.clear();
        bench.clearRequests();
    }

    // No adapter handle is open, neither in the window's session nor in the library.
    bool nothingOpen() const {
        return !window.session().isOpen() && bench.simulatedLibrary().openAdapterCount() == 0;
    }

    std::size_t requestsOf(std::uint32_t oid) const {
        std::size_t n = 0;
        for (const auto& r : bench.requests()) {
            n += r.oid == oid ? 1 : 0;
        }
        return n;
    }

    sim::SimulatedBench bench;
    FakeUserInterface ui;
    ui::MainWindow window;
};

}  // namespace quillon::testing
