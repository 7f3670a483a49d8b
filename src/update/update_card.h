// The program's main job: from "Continue" through the checks and the report to the person's
// answer, and on UPDATE the programming of the prepared images and the PDA.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "card/adapter_session.h"
#include "image/memory_image.h"
#include "pda/pda_image.h"
#include "ui/command_host.h"
#include "ui/job_progress.h"
#include "ui/outcome.h"
#include "ui/user_interface.h"
#include "update/compatibility_checks.h"
#include "update/pda_changes.h"
#include "update/update_file_list.h"

namespace quillon::update {

// An update takes at most this many queued files, ".pda" files included.
constexpr int kUpdateFileLimit = 9;

// A dry run: every check and the report as in a real update, then, where the update would
// program the card, the plugged images (in programming order) and the PDA it would write go to
// files in folder instead (nowhere when folder is empty). Nothing is written to the card.
struct DryRun {
    std::string folder;
};

// What the update works on: the main window's lasting state, by reference.
struct UpdateContext {
    ui::CommandHost& host;
    card::AdapterSession& session;
    pda::PdaImage& pda;
    const UpdateFileList& files;
    const ui::ProgrammingOptions& options;
    SupplierRange& primarySupplier;
    ui::UserInterface& ui;
    const DryRun* dryRun = nullptr;  // set for a dry run
    // Receives, when set, the PDA records the update would change (see pdaChanges).
    std::vector<PdaChange>* pdaChanges = nullptr;
};

// How an update ended.
enum class UpdateEnding {
    Succeeded,    // every image and the PDA written, the card reset (a dry run: files written)
    Refused,      // refused before anything was written: the files, the checks, the list
    Cancelled,    // the person declined a question or the report
    WriteFailed,  // the card, or a dry run's folder, failed while being written
    Stopped,      // the person stopped the card writes
    ResetFailed,  // everything written, but the card did not start again
};

// What an update did, for the faces: the ending, the report as the window showed it and its
// findings, and the images written whole.
struct UpdateOutcome {
    UpdateEnding ending = UpdateEnding::Refused;
    std::string reason;  // one line for any ending but Succeeded; empty when a box said it
    std::string report;  // the report's text with its colour markup; empty when none was made
    std::vector<ui::Finding> findings;
    bool filesOk = false;                    // every check passed and UPDATE was offered
    bool accepted = false;                   // UPDATE was answered
    std::vector<std::string> imagesWritten;  // the paths of the images written whole, in order
    std::vector<std::string> filesWritten;   // a dry run's files, in programming order

    // The ending in the words every command's outcome uses.
    ui::Outcome outcome() const;
};

// "succeeded", "refused", "cancelled", "write-failed", "stopped" or "reset-failed".
std::string_view updateEndingName(UpdateEnding ending);

// The "Continue" command.
UpdateOutcome updateCard(UpdateContext& context);

// What the person accepted: the images in list order with the paths they came from, whether
// ".pda" files were merged, and the card's PDA as read before they were.
struct PreparedUpdate {
    std::vector<image::MemoryImage*> images;
    std::vector<std::string> paths;
    bool pdaFilesMerged = false;
    const pda::PdaImage* pdaAsRead = nullptr;
    // The PDA to write: the one read with the ".pda" files merged into it.
    const pda::PdaImage* pda = nullptr;
};

// Programs the prepared images in order, then the PDA when ".pda" files were merged or a CIS
// image is queued, and tells the person the outcome. A copy of the PDA as read is saved before
// anything is written when the PDA will be. Ends with the adapter released.
// The outcome's ending, reason and images written are set; the rest is left as it was.
void executeUpdate(UpdateContext& context, const PreparedUpdate& prepared, UpdateOutcome& outcome);

// Programs one image under the update's progress window; true when every block was written.
// The item names the image for the window; the job, when given, is the whole update the
// window's bar stands for.
bool downloadImage(UpdateContext& context, image::MemoryImage& image, const ui::ProgressItem& item,
                   ui::ProgressWindow& window, ui::JobProgress* job = nullptr);

}  // namespace quillon::update
