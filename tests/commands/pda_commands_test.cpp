#include "commands/pda_commands.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "command_bench.h"
#include "commands/pda_backup.h"
#include "commands/pda_settings_dialog.h"
#include "pda/pda_file.h"
#include "temp_dir.h"

namespace quillon::pda {
namespace {

using testing::CommandBenchTest;

// One visit of the person to the dialog: what they type, then "Write to Card Now" or "Cancel".
struct DialogStep {
    std::optional<std::string> mac;
    std::optional<std::string> serial;
    std::optional<bool> convertToUppercase;
    bool confirm = true;
};

// Plays the dialog: each step edits the boxes and presses a button; a refused confirmation
// leaves the dialog open for the next step, and running out of steps cancels.
std::function<bool(PdaSettingsDialog&, ui::UserInterface&)> play(
    std::vector<DialogStep> steps, std::vector<std::string>* opened = nullptr) {
    return [steps, opened](PdaSettingsDialog& dialog, ui::UserInterface& ui) {
        if (opened != nullptr) {
            opened->push_back(dialog.macText());
            opened->push_back(dialog.serialText());
        }
        for (const DialogStep& step : steps) {
            if (step.mac) {
                dialog.onMacTextChanged(*step.mac);
            }
            if (step.serial) {
                dialog.setSerialText(*step.serial);
            }
            if (step.convertToUppercase) {
                dialog.setConvertToUppercase(*step.convertToUppercase);
            }
            if (!step.confirm) {
                return false;
            }
            if (dialog.confirm(ui)) {
                return true;
            }
        }
        return false;
    };
}

class PdaCommands : public CommandBenchTest {
  protected:
    // The PDA the card now holds in flash, and whether its checksum holds.
    PdaImage cardPda(bool* valid = nullptr) {
        PdaImage image;
        image.parseWords(card().pdaWords(true));
        if (valid != nullptr) {
            *valid = image.loadedChecksum() == image.storedChecksum();
        }
        return image;
    }

    static std::vector<std::uint16_t> wordsOf(const PdrRecord* record) {
        if (record == nullptr) {
            return {};
        }
        return {record->words().begin(), record->words().end()};
    }

    std::size_t auxWrites() const { return requestsOf(card::OID_PRIV_AUX_WRITE).size(); }

    // The question modifyPda asks before it writes, taken off the boxes shown.
    void takeWriteQuestion(const std::string& mac, const std::string& serial) {
        ASSERT_FALSE(ui.boxes.empty());
        const ui::MessageBox& box = ui.boxes.front();
        EXPECT_EQ(box.text, "Write MAC Address " + mac + " and Serial Number " + serial +
                                " to the card's PDA?");
        EXPECT_EQ(box.caption, "View / Modify PDA Settings");
        EXPECT_EQ(box.buttons, ui::Buttons::YesNo);
        EXPECT_TRUE(box.defaultStops());
        ui.boxes.erase(ui.boxes.begin());
    }

