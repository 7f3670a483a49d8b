// The routing of the main window's command identifiers to the commands of each subsystem. Every
// command that needs the card opens the selected adapter itself through ensureAdapterOpen.
#include "app/main_window.h"
#include "commands/card_reports.h"
#include "commands/firmware_export.h"
#include "commands/pda_commands.h"
#include "update/file_info_report.h"
#include "update/update_card.h"

namespace quillon::app {

using namespace quillon::ui;

void MainWindow::restorePda(const std::string& path) {
    pda::restorePda(*this, session_, pda_, options_, path, ui_);
}

void MainWindow::routeCommand(int command) {
    switch (command) {
        case kCmdContinue: {
            update::UpdateContext context{
                *this,    session_,         pda_, fileList_,
                options_, primarySupplier_, ui_,  dryRun_ ? &*dryRun_ : nullptr};
            lastPdaChanges_.clear();
            context.pdaChanges = &lastPdaChanges_;
            update::updateCard(context);
            break;
        }
        case kCmdAddFile:
            addFileByDialog();
            break;
        case kCmdRemoveFiles:
            fileList_.removeSelected();
            push();
            break;
        case kCmdShowInfo:
        case kCmdTestCommand:
            update::showFileInfo(fileList_, ui_);
            break;
        case kCmdExportFirmware:
            image::exportFirmwareImage(*this, session_, ui_);
            break;
        case kCmdFirmwareVersions:
            card::showFirmwareVersions(*this, session_, ui_);
            break;
        case kCmdCloseAdapter:
            closeSelectedAdapter();
            break;
        case kCmdDetectAdapters:
            closeSelectedAdapter();
            detectAdapters(false);
            break;
        case kCmdForceAllBlocks:
        case kCmdVerifyDownloads:
            pull();
            break;
        case kCmdAbout:
            showAbout();
            break;
        case kCmdRidStressTest:
            card::ridStressTest(*this, session_, ui_);
            break;
        case kCmdDisplayPda:
            pda::displayPda(*this, session_, pda_, ui_);
            break;
        case kCmdClearPda:
        case kCmdClearPdaMenu:
            pda::clearPda(*this, session_, pda_, options_, ui_);
            break;
        case kCmdModifyPda:
            pda::modifyPda(*this, session_, pda_, options_, ui_);
            break;
        case kCmdSavePda:
            pda::savePda(*this, pda_, ui_);
            break;
        case kCmdShowCis:
            card::showCis(*this, session_, ui_);
            break;
        case kCmdMacType:
            card::showMacType(*this, session_, ui_);
            break;
        case kCmdDriverVersion:
            card::showDriverVersion(*this, session_, ui_);
            break;
        case kCmdOk:
            // A status line the control cannot hold keeps the window open.
            if (pull()) {
                closed_ = true;
            }
            break;
        case kCmdClose:
            closed_ = true;
            break;
        default:
            break;
    }
}

}  // namespace quillon::app
