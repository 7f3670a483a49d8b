// The card reports (versions, mac-type, driver-version, cis, rid-stress) and the export of the
// card's flash window. Each routes the window's command.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <memory>

#include "base/file_path.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/json_output.h"
#include "cli/terminal_ui.h"
#include "cli/window_session.h"
#include "ui/main_window_view.h"

namespace quillon::cli {

namespace {

// A card report: its JSON carries the fields it read (rid-stress: the envelope alone).
void addReport(CLI::App& app, CliIo& io, GlobalOptions& global, CommandResult& result,
               const std::string& name, const std::string& description, int commandId) {
    auto* command = app.add_subcommand(name, description);
    addAnswerFlags(*command, global);
    command->callback([&io, &global, &result, name, commandId]() {
        JsonDocument document = nullptr;
        if (name != "rid-stress") {
            document = [name](app::MainWindow& window, const TerminalUserInterface& shown,
                              ui::Outcome& outcome) {
                return cardReportJson(name, window, shown, outcome);
            };
        }
        result.exitCode = runWindowCommand(io, global, terminalOptions(io, global), {},
                                           windowCommand(commandId), name, document);
    });
}

// The export writes what the chosen filter says: S-records or a text dump. A name without an
// extension becomes a ".hex" file, as the save dialog would make it.
std::string exportFileCheck(const std::string& path) {
    std::string extension = pathText(filePath(path).extension());
    for (char& c : extension) {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    if (extension.empty() || extension == ".hex" || extension == ".dmp") {
        return {};
    }
    return "the export writes .hex (S-records) or .dmp (text dump) files";
}

}  // namespace

void addCardCommands(CLI::App& app, CliIo& io, GlobalOptions& global, CommandResult& result) {
    addReport(app, io, global, result, "versions",
              "Show the card's firmware versions and compatibility ranges",
              ui::kCmdFirmwareVersions);
    addReport(app, io, global, result, "mac-type", "Show the card's MAC type", ui::kCmdMacType);
    addReport(app, io, global, result, "driver-version", "Show the card driver's version",
              ui::kCmdDriverVersion);
    addReport(app, io, global, result, "cis", "Show the card's CIS, tuple by tuple",
              ui::kCmdShowCis);
    addReport(app, io, global, result, "rid-stress",
              "Read RID 0xFC01 100,001 times (a test for developers)", ui::kCmdRidStressTest);

    auto* command = app.add_subcommand(
        "export", "Save the card's whole flash window as S-records (.hex) or a text dump (.dmp)");
    auto file = std::make_shared<std::string>();
    command
        ->add_option("FILE", *file,
                     "File to write; its extension chooses the form (.hex or .dmp, default .hex)")
        ->required()
        ->check(CLI::Validator(exportFileCheck, "", "export file"));
    addAnswerFlags(*command, global);
    command->callback([&io, &global, &result, file]() {
        TerminalOptions options = terminalOptions(io, global);
        options.dialogFile = *file;
        result.exitCode = runWindowCommand(io, global, options, {},
                                           windowCommand(ui::kCmdExportFirmware), "export");
    });
}

}  // namespace quillon::cli
