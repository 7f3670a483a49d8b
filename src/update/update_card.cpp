#include "update/update_card.h"

#include <filesystem>
#include <memory>
#include <vector>

#include "base/file_path.h"
#include "card/card_identity.h"
#include "card/card_memory.h"
#include "image/firmware_info.h"
#include "image/image_writer.h"
#include "image/plug_list.h"
#include "pda/pda_file.h"
#include "pda/pdr_plugging.h"
#include "pda/set_point.h"
#include "ui/message.h"
#include "ui/report_text.h"
#include "update/pda_changes.h"

namespace quillon::update {
namespace {

constexpr const char* kPdaWithoutStation =
    "Please note that PDA changes will not take effect without updating station code.\n\n"
    "For cards using Small Serial Flash: disconnect and reconnect\n"
    "the device (or reboot) so the driver will unload and reload.\n\n"
    "For other cards, Station firmware must be reloaded.\n\nContinue?";

constexpr const char* kSection = "---------------------\n";

constexpr const char* kPdaNotRead =
    "{+r}The card's PDA could not be read: \".pda\" files and a CIS image cannot be applied, "
    "and nothing will write the card's PDA.\n{+k}";

using ui::windowBox;

// One queued firmware file as this run loaded it.
struct FirmwareSlot {
    std::string path;
    image::FirmwareInfo info;
    image::MemoryImage image;
};

bool listHolds(const UpdateFileList& files, FileType type) {
    return files.findFirstOfType(type) >= 0;
}

UpdateOutcome ended(UpdateEnding ending, std::string reason = {}) {
    UpdateOutcome outcome;
    outcome.ending = ending;
    outcome.reason = std::move(reason);
    return outcome;
}

// The combinations of files the card cannot take, refused before the card is touched. False,
// with the outcome set, when the update goes no further.
bool acceptCombination(UpdateContext& c, UpdateOutcome& outcome) {
    if (listHolds(c.files, StationFirmware) || listHolds(c.files, PrimaryAndStation)) {
        return true;
    }
    if (listHolds(c.files, PdaFile)) {
        const ui::Answer answer =
            c.ui.messageBox(windowBox(kPdaWithoutStation, "Warning", ui::Icon::Warning,
                                      ui::Buttons::YesNo, ui::Question::Confirmation));
        if (answer != ui::Answer::Yes) {
            c.host.setStatusText("User cancelled download.");
            outcome = ended(UpdateEnding::Cancelled, "User cancelled download.");
            return false;
        }
    }
    if (listHolds(c.files, PrimaryFirmware)) {
        c.ui.messageBox(windowBox("Error - Card requires Station code when updating Primary.",
                                  "Error", ui::Icon::Error));
        c.host.setStatusText("Add Station code to the list.");
        outcome = ended(UpdateEnding::Refused,
                        "Error - Card requires Station code when updating Primary.");
        return false;
    }
    return true;
}

// Re-reads the card's PDA and starts the report with what the card says about itself. False
// when the PDA did not read: the update then never writes it.
bool readCard(UpdateContext& c, std::string& report) {
    if (!card::readPda(c.session, c.pda, c.ui)) {
        c.pda.clear();
        c.host.setStatusText("PDA read error! The card's PDA will not be written.");
        report = kPdaNotRead;
        return false;
    }
    c.host.refreshControls();
    std::string versions;
    card::readCardVersions(c.session, c.host.selectedAdapterIndex(), versions);
    report = "{+db}Product Part Number: " + c.host.partNumberText() +
             "\n  Serial Number: " + c.host.pdaSerialText() +
             "\n  MAC Address: " + c.host.pdaMacText() + "\n  Platform: " + c.host.platformText() +
             "\n  Current firmware version: " + versions + "\n{+k}";
    return true;
}

// The card's primary supplier range, or the whole range when it cannot be read and the person
// goes on. False when the person gives up.
bool readSupplierRange(UpdateContext& c) {
    image::ComponentRange range;
    if (card::readRange(c.session, card::kRidPrimarySupplierRange, range)) {
        c.primarySupplier.bottom = range.bottom;
        c.primarySupplier.top = range.top;
        return true;
    }
    const ui::Answer answer = c.ui.messageBox(
        windowBox("Unable to read Primary Supplier Range RID. Continue anyway?", "RID read error",
                  ui::Icon::Question, ui::Buttons::OkCancel, ui::Question::AfterFailure));
    if (answer != ui::Answer::Ok) {
        return false;
    }
    c.primarySupplier = SupplierRange{0, 0xFFFF};
    return true;
}

// Merges the leading ".pda" files into the PDA and derives the set-point and integrator
// records. The number of files merged, or -1 after telling the person why it stopped.
int mergePdaFiles(UpdateContext& c, pda::PdaImage& working, std::string& report, std::string& why) {
    int merged = 0;
    for (int i = 0; i < c.files.count() && hasPdaExtension(c.files.pathAt(i)); ++i) {
        const std::string path = c.files.pathAt(i);
        if (!pda::loadPdaFile(working, path, c.ui)) {
            c.host.releaseAdapter();
            why = "Error loading " + path;
            c.ui.messageBox(windowBox(why, "Error", ui::Icon::Error));
            return -1;
        }
        ++merged;
    }
    if (merged == 0) {
        return 0;
    }
    report += kSection + std::to_string(merged) + " PDA file(s) Loaded OK\n";
    const int derived = pda::deriveSetPointAndIntegrator(working);
    if (derived > 0) {
        report += "{+g}Set Point and Integrator Values Calculated.\n{+k}";
    } else if (derived == 0) {
        report += "No Set Point and Integrator Values.\n";
    } else {
        c.host.releaseAdapter();
        why = "Set Point and Integrator values could not be set";
        c.ui.messageBox(windowBox(why, "ERROR", ui::Icon::Error));
        return -1;
    }
    return merged;
}

// Reads every queued firmware file afresh and plugs the card's production data into it.
// False after telling the person which file did not load.
bool loadFirmware(UpdateContext& c, const pda::PdaImage& working, int first, image::PlugList& plugs,
                  std::vector<std::unique_ptr<FirmwareSlot>>& slots, std::string& why) {
    for (int i = first; i < c.files.count(); ++i) {
        auto slot = std::make_unique<FirmwareSlot>();
        slot->path = c.files.pathAt(i);
        // The plug list gathers the records of every file loaded so far, and plugging walks
        // them all; records aimed at another file's addresses change nothing here.
        if (slot->info.readFile(slot->path, &slot->image, &plugs, c.ui) == 0) {
            c.host.releaseAdapter();
            why = "Error - Unable to load file  \"" + slot->path + "\"";
            c.ui.messageBox(
                windowBox(why + "\n\nCannot Continue.", "Cannot Continue", ui::Icon::Error));
            return false;
        }
        pda::plugImage(slot->image, plugs, working, slot->path);
        slots.push_back(std::move(slot));
    }
    return true;
}

// The per-file and cross-file checks; appends their findings and returns the verdict.
bool checkFiles(UpdateContext& c, const pda::PdaImage& working,
                const std::vector<std::unique_ptr<FirmwareSlot>>& slots, bool pdaRead,
                std::string& report) {
    for (const auto& slot : slots) {
        report += std::string(kSection) + "Source File: \"" + slot->path + "\"\n";
        if (!checkPlatformAndVersions(slot->info, working, c.session, report, c.ui, pdaRead)) {
            c.host.releaseAdapter();
            return false;
        }
        if (!checkFlashImage(slot->image, report) ||
            !checkPdaAreaUntouched(slot->image, c.session, report)) {
            c.host.releaseAdapter();
            return false;
        }
    }
    std::vector<const image::FirmwareInfo*> infos;
    for (const auto& slot : slots) {
        infos.push_back(&slot->info);
    }
    std::string message;
    if (!checkCompatibility(infos, c.primarySupplier, message)) {
        report += "\n{+r}" + message + "{+k}";
        return false;
    }
    return true;
}

// The dry run's end: what the update would write, written to files instead of the card. The
// images are numbered in programming order, the PDA (written last) after them.
void writeDryRun(UpdateContext& c, const pda::PdaImage& working,
                 const std::vector<std::unique_ptr<FirmwareSlot>>& slots, bool writesPda,
                 UpdateOutcome& outcome) {
    c.host.releaseAdapter();
    std::string text = "Nothing was written to the card.";
    const std::string& folder = c.dryRun->folder;
    if (!folder.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(filePath(folder), ec);
        text += "\nWould be written, in this order:";
        int n = 0;
        for (const auto& slot : slots) {
            const std::string name =
                std::to_string(++n) + "-" + pathText(filePath(slot->path).stem()) + ".hex";
            const std::string path = pathText(filePath(folder) / name);
            if (image::writeHexFile(path, slot->image, nullptr) == 0) {
                outcome.ending = UpdateEnding::WriteFailed;
                outcome.reason = "Cannot write " + path;
                c.ui.messageBox(windowBox(outcome.reason, "Dry Run", ui::Icon::Error));
                return;
            }
            outcome.filesWritten.push_back(path);
            text += "\n" + path;
        }
        if (writesPda) {
            const std::string path =
                pathText(filePath(folder) / (std::to_string(++n) + "-pda.pda"));
            if (!pda::writePdaFile(working, path)) {
                outcome.ending = UpdateEnding::WriteFailed;
                outcome.reason = "Cannot write " + path;
                c.ui.messageBox(windowBox(outcome.reason, "Dry Run", ui::Icon::Error));
                return;
            }
            outcome.filesWritten.push_back(path);
            text += "\n" + path;
        }
    }
    outcome.ending = UpdateEnding::Succeeded;
    c.ui.messageBox(windowBox(text, "Dry Run", ui::Icon::Information));
}

}  // namespace

ui::Outcome UpdateOutcome::outcome() const {
    switch (ending) {
        case UpdateEnding::Succeeded:
            return ui::Outcome::success();
        case UpdateEnding::Refused:
            return ui::Outcome::refused(reason);
        case UpdateEnding::Cancelled:
            return ui::Outcome::cancelled(reason);
        case UpdateEnding::Stopped:
            return ui::Outcome::stopped(reason);
        case UpdateEnding::WriteFailed:
        case UpdateEnding::ResetFailed:
            break;
    }
    return ui::Outcome::failed(reason);
}

std::string_view updateEndingName(UpdateEnding ending) {
    switch (ending) {
        case UpdateEnding::Succeeded:
            return "succeeded";
        case UpdateEnding::Refused:
            return "refused";
        case UpdateEnding::Cancelled:
            return "cancelled";
        case UpdateEnding::WriteFailed:
            return "write-failed";
        case UpdateEnding::Stopped:
            return "stopped";
        case UpdateEnding::ResetFailed:
            return "reset-failed";
    }
    return "write-failed";
}

UpdateOutcome updateCard(UpdateContext& c) {
    if (c.files.count() == 0) {
        c.ui.messageBox(windowBox("You must select at least one file to update card",
                                  "No files selected", ui::Icon::Information));
        return ended(UpdateEnding::Refused, "You must select at least one file to update card");
    }
    UpdateOutcome outcome;
    if (!acceptCombination(c, outcome)) {
        return outcome;
    }
    if (!c.host.ensureAdapterOpen(true)) {
        // A failed driver check leaves the adapter open; it is never kept open.
        c.host.releaseAdapter();
        c.host.refreshControls();
        return ended(UpdateEnding::Refused, "The card could not be opened for the update.");
    }

    std::string report;
    const bool pdaRead = readCard(c, report);
    if (!readSupplierRange(c)) {
        c.host.releaseAdapter();
        return ended(UpdateEnding::Cancelled, "Unable to read Primary Supplier Range RID.");
    }
    // The ".pda" files and the derived values go into the update's own copy: the window's PDA
    // stays what the card holds until a write of the merged one has taken.
    pda::PdaImage working = c.pda;
    std::string why;
    const int pdaFileCount = mergePdaFiles(c, working, report, why);
    if (pdaFileCount < 0) {
        return ended(UpdateEnding::Refused, why);
    }
    // Whatever the update would change of the card's identity is said before UPDATE.
    const std::vector<PdaChange> changes =
        pdaRead && pdaFileCount > 0 ? pdaChanges(c.pda, working) : std::vector<PdaChange>();
    report += pdaChangesReport(changes);
    if (c.pdaChanges != nullptr) {
        *c.pdaChanges = changes;
    }
    if (c.files.count() > kUpdateFileLimit) {
        c.host.releaseAdapter();
        c.ui.messageBox(windowBox("Error - Too many files at once\n\nAn update takes at most " +
                                      std::to_string(kUpdateFileLimit) + " files; " +
                                      std::to_string(c.files.count()) + " are queued.",
                                  "Error", ui::Icon::Error));
        return ended(UpdateEnding::Refused, "Error - Too many files at once");
    }

    image::PlugList plugs;
    std::vector<std::unique_ptr<FirmwareSlot>> slots;
    if (!loadFirmware(c, working, pdaFileCount, plugs, slots, why)) {
        return ended(UpdateEnding::Refused, why);
    }
    bool filesOk = checkFiles(c, working, slots, pdaRead, report);
    // A PDA that was not read is never written: neither merged ".pda" files nor the write that
    // follows a CIS image can be applied.
    const bool writesPda = pdaFileCount > 0 || listHolds(c.files, CisImage);
    if (!pdaRead && writesPda) {
        report += std::string("\n") + kPdaNotRead;
        filesOk = false;
    }
    if (pdaRead && writesPda && !working.fitsOnCard()) {
        report += "\n{+r}Error - the merged PDA takes " + std::to_string(working.flatSize()) +
                  " words; the card holds " + std::to_string(pda::kPdaWordLimit) + ".{+k}";
        filesOk = false;
    }
    report += filesOk ? "\n{+g}Files OK - hit UPDATE to start the update process.{+k}"
                      : "\n{+r}** Error encountered - update not allowed **{+k}";

    ui::ReportRequest request;
    request.text = report;
    request.acceptCaption = "UPDATE";
    request.cancelCaption = "CANCEL";
    request.title = "Update Information";
    request.acceptShown = filesOk;
    c.ui.enableMainWindow(false);
    const bool accepted = c.ui.showReport(request);
    c.ui.enableMainWindow(true);

    outcome.report = report;
    outcome.findings = ui::reportFindings(report);
    outcome.filesOk = filesOk;
    outcome.accepted = accepted && filesOk;
    if (!filesOk) {
        outcome.ending = UpdateEnding::Refused;
        outcome.reason = "** Error encountered - update not allowed **";
    } else if (!accepted) {
        outcome.ending = UpdateEnding::Cancelled;
    } else if (c.dryRun != nullptr) {
        writeDryRun(c, working, slots, writesPda, outcome);
        c.host.refreshControls();
        return outcome;
    } else {
        PreparedUpdate prepared;
        for (const auto& slot : slots) {
            prepared.images.push_back(&slot->image);
            prepared.paths.push_back(slot->path);
        }
        prepared.pdaFilesMerged = pdaFileCount > 0;
        prepared.pdaAsRead = &c.pda;
        prepared.pda = &working;
        executeUpdate(c, prepared, outcome);
        return outcome;
    }
    c.host.releaseAdapter();
    c.host.refreshControls();
    return outcome;
}

}  // namespace quillon::update
