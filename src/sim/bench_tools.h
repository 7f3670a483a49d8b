// What the terminal face offers around the bench: finding the bench folder, writing a fresh
// default bench and describing a bench.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/simulated_bench.h"

namespace quillon::sim {

// The environment variables the bench folder may come from; unset is none.
struct BenchEnvironment {
    std::optional<std::string> quillonBench;  // QUILLON_BENCH
    std::optional<std::string> xdgStateHome;  // XDG_STATE_HOME
    std::optional<std::string> home;          // HOME
};

// Reads the three variables of the running process.
BenchEnvironment benchEnvironmentFromProcess();

// The bench folder: the --bench option when given, else $QUILLON_BENCH, else
// $XDG_STATE_HOME/quillon/bench, else $HOME/.local/state/quillon/bench. Empty values count
// as unset, and so does an XDG_STATE_HOME that is not an absolute path. None when not even
// HOME is known.
std::optional<std::string> resolveBenchFolder(const std::optional<std::string>& benchOption,
                                              const BenchEnvironment& environment);

// Writes the built-in default bench into dir (creating it). An existing bench.json is
// replaced only when overwrite is set, and then the saved card states go too, so that the
// cards start afresh. False with error when refused or when the files cannot be written.
bool initBench(const std::string& dir, std::string& error, bool overwrite = false);

// Cuts every damaged card state of the bench folder dir at its first damaged record, after
// keeping a copy of the whole file beside it (see repairCardStateFile). One line for each
// file cut, saying where and where the copy went; none when every state is whole. False with
// error when a state cannot be read or written.
bool repairBench(const std::string& dir, std::vector<std::string>& repaired, std::string& error);

// A summary of the bench: the operating system, each adapter with its registry entry, the
// card behind it (MAC type, address, driver and firmware versions, PDA records with their
// lengths) and every fault it will show.
std::string describeBench(const SimulatedBench& bench);

}  // namespace quillon::sim
