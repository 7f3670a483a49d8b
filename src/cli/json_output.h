// The documents --json prints. Each is one JSON object with "command", "ok" (whether the
// command did its job) and "messages" (every message box the command showed, caption and
// text, in order), followed by the command's own fields when it succeeded. docs/json.md
// describes them; nothing in this header pulls in the JSON library.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/terminal_ui.h"

namespace quillon::app {
class MainWindow;
}
namespace quillon::sim {
class SimulatedBench;
}

namespace quillon::cli {

// info FILE...: what every file holds. allRead is false when a file could not be read.
// Each file that was not read is also named, with why, on err when given.
std::string infoJson(const std::vector<std::string>& paths, bool& allRead,
                     std::ostream* err = nullptr);

// versions, mac-type, driver-version, cis and pda show: the command has run on the window and
// shown what it shows; when ok, the card is read again for the fields (the PDA is the one the
// command read). ok turns false when that read fails.
std::string cardReportJson(const std::string& command, app::MainWindow& window,
                           const TerminalUserInterface& shown, bool& ok);

// adapters: each row of the adapter list.
std::string adaptersJson(const app::MainWindow& window, const TerminalUserInterface& shown);

// bench show: the bench folder and its description as bench.json holds it.
std::string benchJson(const sim::SimulatedBench& bench);

// update: the queued files, the report line by line with each line's colour, the verdict,
// whether UPDATE was answered, and the outcome.
std::string updateJson(const app::MainWindow& window, const TerminalUserInterface& shown, bool ok);

// A command that could not run at all (no bench, no such adapter): only the envelope.
std::string failureJson(const std::string& command, const TerminalUserInterface* shown);

}  // namespace quillon::cli
