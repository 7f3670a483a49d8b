// quillon-cli pda show|save|clear|set: the window's commands on the selected card's PDA.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <memory>

#include "base/file_path.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/json_output.h"
#include "cli/terminal_ui.h"
#include "cli/window_session.h"
#include "commands/pda_settings_dialog.h"
#include "pda/pda_text.h"
#include "ui/main_window_view.h"

namespace quillon::cli {

namespace {

// A file to save the PDA to: a name, not a folder.
std::string saveFileCheck(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path name = filePath(path).filename();
    if (name.empty() || name == "." || name == ".." ||
        std::filesystem::is_directory(filePath(path), ec)) {
        return path + " is a folder; give the name of the file to write";
    }
    return {};
}

// A MAC address the PDA can take: six bytes in hex, with or without separators.
std::string macCheck(const std::string& text) {
    if (text.size() > pda::PdaSettingsDialog::kMacTextLimit || !pda::parseMac(text)) {
        return "'" + text + "' is not a MAC address (six bytes in hex, e.g. 00-02-B3-AB-CD-EF)";
    }
    return {};
}

// A serial number the PDA can take: 1 to 12 printable ASCII characters.
std::string serialCheck(const std::string& text) {
    constexpr std::size_t limit = pda::PdaSettingsDialog::kSerialTextLimit;
    if (text.empty()) {
        return "the serial number may not be empty";
    }
    for (const char c : text) {
        if (c < 0x20 || c > 0x7E) {
            return "the serial number takes ASCII letters, digits and signs only";
        }
    }
    if (text.size() > limit) {
        return "the serial number takes at most " + std::to_string(limit) + " characters, not " +
               std::to_string(text.size());
    }
    return {};
}

// A group address (multicast or broadcast) has the lowest bit of its first byte set; no card
// may send from one.
bool isGroupAddress(const std::string& text) {
    const auto words = pda::parseMac(text);
    return words && ((*words)[0] & 0x01) != 0;
}

// The all-zero address names no card: it is what a cleared or missing address reads as.
bool isZeroAddress(const std::string& text) {
    const auto words = pda::parseMac(text);
    return words && (*words)[0] == 0 && (*words)[1] == 0 && (*words)[2] == 0;
}

}  // namespace

void addPdaCommands(CLI::App& app, CliIo& io, GlobalOptions& global, CommandResult& result) {
    auto* pda = app.add_subcommand("pda", "Show, save, clear or change the card's PDA");
    pda->require_subcommand(1);
    pda->fallthrough();

    auto* show = pda->add_subcommand("show", "List the words of the card's PDA");
    addAnswerFlags(*show, global);
    show->callback([&io, &global, &result]() {
        result.exitCode = runWindowCommand(
            io, global, terminalOptions(io, global), {}, windowCommand(ui::kCmdDisplayPda),
            "pda show",
            [](app::MainWindow& window, const TerminalUserInterface& shown, ui::Outcome& outcome) {
                return cardReportJson("pda show", window, shown, outcome);
            });
    });

    auto* save = pda->add_subcommand("save", "Save the card's PDA to a .pda file");
    auto file = std::make_shared<std::string>();
    save->add_option("FILE", *file, "File to write (.pda added when it has no extension)")
        ->required()
        ->check(CLI::Validator(saveFileCheck, "", "file"));
    addAnswerFlags(*save, global);
    save->callback([&io, &global, &result, file]() {
        TerminalOptions options = terminalOptions(io, global);
        options.dialogFile = *file;
        result.exitCode =
            runWindowCommand(io, global, options, {}, windowCommand(ui::kCmdSavePda), "pda save");
    });

    auto* clear = pda->add_subcommand("clear", "Clear the card's PDA completely");
    addAnswerFlags(*clear, global);
    clear->callback([&io, &global, &result]() {
        result.exitCode = runWindowCommand(io, global, terminalOptions(io, global), {},
                                           windowCommand(ui::kCmdClearPda), "pda clear");
    });

    auto* restore = pda->add_subcommand(
        "restore",
        "Write a .pda file (a copy saved before an earlier change) back to the card's PDA");
    auto restoreFile = std::make_shared<std::string>();
    restore->add_option("FILE", *restoreFile, "The .pda file to write")->required();
    addAnswerFlags(*restore, global);
    restore->callback([&io, &global, &result, restoreFile]() {
        if (refuseSpecialFiles(io, {*restoreFile})) {
            result.exitCode = kExitFailure;
            return;
        }
        result.exitCode = runWindowCommand(
            io, global, terminalOptions(io, global), {},
            [restoreFile](app::MainWindow& window) { return window.restorePda(*restoreFile); },
            "pda restore");
    });

    auto* set = pda->add_subcommand(
        "set",
        "Change the MAC address and serial number in the card's PDA and write it to the card");
    auto settings = std::make_shared<PdaSettingsInput>();
    set->add_option("--mac", settings->mac,
                    "New MAC address, e.g. 00-02-B3-AB-CD-EF (a group or all-zero address needs "
                    "--force)")
        ->check(CLI::Validator(macCheck, "", "mac"))
        ->type_name("MAC");
    set->add_option("--serial", settings->serial, "New serial number: 1 to 12 ASCII characters")
        ->check(CLI::Validator(serialCheck, "", "serial"))
        ->type_name("TEXT");
    set->add_flag("--keep-case", settings->keepCase,
                  "Keep the serial number's letters as given (default: upper case)");
    addAnswerFlags(*set, global,
                   "Write a group (multicast or broadcast) or all-zero MAC address; with --yes, "
                   "also go on after a failure");
    set->callback([&io, &global, &result, settings]() {
        if (!settings->mac && !settings->serial) {
            throw CLI::ValidationError("pda set: give --mac, --serial or both");
        }
        if (settings->mac && isGroupAddress(*settings->mac) && !global.force) {
            throw CLI::ValidationError("--mac: " + *settings->mac +
                                       " is a group (multicast or broadcast) address, which no "
                                       "card may send from; --force writes it all the same");
        }
        if (settings->mac && isZeroAddress(*settings->mac) && !global.force) {
            throw CLI::ValidationError("--mac: " + *settings->mac +
                                       " is the all-zero address, which names no card; --force "
                                       "writes it all the same");
        }
        TerminalOptions options = terminalOptions(io, global);
        options.pdaSettings = *settings;
        result.exitCode =
            runWindowCommand(io, global, options, {}, windowCommand(ui::kCmdModifyPda), "pda set");
    });
}

}  // namespace quillon::cli
