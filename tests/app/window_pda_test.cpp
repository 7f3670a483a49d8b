// The window's PDA is only ever what the card holds: an update merges its ".pda" files into a
// copy of its own, and the PDA commands change the window's PDA only once a write has taken.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "commands/pda_settings_dialog.h"
#include "sample_generator.h"
#include "temp_dir.h"
#include "window_bench.h"

namespace quillon::testing {
namespace {

// The card's own MAC address record (00-02-B3-12-34-56) as the card stores it.
const std::vector<std::uint16_t> kCardMacRecord{4, 0x0101, 0x0200, 0x12B3, 0x5634};

bool holdsRun(const std::vector<std::uint16_t>& words, const std::vector<std::uint16_t>& run) {
    return std::search(words.begin(), words.end(), run.begin(), run.end()) != words.end();
}

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Samples {
    Samples() {
        for (const auto& [name, content] : tools::makeSamples()) {
            dir.write(name, content);
        }
    }
    std::string path(const char* name) const { return dir.file(name); }
    TempDir dir;
};

// Queues the identity-changing files with a station image, presses Continue and answers the
// report with accept.
void continueWithNewIdentity(WindowBench& w, const Samples& samples, bool accept) {
    w.window.onDropFiles({samples.path("mac-serial.pda"), samples.path("set-point.pda"),
                          samples.path("station-1.8.0.hex")});
    w.forget();
    w.ui.reportAnswers = {accept};
    w.window.onCommand(ui::kCmdContinue);
    ASSERT_EQ(w.ui.reports.size(), 1u);
}

TEST(WindowPda, CancelledUpdateLeavesTheCardsOwnPdaForEveryPdaCommand) {
    Samples samples;
    TempDir out;
    WindowBench w;
    w.start();
    continueWithNewIdentity(w, samples, false);
    EXPECT_EQ(w.window.view().pdaMacText, "00-02-B3-12-34-56");
    EXPECT_EQ(w.window.view().pdaSerialText, "SIM0001");

    // "Save PDA..." saves the card's own PDA.
    const std::string saved = out.file("saved.pda");
    w.ui.fileDialogResults = {ui::FileDialogResult{saved, 1}};
    w.window.onCommand(ui::kCmdSavePda);
    EXPECT_NE(readText(saved).find("4 101 200 12b3 5634"), std::string::npos) << readText(saved);

    // Changing only the serial number keeps the card's MAC address on the card.
    w.ui.pdaSettingsScript = [](pda::PdaSettingsDialog& dialog, ui::UserInterface& ui) {
        dialog.setSerialText("NEW01");
        return dialog.confirm(ui);
    };
    w.window.onCommand(ui::kCmdModifyPda);
    EXPECT_TRUE(holdsRun(w.bench.card(0).pdaWords(true), kCardMacRecord));
    EXPECT_EQ(w.window.view().pdaMacText, "00-02-B3-12-34-56");
    EXPECT_EQ(w.window.view().pdaSerialText, "NEW01");
}

TEST(WindowPda, FailedPdaWriteKeepsThePdaAsRead) {
    Samples samples;
    sim::BenchConfig config = sim::defaultBenchConfig();
    config.adapters[0].card->faults.writes = {sim::WriteFault{0x7F0000}};
    WindowBench w(config);
    w.start();
    continueWithNewIdentity(w, samples, true);
    EXPECT_EQ(w.window.view().pdaMacText, "00-02-B3-12-34-56");
    EXPECT_EQ(w.window.view().pdaSerialText, "SIM0001");

    // A settings change that does not take leaves the window's PDA as the card holds it.
    w.ui.pdaSettingsScript = [](pda::PdaSettingsDialog& dialog, ui::UserInterface& ui) {
        dialog.onMacTextChanged("00-02-B3-00-00-01");
        return dialog.confirm(ui);
    };
    w.window.onCommand(ui::kCmdModifyPda);
    EXPECT_EQ(w.window.view().pdaMacText, "00-02-B3-12-34-56");

    // So does a clear that does not take.
    w.window.onCommand(ui::kCmdClearPda);
    EXPECT_EQ(w.window.view().pdaMacText, "00-02-B3-12-34-56");
    EXPECT_TRUE(holdsRun(w.bench.card(0).pdaWords(true), kCardMacRecord));
}

TEST(WindowPda, UpdateThatWroteThePdaShowsTheNewIdentity) {
    Samples samples;
    WindowBench w;
    w.start();
    continueWithNewIdentity(w, samples, true);
    EXPECT_EQ(w.window.view().pdaMacText, "00-02-B3-AB-CD-EF");
    EXPECT_EQ(w.window.view().pdaSerialText, "QSN-000042");
}

TEST(WindowQueue, TheStatusLineSaysWhatWasReplacedAndWhenTooManyAreQueued) {
    Samples samples;
    WindowBench w;
    w.start();
    w.window.onDropFiles({samples.path("station-1.8.0.hex")});
    w.window.onCopyData(samples.path("combined-1.1.1-1.8.0.hex"));
    EXPECT_EQ(w.window.view().statusText, "combined-1.1.1-1.8.0.hex replaces station-1.8.0.hex.");

    std::vector<std::string> pdaFiles;
    for (int i = 0; i < 9; ++i) {
        pdaFiles.push_back(samples.dir.write("copy" + std::to_string(i) + ".pda",
                                             tools::makeSamples().at("mac-serial.pda")));
    }
    w.window.onDropFiles(pdaFiles);
    EXPECT_EQ(w.window.view().statusText,
              "10 files queued: an update takes at most 9. Remove 1 before pressing Continue.");
}

}  // namespace
}  // namespace quillon::testing
