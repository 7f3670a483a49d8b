// Time of a whole update of the default simulated card from the samples (primary and station
// firmware and the two ".pda" files), in-process and with the card's latency off: queuing the
// four files, the checks and the report, programming both images and writing the PDA. The
// goal for the whole program (`quillon-cli update --yes`) is under 50 ms.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "card/adapter_session.h"
#include "fake_user_interface.h"
#include "pda/pda_image.h"
#include "sample_generator.h"
#include "sim/simulated_bench.h"
#include "test_host.h"
#include "update/update_card.h"
#include "update/update_file_list.h"

namespace {

using namespace quillon;

// The samples in a temporary folder for as long as the program runs.
class SampleFolder {
  public:
    SampleFolder()
        : dir_(std::filesystem::temp_directory_path() /
               ("quillon-update-bench-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(dir_);
        for (const auto& [name, content] : tools::makeSamples()) {
            std::ofstream(dir_ / name, std::ios::binary) << content;
        }
    }
    ~SampleFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    SampleFolder(const SampleFolder&) = delete;
    SampleFolder& operator=(const SampleFolder&) = delete;

    std::string file(const std::string& name) const { return (dir_ / name).string(); }

  private:
    std::filesystem::path dir_;
};

const SampleFolder& samples() {
    static const SampleFolder folder;
    return folder;
}

// Returns false when the update did not end in success, so that a broken update is not timed
// as a fast one; the last box then says why.
bool updateDefaultCard(std::string& why) {
    sim::SimulatedBench bench(sim::defaultBenchConfig());
    testing::FakeUserInterface ui;
    card::AdapterSession session(bench.library(), bench.registry(), ui);
    pda::PdaImage pda;
    testing::TestHost host(session, pda, ui);
    update::UpdateFileList list;
    ui::ProgrammingOptions options;
    // The update keeps a copy of the card's PDA before it writes the merged one.
    options.pdaBackupFolder = samples().file("pda-backups");
    update::SupplierRange supplier;

    // The adapter was selected before the update, as the window selects a lone adapter: its
    // MAC type is known and its PDA read.
    if (!host.select(0)) {
        return false;
    }

    for (const char* name :
         {"primary-1.1.1.hex", "station-1.8.0.hex", "mac-serial.pda", "set-point.pda"}) {
        list.addFile(samples().file(name), ui);
    }
    update::UpdateContext context{host, session, pda, list, options, supplier, ui};
    update::updateCard(context);
    why = ui.boxes.empty() ? "no outcome was shown" : ui.boxes.back().text;
    return !ui.boxes.empty() && ui.boxes.back().text == "Update Successful!   ";
}

void BM_UpdateDefaultCardFromSamples(benchmark::State& state) {
    samples();
    for (auto _ : state) {
        std::string why;
        if (!updateDefaultCard(why)) {
            // Loudly: a benchmark that measures nothing must not pass for a fast one.
            std::fprintf(stderr, "update_bench: the update did not succeed: %s\n", why.c_str());
            std::exit(1);
        }
    }
}
BENCHMARK(BM_UpdateDefaultCardFromSamples)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
