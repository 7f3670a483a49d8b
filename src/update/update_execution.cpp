// The second half of an update: programming the prepared images one after the other, the PDA
// last, and telling the person the outcome.
#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>

#include "base/file_path.h"
#include "card/flash_programming.h"
#include "commands/pda_backup.h"
#include "commands/pda_commands.h"
#include "ui/job_progress.h"
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

constexpr const char* kNotStarted =
    "Update not started: no copy of the card's PDA could be kept, and the update writes the "
    "PDA. Nothing was written to the card; it holds what it held before.";

constexpr const char* kNotStartedWhatToDo =
    "Let the copy be saved (the folder for PDA copies must exist as a folder you may write to, "
    "with room to spare), then run the update again.";

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

// The one progress window of an update: opened once, the main window hidden meanwhile, and
// closed before the update's ending is told.
class UpdateWindow {
  public:
    UpdateWindow(UpdateContext& c, ui::JobProgress& job) : c_(c) {
        c.ui.showMainWindow(false);
        window_ = c.ui.createProgressWindow();
        c.ui.enableMainWindow(false);
        window_->centre();
        window_->show();
        window_->setText("Flash update in progress...");
        window_->setJob(&job);
    }
    ~UpdateWindow() { close(); }
    UpdateWindow(const UpdateWindow&) = delete;
    UpdateWindow& operator=(const UpdateWindow&) = delete;

    ui::ProgressWindow& window() { return *window_; }

    void close() {
        if (!window_) {
            return;
        }
        window_->hide();
        c_.ui.setCursor(ui::Cursor::Arrow);
        c_.ui.enableMainWindow(true);
        c_.ui.showMainWindow(true);
        window_.reset();
    }

  private:
    UpdateContext& c_;
    std::unique_ptr<ui::ProgressWindow> window_;
};

// The phases of the update's one bar: each image by the blocks it writes, then the PDA (one
// block) when it is written, then the card's reset.
std::vector<ui::JobPhase> updatePhases(const PreparedUpdate& prepared, bool writesPda) {
    std::vector<ui::JobPhase> phases;
    for (std::size_t i = 0; i < prepared.images.size(); ++i) {
        ui::JobPhase phase;
        if (i < prepared.paths.size()) {
            phase.name = pathText(filePath(prepared.paths[i]).filename());
        }
        if (image::MemoryImage* image = prepared.images[i]; image != nullptr) {
            phase.weight = std::max<std::uint64_t>(
                1, image->countBlocks(static_cast<std::uint16_t>(card::AuxBlock::kMaxData),
                                      card::kBlockAlignment));
        }
        phases.push_back(phase);
    }
    if (writesPda) {
        phases.push_back({ui::JobPhase::Kind::Pda, "PDA", 1});
    }
    phases.push_back({ui::JobPhase::Kind::Reset, "reset", 1});
    return phases;
}

}  // namespace

bool downloadImage(UpdateContext& c, image::MemoryImage& image, const ui::ProgressItem& item,
                   ui::ProgressWindow& progress, ui::JobProgress* job) {
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

    ui::ProgressItem shown = item;
    shown.verifying = c.options.verifyDownloads;
    progress.setItem(shown);
    progress.showText();
    c.ui.setCursor(ui::Cursor::Wait);

    std::optional<ui::JobBar> jobBar;
    if (job != nullptr) {
        jobBar.emplace(progress, *job);
    }
    ui::ProgressBar* bar = jobBar ? static_cast<ui::ProgressBar*>(&*jobBar) : &progress.bar();
    const bool ok = card::programImage(c.session, image, bar, c.options.forceAllBlocks,
                                       c.options.verifyDownloads, true, c.ui, item.name);

    progress.setOutcome(ok ? ui::ProgressWindow::Outcome::Succeeded
                           : ui::ProgressWindow::Outcome::Failed);
    c.host.setStatusText(ok ? "Update Successful!" : "Update FAILED");
    c.host.refreshControls();
    return ok;
}

void executeUpdate(UpdateContext& c, const PreparedUpdate& prepared, UpdateOutcome& outcome) {
    const bool writesPda = prepared.pdaFilesMerged || c.files.findFirstOfType(CisImage) >= 0;
    // The copy comes before anything is written, so that a refused copy leaves the card whole.
    if (writesPda) {
        if (prepared.pdaAsRead == nullptr || !prepared.pdaAsRead->readFromCard() ||
            !pda::backUpPda(*prepared.pdaAsRead, c.options.pdaBackupFolder, c.ui)) {
            c.host.releaseAdapter();
            outcome.ending = UpdateEnding::Refused;
            outcome.reason = kNotStarted;
            c.ui.messageBox(windowBox(std::string(kNotStarted) + "\n\n" + kNotStartedWhatToDo,
                                      "Update Not Started", ui::Icon::Error));
            c.host.refreshControls();
            return;
        }
    }

    probe(c.session);

    ui::JobProgress job(updatePhases(prepared, writesPda), c.options.verifyDownloads);
    UpdateWindow window(c, job);
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
        job.enter(i);
        ui::ProgressItem item;
        if (i < prepared.paths.size()) {
            item.name = pathText(filePath(prepared.paths[i]).filename());
        }
        item.number = static_cast<int>(i) + 1;
        item.count = static_cast<int>(prepared.images.size());
        item.bytes = image == nullptr ? 0 : image->totalBytes();
        if (image == nullptr || !downloadImage(c, *image, item, window.window(), &job)) {
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
    // The last image's line is over; what follows is no image.
    window.window().setItem({});
    if (stoppedAt < prepared.images.size()) {
        // Stopped by the person: the card takes its protocols back and is let go, and the
        // person learns which image is incomplete before the card is removed.
        window.close();
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
        job.enter(prepared.images.size());
        if (prepared.images.empty()) {
            window.window().showText();
            c.ui.setCursor(ui::Cursor::Wait);
        }
        window.window().jobChanged();
        const pda::PdaImage& written = prepared.pda != nullptr ? *prepared.pda : c.pda;
        ok = pda::writePdaAfterUpdate(c.session, written, c.options, c.ui);
        if (ok) {
            // The card now holds the merged PDA: from here on it is the card's own.
            c.pda = written;
            job.advance(1.0);
            window.window().jobChanged();
        }
    }
    c.ui.cardWriting(false);

    if (ok) {
        // The one request that has the card start again, with its new firmware and PDA.
        job.enter(prepared.images.size() + (writesPda ? 1 : 0));
        window.window().jobChanged();
        probe(c.session);
        c.session.setProtocolBlock(false);
        const bool reset = c.session.finish();
        if (reset) {
            job.complete();
            window.window().jobChanged();
        }
        window.close();
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
        window.close();
        c.host.releaseAdapter();
        outcome.ending = UpdateEnding::WriteFailed;
        outcome.reason = kWriteFailed;
        c.ui.messageBox(windowBox(writeFailure(prepared, failedAt), std::nullopt, ui::Icon::Error));
    }
    c.host.refreshControls();
}

}  // namespace quillon::update
