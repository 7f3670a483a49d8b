#include "commands/pda_commands.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "base/regular_file.h"
#include "card/card_memory.h"
#include "card/flash_programming.h"
#include "commands/pda_backup.h"
#include "commands/pda_settings_dialog.h"
#include "pda/pda_file.h"
#include "pda/pda_text.h"
#include "ui/message.h"

namespace quillon::pda {
namespace {

constexpr std::uint16_t kMacRecordLength = 4;
constexpr std::uint16_t kSerialRecordLength = 7;

constexpr const char* kNotRead =
    "PDA Update Failed. The card's PDA could not be read, so nothing was written to the card.";

// The card keeps running the PDA it loaded when it started; until it loads the new one, the
// next read (and so the next update) would find the old one.
constexpr const char* kNotLoaded =
    "PDA Update Failed. The new PDA was written to the card's flash, but the card did not load "
    "it and still runs its old PDA.\n\nPower-cycle the card (remove and insert it, or turn the "
    "computer off and on), then check its PDA (\"Display current PDA\", quillon-cli pda show) "
    "before updating it.";

constexpr const char* kClearFailed =
    "PDA Clear Failed. The card did not take the write: its PDA may be as it was or damaged.\n\n"
    "Check it (\"Display current PDA\", quillon-cli pda show); a copy kept before the clear can be "
    "written back (quillon-cli pda restore).";

enum class PdaWrite { Loaded, NotWritten, NotLoaded };

// Writes pda to the card and has the card load it (finish). Interrupts wait while the card is
// written: cut short, the write would leave the card's only PDA half written.
PdaWrite writeAndLoad(card::AdapterSession& session, const PdaImage& pda,
                      const ui::ProgrammingOptions& options, ui::UserInterface& ui) {
    ui.cardWriting(true);
    PdaWrite result = PdaWrite::NotWritten;
    if (card::writePda(session, pda, options.forceAllBlocks, options.verifyDownloads)) {
        result = session.finish() ? PdaWrite::Loaded : PdaWrite::NotLoaded;
    }
    ui.cardWriting(false);
    return result;
}

ui::Outcome outcomeOf(PdaWrite written) {
    switch (written) {
        case PdaWrite::Loaded:
            return ui::Outcome::success();
        case PdaWrite::NotLoaded:
            return ui::Outcome::failed(
                "The new PDA was written to the card's flash, but the card did not load it.");
        case PdaWrite::NotWritten:
            break;
    }
    return ui::Outcome::failed("PDA Update Failed. Unable to write to card.");
}

std::string tooLarge(const PdaImage& pda) {
    return "PDA Update Failed. The PDA would take " + std::to_string(pda.flatSize()) +
           " words; the card holds " + std::to_string(kPdaWordLimit) +
           ". Nothing was written to the card.";
}

using ui::tell;

constexpr const char* kNotOpened = "The card could not be opened.";
constexpr const char* kNoCopy = "No copy of the card's PDA could be kept; nothing was written.";

template <std::size_t N>
void insert(PdaImage& pda, std::uint16_t length, std::uint16_t code,
            const std::array<std::uint16_t, N>& data) {
    std::vector<std::uint16_t> words{length, code};
    words.insert(words.end(), data.begin(), data.end());
    pda.insertRecord(words);
}

// Before a write that may go over a PDA that did not read (clear, restore): keeps a copy of a
// PDA that was read, or says that there is none to keep. False, with the adapter released,
// when the copy could not be kept: then nothing may be written.
bool keepCopyOrUnread(ui::CommandHost& host, const PdaImage& pda,
                      const ui::ProgrammingOptions& options, ui::UserInterface& ui) {
    if (!pda.readFromCard()) {
        ui.notice("The card's PDA could not be read: no copy of it was kept.");
        return true;
    }
    if (backUpPda(pda, options.pdaBackupFolder, ui)) {
        return true;
    }
    host.releaseAdapter();
    host.refreshControls();
    return false;
}

// The card's identity is about to change: the person sees the values once more and says so.
// Enter keeps the card as it is.
bool confirmIdentity(const PdaSettingsDialog& dialog, ui::UserInterface& ui) {
    ui::MessageBox question =
        ui::windowBox("Write MAC Address " + dialog.macText() + " and Serial Number " +
                          dialog.serialText() + " to the card's PDA?",
                      "View / Modify PDA Settings", ui::Icon::Question, ui::Buttons::YesNo,
                      ui::Question::Confirmation);
    question.stopsByDefault = true;
    return ui.messageBox(question) == ui::Answer::Yes;
}

}  // namespace

std::string pdaListing(const PdaImage& pda) {
    std::array<std::uint16_t, kFlatPdaWords> words{};
    const std::size_t count = pda.flatten(words);
    std::string text;
    std::size_t recordStart = 0;
    while (recordStart < count) {
        // Each record is its length word and that many words more; the flattened list was
        // built from whole records, but the walk stays inside what flatten wrote regardless.
        const std::size_t end = std::min<std::size_t>(count, recordStart + words[recordStart] + 1);
        if (recordStart != 0) {
            text += "\r\n";
        }
        for (std::size_t i = recordStart; i < end; ++i) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "%x ", static_cast<unsigned>(words[i]));
            text += hex;
        }
        recordStart = end;
    }
    return text;
}

