// The documents --json prints. Each is one JSON object with "command", "ok" (whether the
// command did its job), "outcome" and "reason" (how it ended and why) and "messages" (every
// message box the command showed, caption and text, in order), followed by the command's own
// fields when it succeeded. docs/json.md
// describes them; nothing in this header pulls in the JSON library.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/terminal_ui.h"
#include "ui/outcome.h"

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
                           const TerminalUserInterface& shown, ui::Outcome& outcome);

// adapters: each row of the adapter list that stands for an adapter; ok when there is one.
std::string adaptersJson(const app::MainWindow& window, const TerminalUserInterface& shown,
                         bool& listed);

// bench init: the folder written, when it was.
std::string benchInitJson(const std::string& folder, bool written);

// bench show: the bench folder and its description as bench.json holds it.
std::string benchJson(const sim::SimulatedBench& bench);

// update: the queued files, the report line by line with each line's colour, the verdict,
// whether UPDATE was answered, and the outcome.
std::string updateJson(const app::MainWindow& window, const TerminalUserInterface& shown,
                       const ui::Outcome& outcome);

// A command whose document is the envelope alone: what it did and the boxes it showed.
std::string outcomeJson(const std::string& command, const TerminalUserInterface& shown,
                        const ui::Outcome& outcome);

}  // namespace quillon::cli
