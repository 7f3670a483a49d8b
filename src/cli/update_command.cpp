// quillon-cli update FILE...: the main job. The files are queued as the window queues the files
// of its command line, then "Continue" runs: the checks, the coloured report, the question, and
// on UPDATE the programming under a progress bar. A dry run stops where the card would be
// written and writes the images and the PDA to a folder instead.
#include <CLI/CLI.hpp>
#include <memory>

#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/json_output.h"
#include "cli/terminal_ui.h"
#include "cli/window_session.h"
#include "ui/main_window_view.h"

namespace quillon::cli {

namespace {

struct UpdateOptions {
    std::vector<std::string> files;
    bool dryRun = false;
    std::string out;
};

// A dry run did its job when UPDATE would have been offered and what it would write was
// written; a real update tells its success in one box only, every other ending (a cancelled
// report included) leaves the card as it was or half-written.
bool updateSucceeded(const TerminalUserInterface& shown, bool dryRun) {
    if (!dryRun) {
        return shown.hasBox("Update Complete");
    }
    const auto& boxes = shown.boxes();
    return !boxes.empty() && boxes.back().caption == "Dry Run" &&
           boxes.back().text.rfind("Nothing was written", 0) == 0;
}

}  // namespace

void addUpdateCommand(CLI::App& app, CliIo& io, GlobalOptions& global, CommandResult& result) {
    auto* command = app.add_subcommand(
        "update",
        "Update the card from firmware (.hex) and production-data (.pda) files: check them, "
        "show the report, and on UPDATE program them");
    auto options = std::make_shared<UpdateOptions>();
    command
        ->add_option("FILE", options->files, "Files to queue, as the window's file list takes them")
        ->required();
    auto* dryRun = command->add_flag(
        "--dry-run", options->dryRun,
        "Check and report as a real update, but write nothing to the card (exit 0 when UPDATE "
        "would have been offered)");
    command
        ->add_option("--out", options->out,
                     "With --dry-run: write each plugged image (.hex, in programming order) and "
                     "the PDA (.pda) the update would write into this folder")
        ->type_name("DIR")
        ->needs(dryRun);
    addAnswerFlags(*command, global);
    command->callback([&io, &global, &result, options]() {
        TerminalOptions terminal = terminalOptions(io, global);
        terminal.dryRun = options->dryRun;
        const auto run = [options](app::MainWindow& window) {
            if (options->dryRun) {
                window.setDryRun(update::DryRun{options->out});
            }
            window.onCommand(ui::kCmdContinue);
        };
        const bool dry = options->dryRun;
        const auto succeeded = [dry](const TerminalUserInterface& shown) {
            return updateSucceeded(shown, dry);
        };
        if (global.json) {
            result.exitCode =
                runWindowCommandJson(io, global, terminal, options->files, run, "update", succeeded,
                                     [](app::MainWindow& window, const TerminalUserInterface& shown,
                                        bool& ok) { return updateJson(window, shown, ok); });
            return;
        }
        TerminalUserInterface ui(io, terminal);
        const bool ran = runOnMainWindow(io, global, ui, options->files, run);
        result.exitCode = ran && succeeded(ui) ? kExitSuccess : kExitFailure;
    });
}

}  // namespace quillon::cli