ui::Outcome modifyPda(ui::CommandHost& host, card::AdapterSession& session, PdaImage& pda,
                      const ui::ProgrammingOptions& options, ui::UserInterface& ui) {
    // Only the card's own records may go back to it: written over an unread PDA, the new MAC
    // address and serial number would be all the card has left.
    if (!pda.readFromCard()) {
        tell(ui, kNotRead, "PDA Update", ui::Icon::Error);
        host.refreshControls();
        return ui::Outcome::refused(kNotRead);
    }
    ui::Outcome outcome = ui::Outcome::cancelled();
    PdaSettingsDialog dialog(host.pdaMacText(), host.pdaSerialText());
    if (ui.runPdaSettingsDialog(dialog) && confirmIdentity(dialog, ui)) {
        const PdaImage asRead = pda;
        // An unchanged MAC text keeps the record the card has, whatever its shape; the serial
        // number is always written back in its six-word form.
        if (dialog.macText() != host.pdaMacText()) {
            if (const auto mac = parseMac(dialog.macText())) {
                insert(pda, kMacRecordLength, kPdrMacAddress, *mac);
            }
        }
        insert(pda, kSerialRecordLength, kPdrSerialNumber, packSerial(dialog.serialText()));

        if (!pda.fitsOnCard()) {
            pda = asRead;
            outcome = ui::Outcome::refused(tooLarge(pda));
            tell(ui, outcome.reason, "PDA Update", ui::Icon::Error);
        } else if (host.ensureAdapterOpen(true)) {
            if (!backUpPda(asRead, options.pdaBackupFolder, ui)) {
                pda = asRead;
                host.releaseAdapter();
                host.refreshControls();
                return ui::Outcome::failed(kNoCopy);
            }
            const PdaWrite written = writeAndLoad(session, pda, options, ui);
            outcome = outcomeOf(written);
            host.releaseAdapter();
            if (written == PdaWrite::Loaded) {
                tell(ui,
                     "PDA Update Successful! You MUST reload station code for changes to take "
                     "effect.",
                     "PDA Update");
            } else if (written == PdaWrite::NotLoaded) {
                tell(ui, kNotLoaded, "PDA Update", ui::Icon::Error);
            } else {
                // The card did not take the write: the window keeps the PDA as it was read.
                pda = asRead;
                tell(ui, "PDA Update Failed. Unable to write to card.", "PDA Update");
            }
        } else {
            // A failed driver check leaves the adapter open; nothing was written, so the
            // window's PDA stays what the card holds.
            pda = asRead;
            host.releaseAdapter();
            outcome = ui::Outcome::failed(kNotOpened);
        }
    }
    host.refreshControls();
    return outcome;
}