    void expectOneBox(const std::string& text, const std::optional<std::string>& caption,
                      ui::Icon icon = ui::Icon::None) {
        ASSERT_EQ(ui.boxes.size(), 1u) << ::testing::PrintToString(ui.texts());
        EXPECT_EQ(ui.boxes[0].text, text);
        EXPECT_EQ(ui.boxes[0].caption, caption);
        EXPECT_EQ(ui.boxes[0].icon, icon);
        EXPECT_EQ(ui.boxes[0].buttons, ui::Buttons::Ok);
    }
};

TEST_F(PdaCommands, ModifyWritesTheNewMacAndSerialAndResetsTheCard) {
    std::vector<std::string> opened;
    ui.pdaSettingsScript = play({{"00:11:22:33:44:55", "ab12", std::nullopt, true}}, &opened);

    modifyPda(host, session, pda, options, ui);

    EXPECT_EQ(opened, (std::vector<std::string>{"00-02-B3-12-34-56", "SIM0001"}));
    takeWriteQuestion("00-11-22-33-44-55", "AB12");
    expectOneBox("PDA Update Successful! You MUST reload station code for changes to take effect.",
                 "PDA Update");
    bool valid = false;
    const PdaImage written = cardPda(&valid);
    EXPECT_TRUE(valid);
    EXPECT_EQ(wordsOf(written.findRecord(kPdrMacAddress)),
              (std::vector<std::uint16_t>{4, 0x0101, 0x1100, 0x3322, 0x5544}));
    EXPECT_EQ(wordsOf(written.findRecord(kPdrSerialNumber)),
              (std::vector<std::uint16_t>{7, 0x0003, 0x4241, 0x3231, 0, 0, 0, 0}));
    // The other records went back as they were.
    EXPECT_EQ(written.records().size(), 7u);
    EXPECT_EQ(requestsOf(card::OID_PRIV_FINISH).size(), 1u);
    EXPECT_EQ(host.pdaMacText(), "00-11-22-33-44-55");
    EXPECT_EQ(host.pdaSerialText(), "AB12");
    EXPECT_EQ(host.refreshes, 1);
    expectAdapterReleased();
}

TEST_F(PdaCommands, ModifyWithoutChangesRewritesTheSerialAndKeepsTheMac) {
    const auto macBefore = wordsOf(pda.findRecord(kPdrMacAddress));
    ui.pdaSettingsScript = play({{}});

    modifyPda(host, session, pda, options, ui);

    const PdaImage written = cardPda();
    EXPECT_EQ(wordsOf(written.findRecord(kPdrMacAddress)), macBefore);
    EXPECT_EQ(wordsOf(written.findRecord(kPdrSerialNumber)),
              (std::vector<std::uint16_t>{7, 0x0003, 0x4953, 0x304D, 0x3030, 0x0031, 0, 0}));
    EXPECT_EQ(ui.texts().at(1),
              "PDA Update Successful! You MUST reload station code for changes to take effect.");
}

TEST_F(PdaCommands, ModifyWritesNothingWhenThePersonSaysNo) {
    const auto before = card().pdaWords(true);
    ui.pdaSettingsScript = play({{"00-11-22-33-44-55", std::nullopt, std::nullopt, true}});
    ui.answers = {ui::Answer::No};

    EXPECT_EQ(modifyPda(host, session, pda, options, ui).ending, ui::Ending::Cancelled);

    takeWriteQuestion("00-11-22-33-44-55", "SIM0001");
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(bench.requests().empty());
    EXPECT_EQ(card().pdaWords(true), before);
    EXPECT_EQ(host.pdaMacText(), "00-02-B3-12-34-56");
}

TEST_F(PdaCommands, ModifyWritesNothingAfterABadMacAndCancel) {
    const auto before = card().pdaWords(true);
    ui.pdaSettingsScript = play({{"0011223344", std::nullopt, std::nullopt, true},
                                 {std::nullopt, std::nullopt, std::nullopt, false}});

    modifyPda(host, session, pda, options, ui);

    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Bad MAC Address"});
    EXPECT_TRUE(bench.requests().empty());
    EXPECT_EQ(card().pdaWords(true), before);
    EXPECT_EQ(host.pdaMacText(), "00-02-B3-12-34-56");
    EXPECT_EQ(host.refreshes, 1);
    EXPECT_EQ(host.opens, 0);
}

TEST_F(PdaCommands, ModifyAfterAFailedDriverCheckKeepsThePdaAsReadAndReleasesTheAdapter) {
    card().setDriverVersion(0x80000000);
    const auto before = card().pdaWords(true);
    ui.pdaSettingsScript = play({{"00-11-22-33-44-55", std::nullopt, std::nullopt, true}});

    modifyPda(host, session, pda, options, ui);

    takeWriteQuestion("00-11-22-33-44-55", "SIM0001");
    expectOneBox(
        "This program requires a newer driver version to update cards. Updating is disabled.",
        std::nullopt);
    EXPECT_EQ(auxWrites(), 0u);
    EXPECT_EQ(card().pdaWords(true), before);
    // The window's PDA is what the card holds: an edit that was not written is not kept.
    EXPECT_EQ(host.pdaMacText(), "00-02-B3-12-34-56");
    expectAdapterReleased();
}

TEST_F(PdaCommands, ModifyTellsOfAFailedWrite) {
    card().faults().writes.push_back({session.pdaAddress(), sim::kStatusFailure});
    ui.pdaSettingsScript = play({{"00-11-22-33-44-55", std::nullopt, std::nullopt, true}});

    modifyPda(host, session, pda, options, ui);

    takeWriteQuestion("00-11-22-33-44-55", "SIM0001");
    expectOneBox("PDA Update Failed. Unable to write to card.", "PDA Update");
    EXPECT_TRUE(requestsOf(card::OID_PRIV_FINISH).empty());
    EXPECT_EQ(host.pdaMacText(), "00-02-B3-12-34-56");  // the card's own stays in memory
    expectAdapterReleased();
}

TEST_F(PdaCommands, ClearWritesOnlyTheEndRecord) {
    clearPda(host, session, pda, options, ui);

    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[0].text,
              "Are you sure you want to clear the PDA? The card loses its MAC address and "
              "calibration data.");
    EXPECT_EQ(ui.boxes[0].caption, "Warning:");
    EXPECT_EQ(ui.boxes[0].buttons, ui::Buttons::OkCancel);
    EXPECT_EQ(ui.boxes[1].text,
              "PDA cleared. Set a valid MAC address before programming station code.");
    EXPECT_FALSE(ui.boxes[1].caption.has_value());
    EXPECT_EQ(nvramPda(3), (std::vector<std::uint16_t>{0x0002, 0x0000, 0xB801}));
    EXPECT_TRUE(pda.isEmpty());
    EXPECT_EQ(host.pdaMacText(), "");
    EXPECT_EQ(host.pdaSerialText(), "");
    EXPECT_EQ(requestsOf(card::OID_PRIV_FINISH).size(), 1u);
    expectAdapterReleased();
}

TEST_F(PdaCommands, ClearCancelledSendsNothing) {
    ui.answers = {ui::Answer::Cancel};
    clearPda(host, session, pda, options, ui);
    EXPECT_EQ(ui.boxes.size(), 1u);
    EXPECT_TRUE(bench.requests().empty());
    EXPECT_FALSE(pda.isEmpty());
    EXPECT_EQ(host.refreshes, 1);
}

TEST_F(PdaCommands, ClearWithAFailedWriteSaysSoAndKeepsThePdaAsRead) {
    card().faults().writes.push_back({session.pdaAddress(), sim::kStatusFailure});
    clearPda(host, session, pda, options, ui);
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[1].text,
              "PDA Clear Failed. The card did not take the write: its PDA may be as it was or "
              "damaged.\n\nCheck it (\"Display current PDA\", quillon-cli pda show); a copy kept "
              "before the clear can be written back (quillon-cli pda restore).");
    EXPECT_EQ(ui.boxes[1].icon, ui::Icon::Error);
    EXPECT_FALSE(pda.isEmpty());
    EXPECT_EQ(host.pdaSerialText(), "SIM0001");
    EXPECT_TRUE(requestsOf(card::OID_PRIV_FINISH).empty());
    expectAdapterReleased();
}

