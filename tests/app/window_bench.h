// A main window on an in-memory simulated bench, driven by the scripted face.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "bench_adapters.h"
#include "fake_user_interface.h"
#include "sim/bench_config.h"
#include "sim/simulated_bench.h"
#include "temp_dir.h"

namespace quillon::testing {

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
        : bench(std::move(config)), window(bench.library(), bench.registry(), ui) {
        window.setPdaBackupFolder(backups.file("pda-backups"));
    }

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

    TempDir backups;
    sim::SimulatedBench bench;
    FakeUserInterface ui;
    app::MainWindow window;
};

}  // namespace quillon::testing
