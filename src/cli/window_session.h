// The main window behind every card command of the terminal: the bench is opened, the window
// logic is created over its access library and registry, initialised as at start-up (files
// queued, adapters detected, a lone adapter selected), the adapter of --adapter selected, and
// the command routed by its identifier. The terminal never does a command's work itself.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/terminal_ui.h"
#include "sim/bench_lock.h"
#include "sim/simulated_bench.h"

namespace quillon::cli {

// The bench folder of the options and environment, locked with lock (which must outlive the
// bench) and opened (created from the built-in default on first use). Null after telling the
// person why on standard error.
std::unique_ptr<sim::SimulatedBench> openBench(CliIo& io, const GlobalOptions& global,
                                               sim::BenchLock& lock);

// The bench folder the options and environment name; empty after telling the person why.
std::string benchFolder(CliIo& io, const GlobalOptions& global);

// The folder for copies of the card's PDA: $XDG_STATE_HOME/quillon/pda-backups, else
// ~/.local/state/quillon/pda-backups; empty when neither is known.
std::string pdaBackupFolder(const CliIo& io);

// The terminal face the options ask for.
TerminalOptions terminalOptions(const CliIo& io, const GlobalOptions& global);

// True, after telling the person, when one of files exists but is not a regular file or a
// folder (a FIFO or a device): reading it could wait for ever while the card is held.
bool refuseSpecialFiles(CliIo& io, const std::vector<std::string>& files);

// Opens the bench, initialises the main window with files as its command line, selects the
// adapter and runs action on the window. False, after telling the person why, when the bench
// cannot be opened or --adapter names no listed adapter.
bool runOnMainWindow(CliIo& io, const GlobalOptions& global, TerminalUserInterface& ui,
                     const std::vector<std::string>& files,
                     const std::function<void(app::MainWindow&)>& action);

// Runs one command identifier on the main window; the exit status is kExitSuccess when
// succeeded(ui) says the command did its job, kExitFailure otherwise.
int runWindowCommand(CliIo& io, const GlobalOptions& global, TerminalUserInterface& ui,
                     const std::vector<std::string>& files, int command,
                     const std::function<bool(const TerminalUserInterface&)>& succeeded);

// The JSON document of a command that ran on the window: the window, what the person was
// shown and whether the command did its job (which the document may turn false).
using JsonDocument =
    std::function<std::string(app::MainWindow&, const TerminalUserInterface&, bool&)>;

// Runs the command identifier on the window.
std::function<void(app::MainWindow&)> windowCommand(int command);

// As runWindowCommand, but with --json: nothing of the text reaches standard output, nobody is
// asked (questions take the safe answer unless --yes), and document's JSON is printed instead.
int runWindowCommandJson(CliIo& io, const GlobalOptions& global, TerminalOptions options,
                         const std::vector<std::string>& files,
                         const std::function<void(app::MainWindow&)>& run, const std::string& name,
                         const std::function<bool(const TerminalUserInterface&)>& succeeded,
                         const JsonDocument& document);

}  // namespace quillon::cli