TEST_F(PdaCommands, APdaTheCardDidNotLoadIsNoSuccess) {
    testing::TempDir dir;
    const std::string copy = dir.write("copy.pda", formatPdaFile(cardPda()));
    for (const std::string command : {"modify", "clear", "restore"}) {
        SCOPED_TRACE(command);
        ASSERT_TRUE(host.select(0));
        card().faults().requests = {
            sim::RequestFault::every(card::OID_PRIV_FINISH, sim::kStatusFailure)};
        ui.boxes.clear();
        ui.cardWrites.clear();
        ui.pdaSettingsScript = play({{"00-11-22-33-44-55", std::nullopt, std::nullopt, true}});
        if (command == "modify") {
            modifyPda(host, session, pda, options, ui);
        } else if (command == "clear") {
            clearPda(host, session, pda, options, ui);
        } else {
            restorePda(host, session, pda, options, copy, ui);
        }
        ASSERT_FALSE(ui.boxes.empty());
        EXPECT_EQ(ui.boxes.back().text,
                  "PDA Update Failed. The new PDA was written to the card's flash, but the card "
                  "did not load it and still runs its old PDA.\n\nPower-cycle the card (remove "
                  "and insert it, or turn the computer off and on), then check its PDA "
                  "(\"Display current PDA\", quillon-cli pda show) before updating it.");
        EXPECT_EQ(ui.boxes.back().icon, ui::Icon::Error);
        // Interrupts wait while the PDA is written and loaded.
        EXPECT_EQ(ui.cardWrites, (std::vector<bool>{true, false}));
        expectAdapterReleased();
        card().faults().requests.clear();
    }
}

TEST_F(PdaCommands, ClearAfterAFailedDriverCheckWritesNothingAndReleasesTheAdapter) {
    card().setDriverVersion(0xFFFFFFFF);
    clearPda(host, session, pda, options, ui);
    EXPECT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(auxWrites(), 0u);
    EXPECT_FALSE(pda.isEmpty());
    expectAdapterReleased();
}

