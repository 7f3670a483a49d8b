#include "cli/window_session.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <sstream>

#include "app/application.h"
#include "base/regular_file.h"
#include "base/state_folder.h"
#include "card/adapter_discovery.h"
#include "cli/json_output.h"
#include "sim/bench_tools.h"

namespace quillon::cli {

namespace {

std::optional<std::string> setValue(const CliIo& io, const std::string& name) {
    std::string value = io.env(name);
    if (value.empty()) {
        return std::nullopt;
    }
    return value;
}

// The rows of the adapter list that stand for adapters (not the placeholder entry).
int adapterRowCount(const ui::MainWindowView& view) {
    int count = 0;
    for (const ui::AdapterListRow& row : view.adapters) {
        if (row.text != card::kNoAdaptersDetected) {
            ++count;
        }
    }
    return count;
}

// Selects the adapter whose item data is index, as a click on its row would. False when no
// row lists it.
bool selectAdapterByIndex(CliIo& io, app::MainWindow& window, std::uint32_t index) {
    const ui::MainWindowView& view = window.view();
    for (std::size_t row = 0; row < view.adapters.size(); ++row) {
        const ui::AdapterListRow& entry = view.adapters[row];
        if (entry.itemData != index || entry.text == card::kNoAdaptersDetected) {
            continue;
        }
        // A lone adapter was selected at start-up already; selecting it again would read its
        // PDA a second time.
        if (!window.adapterSelected() || window.selectedAdapterIndex() != index) {
            window.onAdapterListSelection(static_cast<int>(row));
        }
        return true;
    }
    io.err << "quillon-cli: no adapter " << index
           << " is listed (quillon-cli adapters lists them)\n";
    return false;
}

}  // namespace

std::string benchFolder(CliIo& io, const GlobalOptions& global) {
    const sim::BenchEnvironment environment{setValue(io, "QUILLON_BENCH"),
                                            setValue(io, "XDG_STATE_HOME"), setValue(io, "HOME")};
    const std::optional<std::string> option =
        global.benchDir.empty() ? std::nullopt : std::optional<std::string>(global.benchDir);
    const std::optional<std::string> folder = sim::resolveBenchFolder(option, environment);
    if (!folder) {
        io.err << "quillon-cli: no bench folder: give --bench DIR or set QUILLON_BENCH\n";
        return {};
    }
    return *folder;
}

std::string pdaBackupFolder(const CliIo& io) {
    const std::optional<std::string> state =
        quillonStateFolder(setValue(io, "XDG_STATE_HOME"), setValue(io, "HOME"));
    return state ? (std::filesystem::path(*state) / "pda-backups").string() : std::string();
}

std::unique_ptr<sim::SimulatedBench> openBench(CliIo& io, const GlobalOptions& global,
                                               sim::BenchLock& lock) {
    const std::string folder = benchFolder(io, global);
    if (folder.empty()) {
        return nullptr;
    }
    // Only the default location is made on first use: a named folder that is not there is
    // more likely a typing error than a wish for a new bench.
    std::error_code ec;
    if (!global.benchDir.empty() && !std::filesystem::is_directory(folder, ec)) {
        io.err << "quillon-cli: " << folder
               << ": no such bench folder (quillon-cli --bench DIR bench init makes one)\n";
        return nullptr;
    }
    // Opening may compact a card's journal: no process rewrites the files another one holds.
    if (!lock.acquire(folder, io.lockWait, io.err, "quillon-cli")) {
        return nullptr;
    }
    std::string error;
    std::unique_ptr<sim::SimulatedBench> bench = sim::SimulatedBench::open(folder, error);
    if (!bench) {
        io.err << "quillon-cli: " << error << '\n';
    }
    return bench;
}

TerminalOptions terminalOptions(const CliIo& io, const GlobalOptions& global) {
    TerminalOptions options;
    options.answers = global.yes  ? AnswerPolicy::Yes
                      : global.no ? AnswerPolicy::No
                                  : AnswerPolicy::Ask;
    options.force = global.force;
    options.colour = useColour(io, global.colour);
    options.quiet = global.quiet;
    return options;
}

bool refuseSpecialFiles(CliIo& io, const std::vector<std::string>& files) {
    for (const std::string& path : files) {
        std::error_code ec;
        if (whyNotAFile(path) == kNotRegularFile && !std::filesystem::is_directory(path, ec)) {
            io.err << "quillon-cli: " << path << ": " << kNotRegularFile << " Nothing was done.\n";
            return true;
        }
    }
    return false;
}

int exitStatus(const ui::Outcome& outcome) {
    switch (outcome.ending) {
        case ui::Ending::Done:
            return kExitSuccess;
        case ui::Ending::Stopped:
            return kExitInterrupted;
        default:
            return kExitFailure;
    }
}

WindowAction windowCommand(int command) {
    return [command](app::MainWindow& window) { return window.onCommand(command); };
}

ui::Outcome runOnMainWindow(CliIo& io, const GlobalOptions& global, TerminalUserInterface& ui,
                            const std::vector<std::string>& files, const WindowAction& action) {
    // Reading a FIFO or a device could wait for ever, holding the card from everyone else.
    if (refuseSpecialFiles(io, files)) {
        return ui::Outcome::refused("A file named is not a regular file.");
    }
    sim::BenchLock lock;
    std::unique_ptr<sim::SimulatedBench> bench = openBench(io, global, lock);
    if (!bench) {
        return ui::Outcome::failed("The bench could not be opened.");
    }
    std::vector<std::string> arguments{"quillon-cli"};
    arguments.insert(arguments.end(), files.begin(), files.end());
    const std::unique_ptr<app::MainWindow> started =
        app::startApplication(bench->library(), bench->registry(), ui, arguments);
    app::MainWindow& window = *started;
    window.setPdaBackupFolder(pdaBackupFolder(io));
    window.setVerifyDownloads(!global.noVerify);
    if (global.adapter >= 0) {
        if (!selectAdapterByIndex(io, window, static_cast<std::uint32_t>(global.adapter))) {
            return ui::Outcome::refused("No adapter " + std::to_string(global.adapter) +
                                        " is listed.");
        }
    } else if (!window.adapterSelected() && adapterRowCount(window.view()) > 1) {
        io.err << "quillon-cli: several adapters are listed; pick one with --adapter N "
                  "(quillon-cli adapters lists them)\n";
    }
    const ui::Outcome outcome = action(window);
    io.out << std::flush;
    return outcome;
}

int runWindowCommand(CliIo& io, const GlobalOptions& global, TerminalOptions options,
                     const std::vector<std::string>& files, const WindowAction& action,
                     const std::string& name, const JsonDocument& document) {
    if (!global.json) {
        TerminalUserInterface ui(io, options);
        return exitStatus(runOnMainWindow(io, global, ui, files, action));
    }
    std::ostringstream text;
    CliIo kept{io.in, text, io.err};
    kept.errIsTerminal = io.errIsTerminal;
    kept.environment = io.environment;
    kept.lockWait = io.lockWait;
    options.colour = false;
    TerminalUserInterface ui(kept, options);
    std::string json;
    ui::Outcome outcome = runOnMainWindow(kept, global, ui, files, [&](app::MainWindow& window) {
        ui::Outcome done = action(window);
        json = document ? document(window, ui, done) : outcomeJson(name, ui, done);
        return done;
    });
    io.out << (json.empty() ? outcomeJson(name, ui, outcome) : json) << std::flush;
    return exitStatus(outcome);
}

}  // namespace quillon::cli
