// quillon-cli update FILE...: the main job. The files are queued as the window queues the files
// of its command line, then "Continue" runs: the checks, the coloured report, the question, and
// on UPDATE the programming under a progress bar. A dry run stops where the card would be
// written and writes the images and the PDA to a folder instead.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <memory>
#include <ostream>

#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/json_output.h"
#include "cli/terminal_ui.h"
#include "cli/window_session.h"
#include "ui/main_window_view.h"
#include "update/update_card.h"
#include "update/update_file_list.h"

namespace quillon::cli {

namespace {

int indexOf(const update::UpdateFileList& list, const std::string& path) {
    for (int i = 0; i < list.count(); ++i) {
        if (list.pathAt(i) == path) {
            return i;
        }
    }
    return -1;
}

// Names on standard error every file of the command line the queue did not keep, and why: a
// directory is never queued, and a later file of the same kind replaces an earlier one.
void tellUnqueued(CliIo& io, const std::vector<std::string>& files,
                  const update::UpdateFileList& queued) {
    const auto isQueued = [&queued](const std::string& path) { return indexOf(queued, path) >= 0; };
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string& path = files[i];
        if (isQueued(path)) {
            continue;
        }
        std::error_code ec;
        if (std::filesystem::is_directory(path, ec)) {
            io.err << "quillon-cli: " << path << ": a directory; not queued\n";
            continue;
        }
        // The file that took its place: a later queued one of a kind that replaces this kind.
        update::UpdateFileList probe;
        CollectingUserInterface silent;
        probe.addFile(path, silent);
        const int type = probe.typeAt(0);
        std::string replacement;
        for (std::size_t later = i + 1; later < files.size(); ++later) {
            const int laterType = queued.typeAt(indexOf(queued, files[later]));
            if (laterType >= 0 && update::UpdateFileList::displaces(laterType, type)) {
                replacement = files[later];
            }
        }
        io.err << "quillon-cli: " << path << ": not queued";
        if (!replacement.empty()) {
            io.err << "; " << replacement << " replaces it (one file of each kind is kept)";
        }
        io.err << '\n';
    }
    if (queued.count() > update::kUpdateFileLimit) {
        io.err << "quillon-cli: " << queued.count() << " files queued; an update takes at most "
               << update::kUpdateFileLimit << '\n';
    }
}

// The dry run's files go to a new or empty folder, so that nothing found there afterwards
// comes from elsewhere (an earlier preview included).
std::string outFolderCheck(const std::string& folder) {
    std::error_code ec;
    if (!std::filesystem::exists(folder, ec)) {
        return {};
    }
    if (!std::filesystem::is_directory(folder, ec)) {
        return folder + " is not a folder";
    }
    if (!std::filesystem::is_empty(folder, ec) || ec) {
        return folder + " already holds files; give a new or empty folder";
    }
    return {};
}

struct UpdateOptions {
    std::vector<std::string> files;
    bool dryRun = false;
    std::string out;
};

}  // namespace

void addUpdateCommand(CLI::App& app, CliIo& io, GlobalOptions& global, CommandResult& result) {
    auto* command = app.add_subcommand(
        "update",
        "Check firmware (.hex) and production-data (.pda) files against the card, show the "
        "report, and on UPDATE program them");
    auto options = std::make_shared<UpdateOptions>();
    command
        ->add_option("FILE", options->files,
                     "Files to program; of the firmware files one of each kind (primary, "
                     "station, CIS) is kept, the last named")
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
        ->needs(dryRun)
        ->check(CLI::Validator(outFolderCheck, "", "output folder"));
    addAnswerFlags(*command, global);
    command->callback([&io, &global, &result, options]() {
        TerminalOptions terminal = terminalOptions(io, global);
        terminal.dryRun = options->dryRun;
        const auto run = [&io, options](app::MainWindow& window) {
            tellUnqueued(io, options->files, window.fileList());
            if (options->dryRun) {
                window.setDryRun(update::DryRun{options->out});
            }
            return window.onCommand(ui::kCmdContinue);
        };
        result.exitCode = runWindowCommand(
            io, global, terminal, options->files, run, "update",
            [](app::MainWindow& window, const TerminalUserInterface& shown, ui::Outcome& outcome) {
                return updateJson(window, shown, outcome);
            });
    });
}

}  // namespace quillon::cli