ui::Outcome clearPda(ui::CommandHost& host, card::AdapterSession& session, PdaImage& pda,
                     const ui::ProgrammingOptions& options, ui::UserInterface& ui) {
    ui::Outcome outcome = ui::Outcome::cancelled();
    ui::MessageBox question = ui::windowBox(
        "Are you sure you want to clear the PDA? The card loses its MAC address and calibration "
        "data.",
        "Warning:", ui::Icon::None, ui::Buttons::OkCancel, ui::Question::Confirmation);
    // Nothing brings the card's identity back but the copy: Enter keeps it.
    question.stopsByDefault = true;
    if (ui.messageBox(question) == ui::Answer::Ok) {
        outcome = ui::Outcome::failed(kNotOpened);
        if (host.ensureAdapterOpen(true)) {
            // Clearing is the one write allowed over a PDA that did not read; there is then
            // nothing of the card's own to keep.
            if (!keepCopyOrUnread(host, pda, options, ui)) {
                return ui::Outcome::failed(kNoCopy);
            }
            const PdaImage asRead = pda;
            pda.clear();
            // What remains is the end record alone.
            const PdaWrite written = writeAndLoad(session, pda, options, ui);
            outcome = outcomeOf(written);
            host.releaseAdapter();
            if (written == PdaWrite::Loaded) {
                tell(ui, "PDA cleared. Set a valid MAC address before programming station code.",
                     std::nullopt);
            } else if (written == PdaWrite::NotLoaded) {
                tell(ui, kNotLoaded, "PDA Update", ui::Icon::Error);
            } else {
                // The card did not take the write: the window keeps the PDA as it was read.
                pda = asRead;
                tell(ui, kClearFailed, "PDA Update", ui::Icon::Error);
            }
        }
        host.releaseAdapter();
    }
    host.refreshControls();
    return outcome;
}

ui::Outcome displayPda(ui::CommandHost& host, card::AdapterSession& session, PdaImage& pda,
                       ui::UserInterface& ui) {
    if (!host.ensureAdapterOpen(false)) {
        host.releaseAdapter();
        return ui::Outcome::failed(kNotOpened);
    }
    const bool read = card::readPda(session, pda, ui);
    host.releaseAdapter();
    if (!read) {
        tell(ui, "PDA read was invalid", std::nullopt);
        return ui::Outcome::failed("PDA read was invalid");
    }
    ui::ReportRequest report;
    report.text = pdaListing(pda);
    report.acceptCaption = "Close";
    report.cancelCaption = "Close";
    report.title = "PDA:";
    ui.showReport(report);
    return ui::Outcome::success();
}

ui::Outcome savePda(ui::CommandHost& host, const PdaImage& pda, ui::UserInterface& ui) {
    // The card must still be there, but what is saved is the PDA as held in memory.
    const bool reachable = host.ensureAdapterOpen(false);
    host.releaseAdapter();
    if (!reachable) {
        return ui::Outcome::failed(kNotOpened);
    }
    if (pda.isEmpty()) {
        tell(ui, "Error - invalid PDA; File cannot be saved", "Error saving PDA", ui::Icon::Error);
        return ui::Outcome::refused("Error - invalid PDA; File cannot be saved");
    }
    ui::FileDialogRequest request;
    request.kind = ui::FileDialogRequest::Kind::Save;
    request.defaultExtension = "pda";
    request.initialName = host.pdaSerialText();
    request.filter = "PDA file (*.pda)|*.pda|All Files (*.*)|*.*|";
    request.fileMustExist = false;
    request.confirmOverwrite = true;
    request.hideReadOnly = true;
    const auto chosen = ui.fileDialog(request);
    if (!chosen) {
        return ui::Outcome::cancelled();
    }
    if (!writePdaFile(pda, chosen->path)) {
        const std::string why = "Error - Unable to save file \"" + chosen->path + "\"";
        tell(ui, why, "Error saving PDA", ui::Icon::Error);
        return ui::Outcome::failed(why);
    }
    return ui::Outcome::success();
}

