// The program's main job: from "Continue" through the checks and the report to the person's
// answer, and on UPDATE the programming of the prepared images and the PDA.
#pragma once

#include <span>
#include <string>

#include "card/adapter_session.h"
#include "image/memory_image.h"
#include "pda/pda_image.h"
#include "ui/command_host.h"
#include "ui/user_interface.h"
#include "update/compatibility_checks.h"
#include "update/update_file_list.h"

namespace quillon::update {

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
};

// The "Continue" command.
void updateCard(UpdateContext& context);

// Programs the prepared images in order, then the PDA when ".pda" files were merged or a CIS
// image is queued, and tells the person the outcome. Ends with the adapter released.
void executeUpdate(UpdateContext& context, std::span<image::MemoryImage* const> images,
                   bool pdaFilesMerged);

// Programs one image under the progress window; true when every block was written.
bool downloadImage(UpdateContext& context, image::MemoryImage& image);

}  // namespace quillon::update