TEST_F(PdaCommands, CommandsWithoutASelectedAdapterStopAtOnce) {
    host.adapterSelected = false;
    ui.pdaSettingsScript = play({{}});
    modifyPda(host, session, pda, options, ui);
    takeWriteQuestion("00-02-B3-12-34-56", "SIM0001");
    displayPda(host, session, pda, ui);
    savePda(host, pda, ui);
    for (const auto& box : ui.boxes) {
        EXPECT_EQ(box.text, "Cannot continue - No adapter selected.");
        EXPECT_EQ(box.caption, "Error");
    }
    EXPECT_EQ(ui.boxes.size(), 3u);
    EXPECT_TRUE(bench.requests().empty());
    EXPECT_TRUE(ui.fileDialogs.empty());
    EXPECT_TRUE(ui.reports.empty());
}

TEST_F(PdaCommands, DisplayListsTheCardsPdaRecordByRecord) {
    pda.clear();  // the display reads the card afresh
    displayPda(host, session, pda, ui);

    ASSERT_EQ(ui.reports.size(), 1u);
    const ui::ReportRequest& report = ui.reports[0];
    EXPECT_EQ(report.title, "PDA:");
    EXPECT_EQ(report.acceptCaption, "Close");
    EXPECT_EQ(report.cancelCaption, "Close");
    EXPECT_TRUE(report.acceptShown);
    EXPECT_TRUE(report.text.starts_with("7 1 4e51 332d 3438 2d32 3130 0 \r\n7 3 4953 "))
        << report.text;
    EXPECT_EQ(report.text, pdaListing(pda));
    EXPECT_EQ(pda.records().size(), 7u);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(host.refreshes, 0);  // the window's fields are not refreshed
    expectAdapterReleased();
}

TEST_F(PdaCommands, DisplayOfAnUnreadablePdaSaysSo) {
    std::vector<std::uint16_t> garbage(512, 0x1234);
    card().setPdaWords(garbage, true);
    card().setPdaWords(garbage, false);

    displayPda(host, session, pda, ui);

    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[0].caption, "Invalid PDA data");
    EXPECT_EQ(ui.boxes[1].text, "PDA read was invalid");
    EXPECT_FALSE(ui.boxes[1].caption.has_value());
    EXPECT_TRUE(ui.reports.empty());
    expectAdapterReleased();
}

TEST(PdaListing, OneRecordPerLineWithAFreshEndRecord) {
    PdaImage image;
    const std::vector<std::uint16_t> mac{4, 0x0101, 0x1100, 0x3322, 0x5544};
    ASSERT_TRUE(image.insertRecord(mac));
    const std::vector<std::uint16_t> flat{4, 0x0101, 0x1100, 0x3322, 0x5544, 2, 0};
    char checksum[8];
    std::snprintf(checksum, sizeof checksum, "%x", crc16ArcWords(0, flat));
    EXPECT_EQ(pdaListing(image), std::string("4 101 1100 3322 5544 \r\n2 0 ") + checksum + " ");

    EXPECT_EQ(pdaListing(PdaImage{}), "2 0 b801 ");

    // Records that take 512 words or more cannot be listed at all.
    PdaImage tooLarge;
    for (std::uint16_t code = 1; code <= 3; ++code) {
        std::vector<std::uint16_t> words(200, 0);
        words[0] = 199;
        words[1] = code;
        ASSERT_TRUE(tooLarge.insertRecord(words));
    }
    EXPECT_EQ(pdaListing(tooLarge), "");
}

TEST_F(PdaCommands, SaveWritesTheHeldPdaWithoutReadingTheCard) {
    testing::TempDir dir;
    const std::string path = dir.file("card.pda");
    ui.fileDialogResults.push_back(ui::FileDialogResult{path, 1});

    savePda(host, pda, ui);

    ASSERT_EQ(ui.fileDialogs.size(), 1u);
    const ui::FileDialogRequest& request = ui.fileDialogs[0];
    EXPECT_EQ(request.kind, ui::FileDialogRequest::Kind::Save);
    EXPECT_EQ(request.defaultExtension, "pda");
    EXPECT_EQ(request.initialName, "SIM0001");
    EXPECT_EQ(request.filter, "PDA file (*.pda)|*.pda|All Files (*.*)|*.*|");
    EXPECT_TRUE(request.confirmOverwrite);
    EXPECT_TRUE(request.hideReadOnly);
    EXPECT_EQ(testing::readWholeFile(path), formatPdaFile(pda));
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(requestsOf(card::OID_PRIV_AUX_READ).empty());
    expectAdapterReleased();
    // The adapter was released before the person was asked for a name.
    EXPECT_EQ(host.releases, 1);
}

