// The second half of an update: programming the prepared images one after the other, the PDA
// last, and telling the person the outcome.
#include <array>
#include <filesystem>

#include "card/flash_programming.h"
#include "commands/pda_commands.h"
#include "update/update_card.h"

namespace quillon::update {
namespace {

ui::MessageBox box(std::string text, std::optional<std::string> caption,
                   ui::Icon icon = ui::Icon::None) {
    ui::MessageBox b;
    b.text = std::move(text);
    b.caption = std::move(caption);
    b.owner = ui::Owner::MainWindow;
    b.icon = icon;
    return b;
}

void probe(card::AdapterSession& session) {
    std::array<std::uint8_t, 8> buffer{};
    session.probeDriver(buffer);
}

}  // namespace

bool downloadImage(UpdateContext& c, image::MemoryImage& image, const ui::ProgressItem& item) {
    if (!c.session.isOpen()) {
        c.ui.messageBox(box("Error: Adapter is not open.", std::nullopt));
        return false;
    }
    // An image with an execution address runs from the card's RAM; it has no place in flash.
    if (image.hasExecutionAddress() && image.executionAddress() != 0) {
        c.ui.messageBox(
            box("Sorry, RAM downloads are not supported.", "Cannot Continue", ui::Icon::Error));
        return false;
    }

    c.ui.showMainWindow(false);
    std::unique_ptr<ui::ProgressWindow> progress = c.ui.createProgressWindow();
    c.ui.enableMainWindow(false);
    progress->centre();
    progress->show();
    progress->setText("Flash update in progress...");
    progress->setItem(item);
    progress->showText();
    c.ui.setCursor(ui::Cursor::Wait);

    const bool ok = card::programImage(c.session, image, &progress->bar(), c.options.forceAllBlocks,
                                       c.options.verifyDownloads, true, c.ui);

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

void executeUpdate(UpdateContext& c, std::span<image::MemoryImage* const> images,
                   bool pdaFilesMerged) {
    probe(c.session);

    bool ok = true;
    // The images are those of the firmware files at the end of the list, in its order.
    const int firstFile = c.files.count() - static_cast<int>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        image::MemoryImage* image = images[i];
        ui::ProgressItem item;
        item.name = std::filesystem::path(c.files.pathAt(firstFile + static_cast<int>(i)))
                        .filename()
                        .string();
        item.number = static_cast<int>(i) + 1;
        item.count = static_cast<int>(images.size());
        item.bytes = image == nullptr ? 0 : image->totalBytes();
        if (image == nullptr || !downloadImage(c, *image, item)) {
            ok = false;
            break;
        }
    }
    // The PDA goes last, after every image: when ".pda" files changed it, and with every CIS
    // image, so that the card's identity is written as one whole.
    if (ok && (pdaFilesMerged || c.files.findFirstOfType(CisImage) >= 0)) {
        ok = pda::writePdaAfterUpdate(c.session, c.pda, c.options, c.ui);
    }

    if (ok) {
        probe(c.session);
        c.session.setProtocolBlock(false);
        c.session.finish();
        c.host.releaseAdapter();
        c.ui.messageBox(box("Update Successful!   ", "Update Complete", ui::Icon::Information));
    } else {
        // Images programmed before the failure stay programmed; the card is left blocked and
        // un-reset, as a failed programming run leaves it.
        c.host.releaseAdapter();
        c.ui.messageBox(box("Update failed while writing to card!", std::nullopt));
    }
    c.host.refreshControls();
}

}  // namespace quillon::update
