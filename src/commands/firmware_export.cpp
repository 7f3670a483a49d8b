#include "commands/firmware_export.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "base/log.h"
#include "card/card_memory.h"
#include "image/image_writer.h"
#include "image/memory_image.h"
#include "ui/message.h"

namespace quillon::image {
namespace {

constexpr std::uint32_t kWindowBytes = 0x20000;
constexpr std::uint16_t kBlockBytes = 512;
// A block is given up at its eleventh failed or disagreeing read.
constexpr int kMaxReadErrors = 10;

constexpr int kHexFilter = 1;
constexpr int kDumpFilter = 2;

using Block = std::array<std::uint8_t, kBlockBytes>;

using ui::tell;

// Reads one block of the NVRAM copy until three reads in a row agree. Every read that fails
// counts as an error as well as every disagreement: a failed read leaves nothing in its buffer
// that came from the card, so it can never stand as agreement.
bool readAgreedBlock(card::AdapterSession& session, std::uint32_t address, Block& agreed,
                     ui::UserInterface& ui) {
    Block again{};
    int errors = 0;
    while (errors <= kMaxReadErrors) {
        if (!card::readAuxPort(session, agreed, address, kBlockBytes, ui)) {
            ++errors;
            continue;
        }
        bool same = true;
        for (int read = 0; read < 2 && same; ++read) {
            same = card::readAuxPort(session, again, address, kBlockBytes, ui) && again == agreed;
        }
        if (same) {
            if (errors > 0) {
                writeLog("Export: block %08X read with %d error(s)\n", address, errors);
            }
            return true;
        }
        ++errors;
    }
    writeLog("Export: block %08X failed after %d errors\n", address, errors);
    return false;
}

constexpr const char* kNotWritten = "Error File could not be written";

void tellNotWritten(ui::UserInterface& ui) {
    tell(ui, kNotWritten, "Error", ui::Icon::Error);
}

// The progress window while the card is read, the main window hidden and disabled meanwhile,
// as a long card operation shows it.
class ProgressShown {
  public:
    ProgressShown(ui::UserInterface& ui, const char* text, int steps) : ui_(ui) {
        ui.showMainWindow(false);
        window_ = ui.createProgressWindow();
        ui.enableMainWindow(false);
        window_->centre();
        window_->show();
        window_->setText(text);
        window_->showText();
        ui.setCursor(ui::Cursor::Wait);
        window_->bar().setRange(0, steps);
    }
    ~ProgressShown() {
        window_->hide();
        ui_.setCursor(ui::Cursor::Arrow);
        ui_.enableMainWindow(true);
        ui_.showMainWindow(true);
    }
    ProgressShown(const ProgressShown&) = delete;
    ProgressShown& operator=(const ProgressShown&) = delete;

    void advance(int position) { window_->bar().setPosition(position); }

  private:
    ui::UserInterface& ui_;
    std::unique_ptr<ui::ProgressWindow> window_;
};

}  // namespace

ui::Outcome exportFirmwareImage(ui::CommandHost& host, card::AdapterSession& session,
                                ui::UserInterface& ui) {
    ui::MessageBox warning;
    warning.text =
        "WARNING - This procedure is not guaranteed to work. This procedure only works on PRISM "
        "cards with parallel flash! Do you wish to continue?";
    warning.caption = "Warning Notice";
    warning.owner = ui::Owner::MainWindow;
    warning.buttons = ui::Buttons::OkCancel;
    warning.icon = ui::Icon::Question;
    warning.question = ui::Question::Confirmation;
    if (ui.messageBox(warning) != ui::Answer::Ok) {
        return ui::Outcome::cancelled();
    }

    // The card must be reachable before the person is asked for a file; it is not held open
    // while they choose.
    const bool reachable = host.ensureAdapterOpen(false);
    host.releaseAdapter();
    if (!reachable) {
        return ui::Outcome::failed("The card could not be opened.");
    }

    ui::FileDialogRequest request;
    request.kind = ui::FileDialogRequest::Kind::Save;
    request.defaultExtension = "hex";
    request.initialName = host.pdaSerialText();
    request.filter = "Hex File (*.hex)|*.hex|Text Dump (*.dmp)|*.dmp|";
    request.fileMustExist = false;
    request.confirmOverwrite = true;
    request.hideReadOnly = true;
    const auto chosen = ui.fileDialog(request);
    if (!chosen) {
        return ui::Outcome::cancelled();
    }
    if (!host.ensureAdapterOpen(false)) {
        host.releaseAdapter();
        return ui::Outcome::failed("The card could not be opened.");
    }

    // The card is read under the progress window: the file dialog has closed, and the screen
    // it covered is painted again before the reading holds the thread.
    MemoryImage image;
    const std::uint32_t base = session.imageBase();
    ui::Outcome outcome = ui::Outcome::success();
    {
        ProgressShown progress(ui, "Reading the card's flash...", kWindowBytes / kBlockBytes);
        Block block{};
        for (std::uint32_t offset = 0; offset < kWindowBytes && outcome.done();
             offset += kBlockBytes) {
            const std::uint32_t address = base + offset;
            if (!readAgreedBlock(session, address | card::kNvramBit, block, ui)) {
                outcome = ui::Outcome::failed("Too many read errors. Aborting.");
            } else if (!image.append(block, address)) {
                // The whole window fits in an image; a refusal here means the image is broken.
                outcome = ui::Outcome::failed(kNotWritten);
            } else {
                progress.advance(static_cast<int>((offset + kBlockBytes) / kBlockBytes));
            }
        }
    }
    host.releaseAdapter();
    if (!outcome.done()) {
        if (outcome.reason == kNotWritten) {
            tellNotWritten(ui);
        } else {
            tell(ui, outcome.reason);
        }
        return outcome;
    }

    // The filter the person picked decides the format, whatever extension they typed.
    std::uint16_t written = 0;
    errno = 0;
    if (chosen->filterIndex == kHexFilter) {
        written = writeHexFile(chosen->path, image, nullptr);
    } else if (chosen->filterIndex == kDumpFilter) {
        written = writeDumpFile(chosen->path, image);
    }
    if (written == 0) {
        // The file and the system's reason, so that the person knows what to change.
        const int error = errno;
        std::string why = std::string(kNotWritten) + ": \"" + chosen->path + "\"";
        if (error != 0) {
            why += ": " + std::string(std::strerror(error));
        }
        tell(ui, why + ".", "Error", ui::Icon::Error);
        return ui::Outcome::failed(why);
    }
    // The file is named: the extension may have come from the chosen filter.
    tell(ui, "File Saved Successfully.\n" + chosen->path);
    return ui::Outcome::success();
}

}  // namespace quillon::image
