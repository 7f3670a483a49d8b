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
#include "ui/outcome.h"

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

// The exit status of what a command did: 0 done, 130 stopped by the person, 1 otherwise. It is
// the same with and without --json.
int exitStatus(const ui::Outcome& outcome);

// What a command does on the window.
using WindowAction = std::function<ui::Outcome(app::MainWindow&)>;

// Runs the command identifier on the window.
WindowAction windowCommand(int command);

// Opens the bench, initialises the main window with files as its command line, selects the
// adapter and runs action on the window. Failed, after telling the person why, when the bench
// cannot be opened or --adapter names no listed adapter.
ui::Outcome runOnMainWindow(CliIo& io, const GlobalOptions& global, TerminalUserInterface& ui,
                            const std::vector<std::string>& files, const WindowAction& action);

// The JSON document of a command that ran on the window: the window, what the person was
// shown and what the command did (which the document may turn to a failure when the fields it
// reads cannot be read). Null: the envelope alone.
using JsonDocument =
    std::function<std::string(app::MainWindow&, const TerminalUserInterface&, ui::Outcome&)>;

// Runs action on the window with the face the options ask for and returns the exit status.
// With --json nothing of the text reaches standard output, nobody is asked (questions take the
// safe answer unless --yes), and document's JSON is printed instead.
int runWindowCommand(CliIo& io, const GlobalOptions& global, TerminalOptions options,
                     const std::vector<std::string>& files, const WindowAction& action,
                     const std::string& name, const JsonDocument& document = nullptr);

}  // namespace quillon::cli