TEST_F(PdaCommands, SaveRefusesAnEmptyPdaBeforeAskingForAName) {
    pda.clear();
    savePda(host, pda, ui);
    expectOneBox("Error - invalid PDA; File cannot be saved", "Error saving PDA", ui::Icon::Error);
    EXPECT_TRUE(ui.fileDialogs.empty());
    expectAdapterReleased();
}

TEST_F(PdaCommands, SaveTellsOfAFileThatCannotBeWritten) {
    testing::TempDir dir;
    const std::string path = dir.file("missing/card.pda");
    ui.fileDialogResults.push_back(ui::FileDialogResult{path, 1});
    savePda(host, pda, ui);
    expectOneBox("Error - Unable to save file \"" + path + "\"", "Error saving PDA",
                 ui::Icon::Error);
}

TEST_F(PdaCommands, WriteAfterUpdateWritesUnderTheWaitCursorAndLeavesTheResetToTheUpdate) {
    ASSERT_TRUE(session.openAdapter(0));
    const std::vector<std::uint16_t> mac{4, 0x0101, 0x1100, 0x3322, 0x5544};
    pda.insertRecord(mac);

    EXPECT_TRUE(writePdaAfterUpdate(session, pda, options, ui));

    EXPECT_EQ(ui.calls, (std::vector<std::string>{"cursor:wait", "main:disable", "main:enable",
                                                  "cursor:arrow"}));
    EXPECT_EQ(wordsOf(cardPda().findRecord(kPdrMacAddress)), mac);
    EXPECT_TRUE(requestsOf(card::OID_PRIV_FINISH).empty());
    EXPECT_TRUE(session.isOpen());  // the update closes it
    session.closeAdapter();
}

TEST_F(PdaCommands, WriteAfterUpdateTellsOfAFailure) {
    ASSERT_TRUE(session.openAdapter(0));
    card().faults().writes.push_back({session.pdaAddress(), sim::kStatusFailure});
    const std::vector<std::uint16_t> mac{4, 0x0101, 0x1100, 0x3322, 0x5544};
    pda.insertRecord(mac);

    EXPECT_FALSE(writePdaAfterUpdate(session, pda, options, ui));

    EXPECT_EQ(ui.calls,
              (std::vector<std::string>{"cursor:wait", "main:disable", "box:PDA Update FAILED",
                                        "main:enable", "cursor:arrow"}));
    EXPECT_EQ(ui.boxes.at(0).caption, "PDA Update Complete");
    EXPECT_TRUE(requestsOf(card::OID_PRIV_FINISH).empty());
    session.closeAdapter();
}

}  // namespace
}  // namespace quillon::pda

