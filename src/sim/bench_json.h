// bench.json, the description of a bench folder: the operating system, the adapters of the
// registry and the card behind each adapter. The format is documented in src/sim/README.md.
#pragma once

#include <string>
#include <string_view>

#include "sim/bench_config.h"

namespace quillon::sim {

// Reads the text of a bench.json. On failure config is left as it was and error names the key
// and the problem, as in "bench.json: adapters[1].card.macType: expected a number".
bool parseBenchJson(std::string_view text, BenchConfig& config, std::string& error);

// The text of a bench.json that parseBenchJson reads back into an equal config; lines end
// with CR LF.
std::string benchToJson(const BenchConfig& config);

}  // namespace quillon::sim
