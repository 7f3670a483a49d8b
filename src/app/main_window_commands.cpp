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

ui::Outcome MainWindow::restorePda(const std::string& path) {
    return pda::restorePda(*this, session_, pda_, options_, path, ui_);
}

ui::Outcome MainWindow::routeCommand(int command) {
    switch (command) {
        case kCmdContinue: {
            update::UpdateContext context{
                *this,    session_,         pda_, fileList_,
                options_, primarySupplier_, ui_,  dryRun_ ? &*dryRun_ : nullptr};
            lastPdaChanges_.clear();
            context.pdaChanges = &lastPdaChanges_;
            lastUpdate_ = update::updateCard(context);
            return lastUpdate_->outcome();
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
            return image::exportFirmwareImage(*this, session_, ui_);
        case kCmdFirmwareVersions:
            return card::showFirmwareVersions(*this, session_, ui_);
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
            return card::ridStressTest(*this, session_, ui_);
        case kCmdDisplayPda:
            return pda::displayPda(*this, session_, pda_, ui_);
        case kCmdClearPda:
        case kCmdClearPdaMenu:
            return pda::clearPda(*this, session_, pda_, options_, ui_);
        case kCmdModifyPda:
            return pda::modifyPda(*this, session_, pda_, options_, ui_);
        case kCmdSavePda:
            return pda::savePda(*this, pda_, ui_);
        case kCmdShowCis:
            return card::showCis(*this, session_, ui_);
        case kCmdMacType:
            return card::showMacType(*this, session_, ui_);
        case kCmdDriverVersion:
            return card::showDriverVersion(*this, session_, ui_);
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
    return ui::Outcome::success();
}

}  // namespace quillon::app
