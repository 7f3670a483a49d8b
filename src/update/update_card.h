// The program's main job: from "Continue" through the checks and the report to the person's
// answer, and on UPDATE the programming of the prepared images and the PDA.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "card/adapter_session.h"
#include "image/memory_image.h"
#include "pda/pda_image.h"
#include "ui/command_host.h"
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

// The "Continue" command.
void updateCard(UpdateContext& context);

// What the person accepted: the images in list order with the paths they came from, whether
// ".pda" files were merged, the card's PDA as read before they were, and the PDA to write (the
// one read with the ".pda" files merged into it).
struct PreparedUpdate {
    std::vector<image::MemoryImage*> images;
    std::vector<std::string> paths;
    bool pdaFilesMerged = false;
    const pda::PdaImage* pdaAsRead = nullptr;
    const pda::PdaImage* pda = nullptr;
};

// Programs the prepared images in order, then the PDA when ".pda" files were merged or a CIS
// image is queued, and tells the person the outcome. A copy of the PDA as read is saved before
// anything is written when the PDA will be; once the PDA write has taken, the context's PDA
// becomes the one written. Ends with the adapter released.
void executeUpdate(UpdateContext& context, const PreparedUpdate& prepared);

// Programs one image under the progress window; true when every block was written.
// The item names the image for the progress window.
bool downloadImage(UpdateContext& context, image::MemoryImage& image,
                   const ui::ProgressItem& item = {});

}  // namespace quillon::update
