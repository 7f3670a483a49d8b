#include "sim/simulated_bench.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/atomic_file.h"
#include "base/file_path.h"
#include "sim/bench_json.h"
#include "sim/card_state_file.h"

namespace quillon::sim {

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

namespace {

// A run killed while it replaced bench.json, compacted a card's state or repaired it leaves its
// temporary file ("bench.json.tmp-XXXXXX", "card-0.state.tmp-XXXXXX",
// "card-0.state.damaged.tmp-XXXXXX"); the complete file it was meant
// for is still there, so the leftover is only clutter. The caller holds the bench's lock, so
// no other process is writing one at this moment.
void removeLeftoverTemporaryFiles(const std::string& dir) {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (fs::directory_iterator it(filePath(dir), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = pathText(it->path().filename());
        const bool ours =
            name.rfind("bench.json.tmp-", 0) == 0 ||
            (name.rfind("card-", 0) == 0 && name.find(".state") != std::string::npos &&
             name.find(".tmp-") != std::string::npos);
        std::error_code ignored;
        if (ours && it->is_regular_file(ignored)) {
            fs::remove(it->path(), ignored);
        }
    }
}

}  // namespace

std::unique_ptr<SimulatedBench> SimulatedBench::open(const std::string& dir, std::string& error) {
    return open(dir, BenchOpenOptions{}, error);
}

std::unique_ptr<SimulatedBench> SimulatedBench::open(const std::string& dir,
                                                     const BenchOpenOptions& options,
                                                     std::string& error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const std::string benchPath = benchJsonPath(dir);
    const fs::path benchFile = filePath(benchPath);
    const fs::path folder = filePath(dir);
    if (options.lookOnly && !fs::is_regular_file(benchFile, ec)) {
        error = benchPath + ": no such bench";
        return nullptr;
    }
    if (!options.lookOnly) {
        fs::create_directories(folder, ec);
        if (ec || !fs::is_directory(folder, ec)) {
            error = dir + ": cannot create the bench folder";
            return nullptr;
        }
        removeLeftoverTemporaryFiles(dir);
    }
    // Only a bench.json that is not there at all is made afresh: a symbolic link that leads
    // nowhere (or round in a loop) is the person's, and the bench it was meant to show is not
    // the default one.
    const fs::file_status entry = fs::symlink_status(benchFile, ec);
    const bool missing = entry.type() == fs::file_type::not_found;
    if (!missing && fs::is_symlink(entry)) {
        const fs::file_status target = fs::status(benchFile, ec);
        if (ec || !fs::exists(target)) {
            error = benchPath + ": cannot be read (a symbolic link to " +
                    (ec.value() == ELOOP ? std::string("a link in a loop") : "nothing") + ")";
            return nullptr;
        }
    }
    if (!missing && !fs::is_regular_file(benchFile, ec)) {
        error = benchPath + ": cannot be read (not a file)";
        return nullptr;
    }
    if (missing) {
        if (!writeFileAtomically(benchPath, benchToJson(defaultBenchConfig()))) {
            error = benchPath + ": cannot be written";
            return nullptr;
        }
    }
    std::ifstream in(filePath(benchPath), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) {
        error = benchPath + ": cannot be read";
        return nullptr;
    }
    BenchConfig config;
    if (!parseBenchJson(text, config, error)) {
        return nullptr;
    }

    auto bench = std::make_unique<SimulatedBench>(std::move(config));
    bench->folder_ = dir;
    for (std::size_t i = 0; i < bench->cards_.size() && !options.lookOnly; ++i) {
        const std::string name = cardStateFileName(i);
        auto file =
            CardStateFile::open(pathText(filePath(dir) / name), name, *bench->cards_[i], error);
        if (!file) {
            return nullptr;
        }
        bench->cards_[i]->setStateLog(file.get());
        bench->stateFiles_.push_back(std::move(file));
    }
    LatencyModel latency = bench->config_.latency;
    latency.enabled = options.latency.value_or(latency.enabled);
    bench->library_.setLatency(latency,
                               options.sleeper != nullptr ? options.sleeper : &bench->realSleeper_);
    return bench;
}

std::string benchJsonPath(const std::string& dir) {
    return pathText(filePath(dir) / "bench.json");
}

std::string cardStateFileName(std::size_t adapterPosition) {
    return "card-" + std::to_string(adapterPosition) + ".state";
}

}  // namespace quillon::sim
