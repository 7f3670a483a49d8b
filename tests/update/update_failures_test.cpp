// Updates that stop: refused combinations of files, a card that does not answer, files that
// do not load, and failures while the card is written.
#include <gtest/gtest.h>

#include "card/flash_programming.h"
#include "firmware_builder.h"
#include "pda/pda_file.h"
#include "pda/set_point.h"
#include "update_rig.h"

namespace quillon::testing {
namespace {

const std::string kWhatToDo =
    "Run the update again before removing the card. If the card does not answer, power-cycle it "
    "(remove and insert it, or turn the computer off and on) and run the update again.";

constexpr std::uint32_t kStationBase = 0x7E0000;
constexpr std::uint32_t kPrimaryBase = 0x7F1800;
constexpr std::uint32_t kCisAddress = 0x7EFE00;

const std::string kPdaQuestion =
    "Please note that PDA changes will not take effect without updating station code.\n\nFor "
    "cards using Small Serial Flash: disconnect and reconnect\nthe device (or reboot) so the "
    "driver will unload and reload.\n\nFor other cards, Station firmware must be "
    "reloaded.\n\nContinue?";

// A station file built for the default card's platform.
std::string stationFile(std::uint16_t bottom, std::uint16_t top, std::uint32_t execution = 0) {
    return FirmwareBuilder()
        .station(1, 9, 0)
        .range(1, 3, bottom, top)
        .platform(0x8003)
        .data(kStationBase, FirmwareBuilder::filler(0x1000, 3))
        .text(execution);
}

TEST(UpdateRefused, CombinationsOfFilesAreRefusedBeforeTheCardIsTouched) {
    struct Case {
        const char* what;
        std::vector<std::string> files;
        std::vector<ui::Answer> answers;
        std::vector<std::string> boxes;
        std::string status;
    };
    const std::vector<Case> cases = {
        {"no file", {}, {}, {"You must select at least one file to update card"}, "before"},
        {"a PDA file without station firmware, declined",
         {"mac-serial.pda"},
         {ui::Answer::No},
         {kPdaQuestion},
         "User cancelled download."},
        {"a PDA file and primary firmware without station firmware",
         {"mac-serial.pda", "primary-1.1.1.hex"},
         {ui::Answer::Yes},
         {kPdaQuestion, "Error - Card requires Station code when updating Primary."},
         "Add Station code to the list."},
        {"primary firmware alone",
         {"primary-1.1.1.hex"},
         {},
         {"Error - Card requires Station code when updating Primary."},
         "Add Station code to the list."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UpdateRig rig;
        for (const std::string& name : c.files) {
            rig.add(name);
        }
        rig.ui.answers.assign(c.answers.begin(), c.answers.end());
        rig.host.statusText = "before";

        rig.run();

        EXPECT_EQ(rig.ui.texts(), c.boxes);
        EXPECT_EQ(rig.host.statusText, c.status);
        EXPECT_TRUE(rig.bench.requests().empty());
        EXPECT_TRUE(rig.ui.reports.empty());
    }
}

TEST(UpdateRefused, BoxesOfTheRefusals) {
    UpdateRig rig;
    rig.run();
    ASSERT_EQ(rig.ui.boxes.size(), 1u);
    EXPECT_EQ(rig.ui.boxes[0].caption, "No files selected");
    EXPECT_EQ(rig.ui.boxes[0].icon, ui::Icon::Information);

    UpdateRig primary;
    primary.add("primary-1.1.1.hex");
    primary.run();
    ASSERT_EQ(primary.ui.boxes.size(), 1u);
    EXPECT_EQ(primary.ui.boxes[0].caption, "Error");
    EXPECT_EQ(primary.ui.boxes[0].icon, ui::Icon::Error);
}

TEST(UpdateRefused, AnUnreadableSupplierRangeAsksAndGoesOnWithTheWholeRange) {
    for (const ui::Answer answer : {ui::Answer::Cancel, ui::Answer::Ok}) {
        sim::BenchConfig config = sim::defaultBenchConfig();
        config.adapters[0].card->faults.unreadableRids = {0xFD03};
        UpdateRig rig(config);
        // Its range does not meet the card's 1 .. 2, only the whole range.
        rig.list.addFile(rig.write("station.hex", stationFile(5, 6)), rig.ui);
        rig.ui.answers = {answer};
        rig.ui.reportAnswers = {false};

        rig.run();

        ASSERT_FALSE(rig.ui.boxes.empty());
        EXPECT_EQ(rig.ui.boxes[0].text,
                  "Unable to read Primary Supplier Range RID. Continue anyway?");
        EXPECT_EQ(rig.ui.boxes[0].caption, "RID read error");
        EXPECT_EQ(rig.ui.boxes[0].buttons, ui::Buttons::OkCancel);
        EXPECT_EQ(rig.ui.boxes[0].icon, ui::Icon::Question);
        EXPECT_TRUE(rig.adapterClosed());
        if (answer == ui::Answer::Cancel) {
            EXPECT_TRUE(rig.ui.reports.empty());
        } else {
            EXPECT_EQ(rig.supplier.bottom, 0);
            EXPECT_EQ(rig.supplier.top, 0xFFFF);
            ASSERT_EQ(rig.ui.reports.size(), 1u);
            EXPECT_TRUE(rig.ui.reports[0].acceptShown);
        }
    }
}

TEST(UpdateRefused, TheCardsSupplierRangeDecidesForAStationFileAlone) {
    UpdateRig rig;
    const std::string path = rig.write("station.hex", stationFile(5, 6));
    rig.list.addFile(path, rig.ui);

    rig.run();

    EXPECT_EQ(rig.supplier.bottom, 1);
    EXPECT_EQ(rig.supplier.top, 2);
    ASSERT_EQ(rig.ui.reports.size(), 1u);
    EXPECT_EQ(rig.ui.reports[0].text,
              kDefaultCardHeader + sourceFile(path) +
                  "Version information: Station: 1.9.0\n\n{+r}Error - Station firmware file is "
                  "not compatible with the current version of the primary firmware.\n{+k}" +
                  kNotAllowed);
    EXPECT_FALSE(rig.ui.reports[0].acceptShown);
    EXPECT_TRUE(rig.blockWrites().empty());
    EXPECT_TRUE(rig.adapterClosed());
}

TEST(UpdateRefused, FilesThatDoNotLoadStopTheUpdate) {
    struct Case {
        const char* what;
        std::string file;
        std::string content;
        std::vector<std::string> boxes;  // the path stands for itself in {}
    };
    const std::vector<Case> cases = {
        {"a PDA file that does not merge",
         "broken.pda",
         "not production data\r\n",
         {"File not loaded. Format invalid?", "Error loading {}"}},
        {"a firmware file that does not load",
         "broken.hex",
         "S1 this is not an S-record\r\n",
         {"Error - Unable to load file  \"{}\"\n\nCannot Continue."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UpdateRig rig;
        const std::string path = rig.write(c.file, c.content);
        rig.list.addFile(path, rig.ui);
        rig.add("station-1.8.0.hex");

        rig.run();

        std::vector<std::string> expected;
        for (std::string text : c.boxes) {
            const std::size_t at = text.find("{}");
            if (at != std::string::npos) {
                text.replace(at, 2, path);
            }
            expected.push_back(text);
        }
        EXPECT_EQ(rig.ui.texts(), expected);
        EXPECT_EQ(rig.ui.boxes.back().icon, ui::Icon::Error);
        EXPECT_TRUE(rig.ui.reports.empty());
        EXPECT_TRUE(rig.adapterClosed());
    }
}

TEST(UpdateRefused, SetPointValuesThatCannotBeDerived) {
    // A regulatory domain the card may not use.
    sim::BenchConfig config = sim::defaultBenchConfig();
    for (auto& record : config.adapters[0].card->pdaRecords) {
        if (record.code == pda::kPdrRegulatoryDomain) {
            record.data = {0x0001, 0x0099, 0, 0, 0, 0};
        }
    }
    UpdateRig rig(config);
    rig.add("mac-serial.pda");
    rig.add("station-1.8.0.hex");
    rig.run();
    ASSERT_EQ(rig.ui.boxes.size(), 1u);
    EXPECT_EQ(rig.ui.boxes[0].text, "Set Point and Integrator values could not be set");
    EXPECT_EQ(rig.ui.boxes[0].caption, "ERROR");
    EXPECT_EQ(rig.ui.boxes[0].icon, ui::Icon::Error);
    EXPECT_TRUE(rig.ui.reports.empty());
    EXPECT_TRUE(rig.adapterClosed());

    // No sources to derive from: the update goes on without them.
    sim::BenchConfig withoutSources = sim::defaultBenchConfig();
    auto& records = withoutSources.adapters[0].card->pdaRecords;
    std::erase_if(records, [](const sim::PdrConfig& r) { return r.code == 0x0900; });
    UpdateRig plain(withoutSources);
    plain.add("mac-serial.pda");
    const std::string station = plain.add("station-1.8.0.hex");
    plain.ui.reportAnswers = {false};
    plain.run();
    ASSERT_EQ(plain.ui.reports.size(), 1u);
    EXPECT_EQ(
        plain.ui.reports[0].text,
        kDefaultCardHeader +
            "---------------------\n1 PDA file(s) Loaded OK\nNo Set Point and Integrator "
            "Values.\n{+m}The update changes the card's PDA:\n  Serial number: SIM0001 becomes "
            "QSN-000042\n  MAC address: 00-02-B3-12-34-56 becomes 00-02-B3-AB-CD-EF\n{+k}" +
            sourceFile(station) + "Version information: Station: 1.8.0\n" + kFilesOk);
}

TEST(UpdateWriting, AFailedBlockFailsTheImageWhateverTheAnswer) {
    for (const ui::Answer answer : {ui::Answer::Yes, ui::Answer::No}) {
        SCOPED_TRACE(answer == ui::Answer::Yes ? "Yes" : "No");
        sim::BenchConfig config = sim::defaultBenchConfig();
        // The second block of the primary image.
        config.adapters[0].card->faults.writes = {sim::WriteFault{kPrimaryBase + 2042 + 10}};
        UpdateRig rig(config);
        const std::string primary = rig.add("primary-1.1.1.hex");
        const std::string station = rig.add("station-1.8.0.hex");
        image::MemoryImage expected;
        loadPlugged(primary, rig.cardPda(), expected);
        const std::size_t blocks = expected.countBlocks(2042, 0x10000);
        const auto lastBlockBefore = rig.bench.card(0).readFlash(kPrimaryBase + 2 * 2042, 16);
        const auto stationBefore = rig.bench.card(0).readFlash(kStationBase, 0x100);
        rig.ui.answers = {answer};

        rig.run();

        EXPECT_EQ(rig.ui.texts(),
                  (std::vector<std::string>{
                      card::blockErrorQuestion(kPrimaryBase + 2042, "primary-1.1.1.hex"),
                      "Update failed while writing to card!\n\nNot completely written: \"" +
                          primary + "\".\nNot started: \"" + station +
                          "\".\nThe card's firmware is incomplete and the card was not reset.\n\n" +
                          kWhatToDo}));
        EXPECT_EQ(rig.host.statusText, "Update FAILED");
        std::vector<std::string> steps{"probe", "block"};
        // Yes goes on with the rest of the image; No stops at the failed block. The station
        // image is not attempted either way. Each block written is read back.
        for (std::size_t i = 0; i < (answer == ui::Answer::Yes ? blocks : 2); ++i) {
            steps.push_back("write");
            if (i != 1) {
                steps.push_back("read");
            }
        }
        EXPECT_EQ(rig.stepsAfterReport(), steps);
        const auto lastBlock = rig.bench.card(0).readFlash(kPrimaryBase + 2 * 2042, 16);
        if (answer == ui::Answer::Yes) {
            EXPECT_NE(lastBlock, lastBlockBefore);
        } else {
            EXPECT_EQ(lastBlock, lastBlockBefore);
        }
        EXPECT_EQ(rig.bench.card(0).readFlash(kStationBase, 0x100), stationBefore);
        EXPECT_TRUE(rig.adapterClosed());
    }
}

TEST(UpdateWriting, ACisImageIsProgrammedAndThePdaWrittenBackAfterIt) {
    UpdateRig rig;
    const std::string path = rig.add("cis-3842.hex");
    image::MemoryImage expected;
    loadPlugged(path, rig.cardPda(), expected);

    rig.run();

    ASSERT_EQ(rig.ui.reports.size(), 1u);
    EXPECT_EQ(rig.ui.reports[0].text,
              kDefaultCardHeader + sourceFile(path) +
                  "{+m}WARNING! - No platform information in file.\n{+k} {+m}This image may not "
                  "work on the selected card.{+k}\nVersion information: <unknown file "
                  "contents>\n" +
                  kFilesOk);
    const auto writes = rig.blockWrites();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].address, kCisAddress);
    EXPECT_EQ(writes[1].address, rig.session.pdaAddress());
    expectFlashHolds(rig.bench, expected);
    EXPECT_EQ(rig.ui.texts(), std::vector<std::string>{"Update Successful!   "});
    EXPECT_TRUE(rig.adapterClosed());
}

TEST(UpdateWriting, AFailedPdaWriteEndsInFailureAfterTheImages) {
    sim::BenchConfig config = sim::defaultBenchConfig();
    config.adapters[0].card->faults.writes = {sim::WriteFault{0x7F0000}};
    UpdateRig rig(config);
    rig.add("mac-serial.pda");
    const std::string station = rig.add("station-1.8.0.hex");

    rig.run();

    EXPECT_EQ(rig.ui.texts(),
              (std::vector<std::string>{
                  "PDA Update FAILED",
                  "Update failed while writing to card!\n\nWritten: \"" + station +
                      "\".\nThe card's PDA was not written completely; a copy of the PDA as read "
                      "was saved before the update.\n\n" +
                      kWhatToDo}));
    EXPECT_EQ(rig.ui.boxes[0].caption, "PDA Update Complete");
    EXPECT_EQ(rig.host.statusText, "Update Successful!");
    EXPECT_EQ(rig.countOf(card::OID_PRIV_UNBLOCK_PROTOCOLS), 0u);
    // Not reset: the card goes on with the PDA it loaded, so that the update can run again.
    EXPECT_EQ(rig.countOf(card::OID_PRIV_FINISH), 0u);
    EXPECT_EQ(rig.bench.card(0).readFlash(kStationBase + 0x40, 6),
              (std::vector<std::uint8_t>{0x00, 0x02, 0xB3, 0xAB, 0xCD, 0xEF}));
    EXPECT_TRUE(rig.adapterClosed());
}

}  // namespace
}  // namespace quillon::testing

namespace quillon::testing {
namespace {

TEST(UpdateWriting, ABlockTheCardStoredWronglyIsAFailedBlock) {
    for (const bool verify : {true, false}) {
        SCOPED_TRACE(verify);
        sim::BenchConfig config = sim::defaultBenchConfig();
        // The card says the block was written but keeps one byte of it inverted.
        config.adapters[0].card->faults.silentWrites = {0x7E0100};
        UpdateRig rig(config);
        rig.options.verifyDownloads = verify;
        const std::string station = rig.add("station-1.8.0.hex");
        rig.ui.answers = {ui::Answer::No};

        rig.run();

        if (verify) {
            ASSERT_EQ(rig.ui.boxes.size(), 2u);
            EXPECT_EQ(rig.ui.boxes[0].text,
                      card::blockErrorQuestion(0x7E0000, "station-1.8.0.hex"));
            EXPECT_EQ(rig.ui.boxes[0].question, ui::Question::AfterFailure);
            EXPECT_EQ(rig.ui.boxes[1].text.rfind(
                          "Update failed while writing to card!\n\nNot completely written: \"" +
                              station + "\".",
                          0),
                      0u)
                << rig.ui.boxes[1].text;
            EXPECT_EQ(rig.host.statusText, "Update FAILED");
            EXPECT_EQ(rig.countOf(card::OID_PRIV_FINISH), 0u);
        } else {
            // Without the read-back the wrong byte goes unnoticed.
            EXPECT_EQ(rig.ui.texts(), std::vector<std::string>{"Update Successful!   "});
        }
    }
}

}  // namespace
}  // namespace quillon::testing
