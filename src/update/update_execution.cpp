// The second half of an update: programming the prepared images one after the other, the PDA
// last, and telling the person the outcome.
#include <array>
#include <filesystem>

#include "base/file_path.h"
#include "card/flash_programming.h"
#include "commands/pda_backup.h"
#include "commands/pda_commands.h"
#include "ui/message.h"
#include "update/update_card.h"

namespace quillon::update {
namespace {

using ui::windowBox;

constexpr const char* kResetFailed =
    "Update failed: the card did not reset and still runs its old firmware.\n\n"
    "Power-cycle the card (remove and insert it, or turn the computer off and on) to start the "
    "new firmware.";

constexpr const char* kWriteFailed = "Update failed while writing to card!";

constexpr const char* kWhatToDo =
    "Run the update again before removing the card. If the card does not answer, power-cycle it "
    "(remove and insert it, or turn the computer off and on) and run the update again.";

std::string quotedPaths(const PreparedUpdate& prepared, std::size_t from, std::size_t to) {
    std::string text;
    for (std::size_t i = from; i < to && i < prepared.paths.size(); ++i) {
        text += (text.empty() ? "\"" : ", \"") + prepared.paths[i] + "\"";
    }
    return text;
}

// What the card holds after a failed write, and what to do: the images written, the one
// not completely written (failedImage; the image count when every image was written and the
// PDA failed) and those not started.
std::string writeFailure(const PreparedUpdate& prepared, std::size_t failedImage) {
    const std::size_t count = prepared.images.size();
    std::string text = std::string(kWriteFailed) + "\n\n";
    if (failedImage > 0) {
        text += "Written: " + quotedPaths(prepared, 0, failedImage) + ".\n";
    }
    if (failedImage < count) {
        text += "Not completely written: " + quotedPaths(prepared, failedImage, failedImage + 1) +
                ".\n";
        if (failedImage + 1 < count) {
            text += "Not started: " + quotedPaths(prepared, failedImage + 1, count) + ".\n";
        }
        text += "The card's firmware is incomplete and the card was not reset.\n\n";
    } else {
        text +=
            "The card's PDA was not written completely; a copy of the PDA as read was "
            "saved before the update.\n\n";
    }
    return text + kWhatToDo;
}

void probe(card::AdapterSession& session) {
    std::array<std::uint8_t, 8> buffer{};
    session.probeDriver(buffer);
}

}  // namespace

bool downloadImage(UpdateContext& c, image::MemoryImage& image, const ui::ProgressItem& item) {
    if (!c.session.isOpen()) {
        c.ui.messageBox(windowBox("Error: Adapter is not open.", std::nullopt));
        return false;
    }
    // An image with an execution address runs from the card's RAM; it has no place in flash.
    if (image.hasExecutionAddress() && image.executionAddress() != 0) {
        c.ui.messageBox(windowBox("Sorry, RAM downloads are not supported.", "Cannot Continue",
                                  ui::Icon::Error));
        return false;
    }

    c.ui.showMainWindow(false);
    std::unique_ptr<ui::ProgressWindow> progress = c.ui.createProgressWindow();
    c.ui.enableMainWindow(false);
    progress->centre();
    progress->show();
    progress->setText("Flash update in progress...");
    ui::ProgressItem shown = item;
    shown.verifying = c.options.verifyDownloads;
    progress->setItem(shown);
    progress->showText();
    c.ui.setCursor(ui::Cursor::Wait);

    const bool ok = card::programImage(c.session, image, &progress->bar(), c.options.forceAllBlocks,
                                       c.options.verifyDownloads, true, c.ui, item.name);

    progress->setOutcome(ok ? ui::ProgressWindow::Outcome::Succeeded
                            : ui::ProgressWindow::Outcome::Failed);
    progress->hide();
    c.ui.setCursor(ui::Cursor::Arrow);
    c.ui.enableMainWindow(true);
    c.ui.showMainWindow(true);
    c.host.setStatusText(ok ? "Update Successful!" : "Update FAILED");
    c.host.refreshControls();
    progress.reset();
    return ok;
}

void executeUpdate(UpdateContext& c, const PreparedUpdate& prepared, UpdateOutcome& outcome) {
    const bool writesPda = prepared.pdaFilesMerged || c.files.findFirstOfType(CisImage) >= 0;
    // The copy comes before anything is written, so that a refused copy leaves the card whole.
    if (writesPda) {
        if (prepared.pdaAsRead == nullptr || !prepared.pdaAsRead->readFromCard() ||
            !pda::backUpPda(*prepared.pdaAsRead, c.options.pdaBackupFolder, c.ui)) {
            c.host.releaseAdapter();
            c.ui.messageBox(windowBox(
                std::string(kWriteFailed) + "\n\nNothing was written to the card.", std::nullopt));
            c.host.refreshControls();
            outcome.ending = UpdateEnding::WriteFailed;
            outcome.reason = "No copy of the card's PDA could be kept; nothing was written.";
            return;
        }
    }

    probe(c.session);

    c.ui.cardWriting(true);
    bool ok = true;
    std::size_t stoppedAt = prepared.images.size();
    std::size_t failedAt = prepared.images.size();
    for (std::size_t i = 0; i < prepared.images.size(); ++i) {
        image::MemoryImage* image = prepared.images[i];
        if (c.ui.stopRequested()) {
            stoppedAt = i;
            break;
        }
        ui::ProgressItem item;
        if (i < prepared.paths.size()) {
            item.name = pathText(filePath(prepared.paths[i]).filename());
        }
        item.number = static_cast<int>(i) + 1;
        item.count = static_cast<int>(prepared.images.size());
        item.bytes = image == nullptr ? 0 : image->totalBytes();
        if (image == nullptr || !downloadImage(c, *image, item)) {
            ok = false;
            failedAt = i;
            if (c.ui.stopRequested()) {
                stoppedAt = i;
            }
            break;
        }
        outcome.imagesWritten.push_back(i < prepared.paths.size() ? prepared.paths[i]
                                                                  : std::string());
    }
    if (stoppedAt < prepared.images.size()) {
        // Stopped by the person: the card takes its protocols back and is let go, and the
        // person learns which image is incomplete before the card is removed.
        c.ui.cardWriting(false);
        c.session.setProtocolBlock(false);
        c.host.releaseAdapter();
        const std::string name =
            stoppedAt < prepared.paths.size() ? prepared.paths[stoppedAt] : std::string("an image");
        c.host.setStatusText("Update stopped: the card's firmware is incomplete.");
        outcome.ending = UpdateEnding::Stopped;
        outcome.reason = "Update stopped: \"" + name +
                         "\" was not completely written, so the card's firmware is incomplete.";
        c.ui.messageBox(
            windowBox(outcome.reason + "\n\nRun the update again before removing the card.",
                      "Update Stopped", ui::Icon::Error));
        c.host.refreshControls();
        return;
    }
    // The PDA goes last, after every image: when ".pda" files changed it, and with every CIS
    // image, so that the card's identity is written as one whole.
    if (ok && writesPda) {
        const pda::PdaImage& written = prepared.pda != nullptr ? *prepared.pda : c.pda;
        ok = pda::writePdaAfterUpdate(c.session, written, c.options, c.ui);
        if (ok) {
            // The card now holds the merged PDA: from here on it is the card's own.
            c.pda = written;
        }
    }
    c.ui.cardWriting(false);

    if (ok) {
        probe(c.session);
        c.session.setProtocolBlock(false);
        const bool reset = c.session.finish();
        c.host.releaseAdapter();
        if (reset) {
            outcome.ending = UpdateEnding::Succeeded;
            c.ui.messageBox(
                windowBox("Update Successful!   ", "Update Complete", ui::Icon::Information));
        } else {
            // The new firmware is in flash, but the card goes on running the old one until
            // it starts again.
            c.host.setStatusText("Update FAILED: the card did not reset.");
            outcome.ending = UpdateEnding::ResetFailed;
            outcome.reason =
                "Update failed: the card did not reset and still runs its old firmware.";
            c.ui.messageBox(windowBox(kResetFailed, "Update Incomplete", ui::Icon::Error));
        }
    } else {
        // Images programmed before the failure stay programmed; the card is left blocked and
        // un-reset, as a failed programming run leaves it.
        c.host.releaseAdapter();
        outcome.ending = UpdateEnding::WriteFailed;
        outcome.reason = kWriteFailed;
        c.ui.messageBox(windowBox(writeFailure(prepared, failedAt), std::nullopt, ui::Icon::Error));
    }
    c.host.refreshControls();
}

}  // namespace quillon::update
