// quillon-cli update FILE...: the main job. The files are queued as the window queues the files
// of its command line, then "Continue" runs: the checks, the coloured report, the question, and
// on UPDATE the programming under a progress bar.
#include <CLI/CLI.hpp>
#include <memory>

#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/json_output.h"
#include "cli/terminal_ui.h"
#include "cli/window_session.h"
#include "ui/main_window_view.h"

namespace quillon::cli {

void addUpdateCommand(CLI::App& app, CliIo& io, GlobalOptions& global, CommandResult& result) {
    auto* command = app.add_subcommand(
        "update",
        "Update the card from firmware (.hex) and production-data (.pda) files: check them, "
        "show the report, and on UPDATE program them");
    auto files = std::make_shared<std::vector<std::string>>();
    command->add_option("FILE", *files, "Files to queue, as the window's file list takes them")
        ->required();
    addAnswerFlags(*command, global);
    command->callback([&io, &global, &result, files]() {
        // The update tells its success in one box only; every other ending, a cancelled report
        // included, leaves the card as it was or half-written.
        const auto updated = [](const TerminalUserInterface& shown) {
            return shown.hasBox("Update Complete");
        };
        if (global.json) {
            result.exitCode = runWindowCommandJson(
                io, global, terminalOptions(io, global), *files, ui::kCmdContinue, "update",
                updated, [](app::MainWindow& window, const TerminalUserInterface& shown, bool& ok) {
                    return updateJson(window, shown, ok);
                });
            return;
        }
        TerminalUserInterface ui(io, terminalOptions(io, global));
        result.exitCode = runWindowCommand(io, global, ui, *files, ui::kCmdContinue, updated);
    });
}

}  // namespace quillon::cli
