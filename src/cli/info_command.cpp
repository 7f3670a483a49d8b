// quillon-cli info FILE...: the File Info report for the given files, as if they were the
// whole file list and every one were selected.
#include <CLI/CLI.hpp>
#include <ostream>

#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/json_output.h"
#include "cli/terminal_ui.h"
#include "update/file_info_report.h"

namespace quillon::cli {

void addInfoCommand(CLI::App& app, CliIo& io, GlobalOptions& global, CommandResult& result) {
    auto* command = app.add_subcommand(
        "info", "Describe firmware (.hex), dump (.dmp) and production-data (.pda) files");
    auto files = std::make_shared<std::vector<std::string>>();
    command->add_option("FILE", *files, "Files to describe")->required();
    command->callback([&io, &global, &result, files]() {
        if (global.json) {
            bool allRead = false;
            io.out << infoJson(*files, allRead, &io.err);
            result.exitCode = allRead ? kExitSuccess : kExitFailure;
            return;
        }
        std::vector<update::FileInfoItem> items;
        for (const std::string& path : *files) {
            items.push_back({path, true});
        }
        TerminalUserInterface ui(io, false);
        const ui::MessageBox box = update::fileInfoBox(items, ui);
        io.out << box.text << '\n';
        // Why a file could not be read went to standard error as it was found.
        result.exitCode = ui.unreadFiles().empty() ? kExitSuccess : kExitFailure;
    });
}

}  // namespace quillon::cli
