// quillon-cli bench init|repair|show: the simulated card bench the other commands run on.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>

#include "base/atomic_file.h"
#include "base/file_path.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/json_output.h"
#include "cli/window_session.h"
#include "sim/bench_json.h"
#include "sim/bench_tools.h"

namespace quillon::cli {

namespace {

struct InitOptions {
    std::string dir;
    bool force = false;
    bool noLatency = false;
};

// Turns the latency model of the bench folder's bench.json off, so that scripts and
// measurements run at full speed.
bool switchLatencyOff(const std::string& dir, std::string& error) {
    const std::string path = sim::benchJsonPath(dir);
    std::string text;
    {
        // Closed before the new file takes its name: Windows replaces no file that is open.
        std::ifstream in(filePath(path), std::ios::binary);
        if (!in) {
            error = path + ": cannot be read";
            return false;
        }
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    sim::BenchConfig config;
    if (!sim::parseBenchJson(text, config, error)) {
        return false;
    }
    config.latency.enabled = false;
    if (!writeFileAtomically(path, sim::benchToJson(config))) {
        error = path + ": cannot be written";
        return false;
    }
    return true;
}

// Writes the bench; false after telling the person why on standard error. dir becomes the
// folder written.
bool initBench(CliIo& io, GlobalOptions& global, const InitOptions& options, std::string& dir) {
    dir = options.dir;
    if (dir.empty()) {
        dir = benchFolder(io, global);
        if (dir.empty()) {
            return false;
        }
    }
    // Replacing a bench removes its cards' state: never under a process that uses them.
    sim::BenchLock lock;
    if (!lock.acquire(dir, io.lockWait, io.err, "quillon-cli")) {
        return false;
    }
    std::string error;
    if (!sim::initBench(dir, error, options.force)) {
        io.err << "quillon-cli: " << error
               << (options.force ? "" : " (--force replaces it and starts its cards afresh)")
               << '\n';
        return false;
    }
    if (options.noLatency && !switchLatencyOff(dir, error)) {
        io.err << "quillon-cli: " << error << '\n';
        return false;
    }
    return true;
}

// Cuts the damaged card states of the bench at their damage: the person's choice, after a
// command refused the bench and named the damaged byte.
int repairBench(CliIo& io, GlobalOptions& global) {
    const std::string dir = benchFolder(io, global);
    if (dir.empty()) {
        return kExitFailure;
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) {
        io.err << "quillon-cli: " << dir << ": no such bench folder\n";
        return kExitFailure;
    }
    sim::BenchLock lock;
    if (!lock.acquire(dir, io.lockWait, io.err, "quillon-cli")) {
        return kExitFailure;
    }
    std::vector<std::string> repaired;
    std::string error;
    const bool ok = sim::repairBench(dir, repaired, error);
    for (const std::string& line : repaired) {
        io.out << line << '\n';
    }
    if (!ok) {
        io.err << "quillon-cli: " << error << '\n';
        return kExitFailure;
    }
    if (repaired.empty() && !global.quiet) {
        io.out << "Nothing to repair: the saved state of every card is whole.\n";
    }
    return kExitSuccess;
}

}  // namespace

void addBenchCommands(CLI::App& app, CliIo& io, GlobalOptions& global, CommandResult& result) {
    auto* bench = app.add_subcommand("bench", "Set up or describe the simulated card bench");
    bench->require_subcommand(1);
    bench->fallthrough();

    auto* init = bench->add_subcommand(
        "init", "Write the built-in default bench (one adapter with a 3842-based card)");
    auto options = std::make_shared<InitOptions>();
    init->add_option("DIR", options->dir, "Bench folder (default: the one --bench names)");
    init->add_flag("--force", options->force, "Replace an existing bench; its cards start afresh");
    init->add_flag("--no-latency", options->noLatency,
                   "Let the simulated card answer at once instead of at a card's pace");
    init->callback([&io, &global, &result, options]() {
        std::string dir;
        const bool written = initBench(io, global, *options, dir);
        if (global.json) {
            io.out << benchInitJson(dir, written);
        } else if (written && !global.quiet) {
            io.out << "Wrote the default bench to " << dir << '\n';
        }
        result.exitCode = written ? kExitSuccess : kExitFailure;
    });

    auto* repair = bench->add_subcommand(
        "repair",
        "Cut each damaged card state at its damage, keeping a copy of the whole file beside it");
    repair->callback([&io, &global, &result]() { result.exitCode = repairBench(io, global); });

    auto* show = bench->add_subcommand("show", "Describe the bench: adapters, cards and faults");
    show->callback([&io, &global, &result]() {
        sim::BenchLock lock;
        std::unique_ptr<sim::SimulatedBench> opened = openBench(io, global, lock);
        if (!opened) {
            result.exitCode = kExitFailure;
            return;
        }
        io.out << (global.json ? benchJson(*opened) : sim::describeBench(*opened));
        result.exitCode = kExitSuccess;
    });
}

}  // namespace quillon::cli
