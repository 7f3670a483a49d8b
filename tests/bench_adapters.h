// Benches with several adapters, made from the default bench's PRISM adapter.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "sim/bench_config.h"

namespace quillon::testing {

// The default bench's adapter as a device of its own: named after its subkey, with one enabled
// instance.
inline sim::AdapterConfig prismAdapter(const std::string& subkey) {
    sim::AdapterConfig adapter = sim::defaultBenchConfig().adapters.at(0);
    adapter.subkey = subkey;
    adapter.displayName = "Adapter " + subkey;
    adapter.deviceName = "{device-" + subkey + "}";
    adapter.matchingDeviceId = "pci\\VEN_1260&DEV_" + subkey;
    adapter.deviceKeys = {{"VEN_1260&DEV_" + subkey + "&SUBSYS_00000000", {{"inst", 0u}}}};
    return adapter;
}

// The default bench with these adapters in its registry.
inline sim::BenchConfig benchWith(std::vector<sim::AdapterConfig> adapters) {
    sim::BenchConfig config = sim::defaultBenchConfig();
    config.adapters = std::move(adapters);
    return config;
}

}  // namespace quillon::testing
