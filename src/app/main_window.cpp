#include "app/main_window.h"

#include <array>
#include <filesystem>
#include <map>

#include "base/file_path.h"
#include "card/adapter_session.h"
#include "pda/pda_text.h"

#ifndef QUILLON_VERSION
#define QUILLON_VERSION "0.0.0"
#endif

namespace quillon::app {

using namespace quillon::ui;
namespace {

// The program's version as the window shows it, with the day this version was built.
constexpr std::string_view kVersion = QUILLON_VERSION;
constexpr std::string_view kBuildDate = "Dec 07 2026";
// The version is read into a 9-character buffer with its terminating zero.
constexpr std::size_t kVersionLimit = 8;

// The status line's control holds this many characters.
constexpr std::size_t kStatusLimit = 180;

// The card's menu entries: greyed while no adapter is selected.
constexpr std::array<int, 9> kCardCommands{
    kCmdFirmwareVersions, kCmdDriverVersion, kCmdMacType, kCmdDisplayPda,     kCmdModifyPda,
    kCmdClearPda,         kCmdShowCis,       kCmdSavePda, kCmdExportFirmware,
};

const std::map<int, std::string_view>& tooltips() {
    static const std::map<int, std::string_view> table{
        {kCmdContinue, "Update the selected card"},
        {kCmdCloseAdapter, "Quit the program"},
        {1020, "The MAC address read from the PDA, not from an NDIS request"},
        {1021, "The serial number read from the PDA"},
        {1024, "The MAC address used by this adapter; obtained from NDIS request"},
        {1040,
         "Files in this list are queued to be downloaded to the card.  To remove a file from the "
         "list, highlight it and right-click on it."},
        {kCmdForceAllBlocks, "Write all blocks even if no changes need to be made"},
    };
    return table;
}

std::string fileName(const std::string& path) {
    return pathText(filePath(path).filename());
}

std::string tooManyFiles(int count) {
    return std::to_string(count) + " files queued: an update takes at most " +
           std::to_string(update::kUpdateFileLimit) + ". Remove " +
           std::to_string(count - update::kUpdateFileLimit) + " before pressing Continue.";
}

std::string upperCase(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

std::string upperHex(unsigned value) {
    static constexpr std::string_view kDigits = "0123456789ABCDEF";
    std::string text;
    do {
        text.insert(text.begin(), kDigits[value & 0xFU]);
        value >>= 4;
    } while (value != 0);
    return text;
}

// The text of a record that holds one: it needs at least one data word.
std::string textOfRecord(const pda::PdaImage& pda, std::uint16_t code) {
    const pda::PdrRecord* record = pda.findRecord(code);
    return record != nullptr && record->length() > 2 ? pda::pdrText(*record) : std::string();
}

}  // namespace

MainWindow::MainWindow(card::AccessLibrary& library, card::Registry& registry, UserInterface& ui)
    : library_(library), registry_(registry), ui_(ui), session_(library, registry, ui) {}

MainWindow::~MainWindow() {
    session_.closeAdapter();
}

void MainWindow::initialise(const std::vector<std::string>& commandLineFiles) {
    // The system menu offers the file registrations on every Windows: the 95 family takes
    // them in its one class root, the NT family for the person who asks, which needs no
    // administrator.
    view_.systemMenu.clear();
    view_.systemMenu.push_back({0, ""});
    view_.systemMenu.push_back({kSysRegisterHex, "Register .&hex files to this app"});
    view_.systemMenu.push_back({kSysRegisterPda, "Register .&pda files to this app"});
    view_.systemMenu.push_back({0, ""});
    view_.systemMenu.push_back({kSysAbout, "&About quillon..."});
    view_.registersPerUser = !library_.W32N_IsWindows95();

    view_.statusText.clear();
    view_.title = "Quillonex";
    view_.versionText = "Ver. ";
    view_.versionText += kVersion.substr(0, kVersionLimit);
    view_.versionText += "  (";
    view_.versionText += kBuildDate;
    view_.versionText += ")";
    options_.forceAllBlocks = true;
    view_.forceAllBlocks = options_.forceAllBlocks;
    view_.verifyDownloads = options_.verifyDownloads;
    push();
    setCursor(Cursor::Arrow);

    for (const std::string& path : commandLineFiles) {
        fileList_.addFile(path, ui_);
    }
    if (!commandLineFiles.empty()) {
        push();
    }

    card::checkAccessLibrary(library_, ui_);
    detectAdapters(true);
}

ui::Outcome MainWindow::onCommand(int command) {
    ui::Outcome outcome = routeCommand(command);
    // Whatever way a command took out, the adapter is never left open between commands; a
    // command that stopped after a failed driver check would otherwise keep it.
    releaseAdapter();
    return outcome;
}

void MainWindow::onSystemCommand(int command) {
    if (command == kSysAbout) {
        showAbout();
    }
    // Registering the file types belongs to the shell integration of a platform face; on this
    // platform there is no class root to write them to.
}

void MainWindow::onDropFiles(const std::vector<std::string>& paths) {
    // A dropped name is kept whole, however long: cut, it would name another file or none.
    addFiles(paths);
}

void MainWindow::onCopyData(const std::string& path) {
    // The data handed over ends at its first zero, as the sender's string did.
    addFiles({path.substr(0, path.find('\0'))});
}

void MainWindow::addFiles(const std::vector<std::string>& paths) {
    std::string told;
    for (const std::string& path : paths) {
        std::vector<std::string> before;
        for (int i = 0; i < fileList_.count(); ++i) {
            before.push_back(fileList_.pathAt(i));
        }
        fileList_.addFile(path, ui_);
        // One file of each firmware kind is kept: the person hears which one went.
        for (const std::string& old : before) {
            bool kept = false;
            for (int i = 0; i < fileList_.count() && !kept; ++i) {
                kept = fileList_.pathAt(i) == old;
            }
            if (!kept && old != path) {
                told = fileName(path) + " replaces " + fileName(old) + ".";
            }
        }
    }
    const int count = fileList_.count();
    if (count > update::kUpdateFileLimit) {
        told = tooManyFiles(count);
    }
    if (!told.empty()) {
        view_.statusText = told;
    }
    push();
}

void MainWindow::setFileSelected(int row, bool selected) {
    fileList_.setSelected(row, selected);
    if (row >= 0 && static_cast<std::size_t>(row) < view_.files.size()) {
        view_.files[static_cast<std::size_t>(row)].selected = selected;
    }
}

void MainWindow::onMenuAboutToOpen() {
    view_.commandEnabled[kCmdShowInfo] = fileList_.selectedCount() > 0;
    push();
}

void MainWindow::onListRightClick() {
    const bool any = fileList_.selectedCount() > 0;
    view_.commandEnabled[kCmdShowInfo] = any;
    view_.commandEnabled[kCmdRemoveFiles] = any;
    push();
}

std::string MainWindow::tooltip(int controlId) {
    const auto& table = tooltips();
    const auto it = table.find(controlId);
    return it == table.end() ? std::string() : std::string(it->second);
}

void MainWindow::refreshControls() {
    const bool selected = adapterSelected_;
    view_.continueEnabled = selected;
    view_.closeAdapterShown = selected;
    view_.adapterListShown = !selected;
    view_.adapterNameShown = selected;
    view_.detectAdaptersShown = !selected;
    for (const int command : kCardCommands) {
        view_.commandEnabled[command] = selected;
    }
    if (!selected) {
        view_.currentMacText.clear();
    }
    refreshPdaFields();
    push();
}

void MainWindow::refreshPdaFields() {
    view_.pdaMacText.clear();
    if (const pda::PdrRecord* mac = pda_.findRecord(pda::kPdrMacAddress);
        mac != nullptr && mac->length() == 4 && mac->data().size() >= 3) {
        const auto data = mac->data();
        view_.pdaMacText = upperCase(pda::formatMac({data[0], data[1], data[2]}));
    }
    view_.pdaSerialText = textOfRecord(pda_, pda::kPdrSerialNumber);
    partNumberText_ = textOfRecord(pda_, pda::kPdrPartNumber);
    platformText_.clear();
    if (const pda::PdrRecord* platform = pda_.findRecord(pda::kPdrPlatform);
        platform != nullptr && platform->length() > 2 && !platform->data().empty()) {
        platformText_ = upperHex(platform->data()[0]);
    }
}

void MainWindow::setStatusText(const std::string& text) {
    view_.statusText = text;
    push();
}

void MainWindow::push() {
    view_.files = fileList_.rows();
    ui_.pushMainWindow(view_);
}

bool MainWindow::pull() {
    if (view_.statusText.size() > kStatusLimit) {
        ui_.messageBox(MessageBox{"Please enter no more than 180 characters.", std::nullopt,
                                  Owner::MainWindow, Buttons::Ok, Icon::Warning});
        return false;
    }
    options_.forceAllBlocks = view_.forceAllBlocks;
    options_.verifyDownloads = view_.verifyDownloads;
    return true;
}

void MainWindow::setCursor(Cursor cursor) {
    cursor_ = cursor;
    ui_.setCursor(cursor);
}

void MainWindow::showAbout() {
    ui_.showAbout();
}

void MainWindow::addFileByDialog() {
    const auto chosen = ui_.fileDialog(FileDialogRequest{
        FileDialogRequest::Kind::Open, "hex", "",
        "Firmware (*.hex, *.pda)|*.hex;*.pda|All Files (*.*)|*.*|", true, false, true});
    if (chosen) {
        addFiles({chosen->path});
    }
}

}  // namespace quillon::app