ui::Outcome restorePda(ui::CommandHost& host, card::AdapterSession& session, PdaImage& pda,
                       const ui::ProgrammingOptions& options, const std::string& path,
                       ui::UserInterface& ui) {
    PdaImage restored;
    // A missing file (or a FIFO, a device) is named as such, not taken for a bad format.
    if (const std::string why = whyNotAFile(path); !why.empty()) {
        ui.fileNotRead(path, why);
        tell(ui, "Error - \"" + path + "\": " + why + " Nothing was written to the card.", "Error",
             ui::Icon::Error);
        return ui::Outcome::refused("\"" + path + "\": " + why);
    }
    if (!loadPdaFile(restored, path, ui)) {
        tell(ui, "Error loading " + path, "Error", ui::Icon::Error);
        return ui::Outcome::refused("Error loading " + path);
    }
    if (restored.isEmpty()) {
        const std::string why =
            "Error - \"" + path + "\" holds no PDA records. Nothing was written to the card.";
        tell(ui, why, "Error", ui::Icon::Error);
        return ui::Outcome::refused(why);
    }
    if (!restored.fitsOnCard()) {
        tell(ui, tooLarge(restored), "PDA Update", ui::Icon::Error);
        return ui::Outcome::refused(tooLarge(restored));
    }
    if (!ui::confirm(ui, "Are you sure you want to replace the card's PDA with \"" + path + "\"?",
                     "Warning:")) {
        host.refreshControls();
        return ui::Outcome::cancelled();
    }
    if (!host.ensureAdapterOpen(true)) {
        host.releaseAdapter();
        host.refreshControls();
        return ui::Outcome::failed(kNotOpened);
    }
    if (!keepCopyOrUnread(host, pda, options, ui)) {
        return ui::Outcome::failed(kNoCopy);
    }
    const PdaWrite written = writeAndLoad(session, restored, options, ui);
    const ui::Outcome outcome = outcomeOf(written);
    host.releaseAdapter();
    if (written != PdaWrite::NotWritten) {
        // The card's flash holds the restored PDA, loaded or not.
        pda = restored;
        pda.setReadFromCard(true);
    }
    if (written == PdaWrite::Loaded) {
        tell(ui,
             "PDA restored from \"" + path +
                 "\". You MUST reload station code for changes to take effect.",
             "PDA Update");
    } else if (written == PdaWrite::NotLoaded) {
        tell(ui, kNotLoaded, "PDA Update", ui::Icon::Error);
    } else {
        tell(ui, "PDA Update Failed. Unable to write to card.", "PDA Update");
    }
    host.refreshControls();
    return outcome;
}

bool writePdaAfterUpdate(card::AdapterSession& session, const PdaImage& pda,
                         const ui::ProgrammingOptions& options, ui::UserInterface& ui) {
    if (!pda.readFromCard() || !pda.fitsOnCard()) {
        tell(ui, "PDA Update FAILED", "PDA Update Complete");
        return false;
    }
    ui.setCursor(ui::Cursor::Wait);
    ui.enableMainWindow(false);
    // No finish here: the update sends the one request that has the card start again, after
    // the PDA too is written; a failed write leaves the card running what it loaded before.
    const bool written =
        card::writePda(session, pda, options.forceAllBlocks, options.verifyDownloads);
    if (!written) {
        tell(ui, "PDA Update FAILED", "PDA Update Complete");
    }
    ui.enableMainWindow(true);
    ui.setCursor(ui::Cursor::Arrow);
    return written;
}

}  // namespace quillon::pda
