// quillon-cli pda show|save|clear|set: the window's commands on the selected card's PDA.
#include <CLI/CLI.hpp>
#include <memory>

#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/json_output.h"
#include "cli/terminal_ui.h"
#include "cli/window_session.h"
#include "commands/pda_settings_dialog.h"
#include "ui/main_window_view.h"

namespace quillon::cli {

namespace {

bool boxStartsWith(const TerminalUserInterface& shown, const std::string& caption,
                   const std::string& start) {
    for (const auto& box : shown.boxes()) {
        if ((caption.empty() || box.caption == caption) && box.text.rfind(start, 0) == 0) {
            return true;
        }
    }
    return false;
}

CLI::Validator maxLength(std::size_t limit) {
    return CLI::Validator(
        [limit](const std::string& text) {
            return text.size() <= limit
                       ? std::string()
                       : "at most " + std::to_string(limit) + " characters fit the dialog";
        },
        "", "length");
}

}  // namespace

void addPdaCommands(CLI::App& app, CliIo& io, GlobalOptions& global, CommandResult& result) {
    auto* pda = app.add_subcommand("pda", "Show, save, clear or change the card's PDA");
    pda->require_subcommand(1);
    pda->fallthrough();

    auto* show = pda->add_subcommand("show", "List the words of the card's PDA");
    addAnswerFlags(*show, global);
    show->callback([&io, &global, &result]() {
        const auto shownPda = [](const TerminalUserInterface& shown) {
            for (const auto& report : shown.reports()) {
                if (report.title == "PDA:") {
                    return true;
                }
            }
            return false;
        };
        if (global.json) {
            result.exitCode = runWindowCommandJson(
                io, global, terminalOptions(io, global), {}, windowCommand(ui::kCmdDisplayPda),
                "pda show", shownPda,
                [](app::MainWindow& window, const TerminalUserInterface& shown, bool& ok) {
                    return cardReportJson("pda show", window, shown, ok);
                });
            return;
        }
        TerminalUserInterface ui(io, terminalOptions(io, global));
        result.exitCode = runWindowCommand(io, global, ui, {}, ui::kCmdDisplayPda, shownPda);
    });

    auto* save = pda->add_subcommand("save", "Save the card's PDA to a .pda file");
    auto file = std::make_shared<std::string>();
    save->add_option("FILE", *file, "File to write (.pda added when it has no extension)")
        ->required();
    addAnswerFlags(*save, global);
    save->callback([&io, &global, &result, file]() {
        TerminalOptions options = terminalOptions(io, global);
        options.dialogFile = *file;
        TerminalUserInterface ui(io, options);
        result.exitCode = runWindowCommand(io, global, ui, {}, ui::kCmdSavePda,
                                           [](const TerminalUserInterface& shown) {
                                               // Saving says nothing when it succeeds: a file was
                                               // chosen and no box followed.
                                               const auto before = shown.boxesBeforeFileChosen();
                                               return before && *before == shown.boxes().size();
                                           });
    });

    auto* clear = pda->add_subcommand("clear", "Clear the card's PDA completely");
    addAnswerFlags(*clear, global);
    clear->callback([&io, &global, &result]() {
        TerminalUserInterface ui(io, terminalOptions(io, global));
        result.exitCode = runWindowCommand(io, global, ui, {}, ui::kCmdClearPda,
                                           [](const TerminalUserInterface& shown) {
                                               return boxStartsWith(shown, "", "PDA cleared.");
                                           });
    });

    auto* set = pda->add_subcommand(
        "set",
        "Change the MAC address and serial number in the card's PDA and write it to the card");
    auto settings = std::make_shared<PdaSettingsInput>();
    set->add_option("--mac", settings->mac, "MAC address, e.g. 00-02-B3-AB-CD-EF")
        ->check(maxLength(pda::PdaSettingsDialog::kMacTextLimit));
    set->add_option("--serial", settings->serial, "Serial number")
        ->check(maxLength(pda::PdaSettingsDialog::kSerialTextLimit));
    set->add_flag("--keep-case", settings->keepCase,
                  "Keep the serial number's letters as given (default: upper case)");
    addAnswerFlags(*set, global);
    set->callback([&io, &global, &result, settings]() {
        TerminalOptions options = terminalOptions(io, global);
        options.pdaSettings = *settings;
        TerminalUserInterface ui(io, options);
        result.exitCode = runWindowCommand(
            io, global, ui, {}, ui::kCmdModifyPda, [](const TerminalUserInterface& shown) {
                return boxStartsWith(shown, "PDA Update", "PDA Update Successful!");
            });
    });
}

}  // namespace quillon::cli