namespace quillon::pda {
namespace {

class PdaSafety : public PdaCommands {
  protected:
    std::vector<std::filesystem::path> backups() const {
        std::vector<std::filesystem::path> out;
        std::error_code ignored;
        for (const auto& entry :
             std::filesystem::directory_iterator(options.pdaBackupFolder, ignored)) {
            out.push_back(entry.path());
        }
        return out;
    }
};

TEST_F(PdaSafety, EveryWriteOfThePdaKeepsACopyOfItAsRead) {
    const std::vector<std::string> commands = {"modify", "clear"};
    std::size_t copies = 0;
    for (const std::string& command : commands) {
        SCOPED_TRACE(command);
        ASSERT_TRUE(host.select(0));
        const std::string before = formatPdaFile(cardPda());
        ui.pdaSettingsScript = play({{"00:11:22:33:44:55", "NEW1", std::nullopt, true}});
        ui.notices.clear();
        if (command == "modify") {
            modifyPda(host, session, pda, options, ui);
        } else {
            clearPda(host, session, pda, options, ui);
        }
        const auto saved = backups();
        ASSERT_EQ(saved.size(), ++copies);
        ASSERT_EQ(ui.notices.size(), 1u);
        const std::string path = ui.notices[0].substr(ui.notices[0].rfind(' ') + 1);
        PdaImage copy;
        ASSERT_TRUE(loadPdaFile(copy, path, ui));
        EXPECT_EQ(formatPdaFile(copy), before);
        EXPECT_NE(formatPdaFile(cardPda()), before);

        // The copy goes back with restore; the PDA the restore replaces is kept too.
        ASSERT_TRUE(host.select(0));
        ui.answers = {ui::Answer::Ok};
        restorePda(host, session, pda, options, path, ui);
        EXPECT_EQ(formatPdaFile(cardPda()), before);
        EXPECT_EQ(backups().size(), ++copies);
        EXPECT_EQ(ui.boxes.back().text,
                  "PDA restored from \"" + path +
                      "\". You MUST reload station code for changes to take effect.");
        expectAdapterReleased();
    }
}

TEST_F(PdaSafety, TemporaryFilesLeftInTheBackupFolderAreSwept) {
    namespace fs = std::filesystem;
    const fs::path folder = options.pdaBackupFolder;
    fs::create_directories(folder);
    const auto leave = [&](const std::string& name, std::chrono::minutes age) {
        std::ofstream(folder / name) << "half a copy";
        fs::last_write_time(folder / name, fs::file_time_type::clock::now() - age);
    };
    // A killed run's leftover, one being written by another program now, and a file of the
    // person's.
    leave("SIM_00-02-B3-12-34-56_20260101T000000Z.pda.tmp-a1B2c3", std::chrono::minutes(60));
    leave("SIM_00-02-B3-12-34-56_20260101T000001Z.pda.tmp-d4E5f6", std::chrono::minutes(0));
    leave("notes.pda.tmp-kept", std::chrono::minutes(60));

    ASSERT_TRUE(backUpPda(cardPda(), options.pdaBackupFolder, ui));

    EXPECT_FALSE(fs::exists(folder / "SIM_00-02-B3-12-34-56_20260101T000000Z.pda.tmp-a1B2c3"));
    EXPECT_TRUE(fs::exists(folder / "SIM_00-02-B3-12-34-56_20260101T000001Z.pda.tmp-d4E5f6"));
    EXPECT_TRUE(fs::exists(folder / "notes.pda.tmp-kept"));
    EXPECT_EQ(backups().size(), 3u);  // the two kept and the new copy
}

TEST_F(PdaSafety, APdaThatWasNotReadIsNotChanged) {
    // A failed read at selection leaves the window's PDA empty and not the card's.
    pda.clear();
    const auto before = card().pdaWords(true);
    ui.pdaSettingsScript = play({{"00:11:22:33:44:55", "NEW1", std::nullopt, true}});

    modifyPda(host, session, pda, options, ui);

    expectOneBox(
        "PDA Update Failed. The card's PDA could not be read, so nothing was written to the "
        "card.",
        "PDA Update", ui::Icon::Error);
    EXPECT_EQ(ui.pdaSettingsDialogs, 0);
    EXPECT_EQ(auxWrites(), 0u);
    EXPECT_EQ(card().pdaWords(true), before);
    EXPECT_TRUE(backups().empty());
}

TEST_F(PdaSafety, ARestoreIsCheckedAndConfirmedBeforeTheCardIsWritten) {
    testing::TempDir dir;
    // 510 record words flatten to 513, one more than the card holds (0x1fd = 509).
    std::string big = "1fd 0500";
    for (int i = 0; i < 508; ++i) {
        big += " 1";
    }
    struct Case {
        const char* what;
        std::string content;
        ui::Answer answer;
        std::string box;
    };
    const std::vector<Case> cases = {
        {"too large", big + "\r\n", ui::Answer::Ok,
         "PDA Update Failed. The PDA would take 513 words; the card holds 512. Nothing was "
         "written to the card."},
        {"not a PDA file", "no words here\r\n", ui::Answer::Ok, "Error loading {}"},
        {"cancelled", "2 0001 4151\r\n", ui::Answer::Cancel, "Are you sure"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui.boxes.clear();
        const std::string path = dir.write("copy.pda", c.content);
        const auto before = card().pdaWords(true);
        ui.answers = {c.answer};
        restorePda(host, session, pda, options, path, ui);
        std::string expected = c.box;
        if (const auto at = expected.find("{}"); at != std::string::npos) {
            expected.replace(at, 2, path);
        }
        ASSERT_FALSE(ui.boxes.empty());
        EXPECT_EQ(ui.boxes.back().text.rfind(expected, 0), 0u) << ui.boxes.back().text;
        EXPECT_EQ(auxWrites(), 0u);
        EXPECT_EQ(card().pdaWords(true), before);
        expectAdapterReleased();
    }
}

}  // namespace
}  // namespace quillon::pda
