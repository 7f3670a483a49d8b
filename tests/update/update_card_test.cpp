// Whole updates on a simulated bench: from "Continue" through the report to the card's flash
// and PDA, with the boxes, the status line and the requests sent.
#include <gtest/gtest.h>
#include <algorithm>

#include "firmware_builder.h"
#include "update_rig.h"

namespace quillon::testing {
namespace {

using card::OID_PRIV_AUX_WRITE;
using card::OID_PRIV_BLOCK_PROTOCOLS;
using card::OID_PRIV_FINISH;
using card::OID_PRIV_UNBLOCK_PROTOCOLS;

constexpr std::uint32_t kStationBase = 0x7E0000;
constexpr std::uint32_t kPrimaryBase = 0x7F1800;

// What a successful update sends after the report: the probe, each image's blocks after the
// protocols were blocked, then the probe, the unblocking and the reset.
// Each block is written and read back.
std::vector<std::string> successfulRun(const std::vector<std::size_t>& blocksPerImage) {
    std::vector<std::string> out{"probe"};
    for (std::size_t blocks : blocksPerImage) {
        out.push_back("block");
        for (std::size_t i = 0; i < blocks; ++i) {
            out.insert(out.end(), {"write", "read"});
        }
    }
    out.insert(out.end(), {"probe", "unblock", "finish"});
    return out;
}

std::size_t blocksOf(image::MemoryImage& image) {
    return image.countBlocks(2042, 0x10000);
}

TEST(UpdateCard, OneStationFileIsCheckedReportedAndProgrammed) {
    UpdateRig rig;
    const std::string path = rig.add("station-1.8.0.hex");
    const pda::PdaImage cardPdaBefore = rig.cardPda();
    image::MemoryImage expected;
    loadPlugged(path, cardPdaBefore, expected);

    rig.run();

    ASSERT_EQ(rig.ui.reports.size(), 1u);
    const ui::ReportRequest& report = rig.ui.reports[0];
    EXPECT_EQ(report.text, kDefaultCardHeader + sourceFile(path) +
                               "Version information: Station: 1.8.0\n" + kFilesOk);
    EXPECT_EQ(report.acceptCaption, "UPDATE");
    EXPECT_EQ(report.cancelCaption, "CANCEL");
    EXPECT_EQ(report.title, "Update Information");
    EXPECT_TRUE(report.acceptShown);

    // No question before the card is read; only the outcome afterwards.
    ASSERT_EQ(rig.ui.boxes.size(), 1u);
    EXPECT_EQ(rig.ui.boxes[0].text, "Update Successful!   ");
    EXPECT_EQ(rig.ui.boxes[0].caption, "Update Complete");
    EXPECT_EQ(rig.ui.boxes[0].icon, ui::Icon::Information);
    EXPECT_EQ(rig.host.statusText, "Update Successful!");

    EXPECT_EQ(rig.stepsAfterReport(), successfulRun({blocksOf(expected)}));
    expectFlashHolds(rig.bench, expected);
    // The card's own production data went into the image.
    EXPECT_EQ(rig.bench.card(0).readFlash(kStationBase + 0x40, 6),
              (std::vector<std::uint8_t>{0x00, 0x02, 0xB3, 0x12, 0x34, 0x56}));
    EXPECT_EQ(rig.bench.card(0).readFlash(kStationBase + 0x50, 12), bytesOf("SIM0001", 12));
    EXPECT_EQ(rig.bench.card(0).readFlash(kStationBase + 0xB0, 20),
              bytesOf("STATION-1.8.0.HEX", 20));
    // No ".pda" file and no CIS image: the PDA is not written.
    EXPECT_EQ(rig.cardPda().records().size(), cardPdaBefore.records().size());
    for (const auto& w : rig.blockWrites()) {
        EXPECT_NE(w.address, rig.session.pdaAddress());
    }
    EXPECT_TRUE(rig.adapterClosed());
    EXPECT_EQ(rig.list.count(), 1);
}

TEST(UpdateCard, ProgrammingRunsUnderTheProgressWindowWithTheMainWindowHidden) {
    UpdateRig rig;
    rig.add("station-1.8.0.hex");
    rig.run();

    ASSERT_EQ(rig.ui.progressWindows.size(), 1u);
    const ProgressRecord& progress = *rig.ui.progressWindows[0];
    EXPECT_EQ(progress.texts(), std::vector<std::string>{"Flash update in progress..."});
    EXPECT_EQ(progress.bar.low, 0);
    ASSERT_FALSE(progress.bar.positions.empty());
    EXPECT_EQ(progress.bar.positions.back(), progress.bar.high);

    std::vector<std::string> window;
    for (const std::string& call : rig.ui.calls) {
        if (call.rfind("main:", 0) == 0 || call.rfind("progress:", 0) == 0 ||
            call.rfind("cursor:", 0) == 0 || call.rfind("report:", 0) == 0) {
            window.push_back(call);
        }
    }
    EXPECT_EQ(window,
              (std::vector<std::string>{
                  "main:disable", "report:Update Information", "main:enable", "main:hide",
                  "progress:create", "main:disable", "progress:centre", "progress:show",
                  "progress:text:Flash update in progress...", "cursor:wait", "progress:hide",
                  "cursor:arrow", "main:enable", "main:show", "progress:destroy"}));
}

TEST(UpdateCard, PdaFilesOnlyAreMergedAndWrittenAfterTheQuestion) {
    UpdateRig rig;
    rig.add("mac-serial.pda");
    rig.add("set-point.pda");

    rig.run();

    ASSERT_GE(rig.ui.boxes.size(), 1u);
    EXPECT_EQ(rig.ui.boxes[0].caption, "Warning");
    EXPECT_EQ(rig.ui.boxes[0].buttons, ui::Buttons::YesNo);
    EXPECT_EQ(rig.ui.boxes[0].icon, ui::Icon::Warning);
    EXPECT_EQ(rig.ui.boxes[0].text,
              "Please note that PDA changes will not take effect without updating station "
              "code.\n\nFor cards using Small Serial Flash: disconnect and reconnect\nthe device "
              "(or reboot) so the driver will unload and reload.\n\nFor other cards, Station "
              "firmware must be reloaded.\n\nContinue?");

    ASSERT_EQ(rig.ui.reports.size(), 1u);
    EXPECT_EQ(rig.ui.reports[0].text,
              kDefaultCardHeader + "---------------------\n2 PDA file(s) Loaded OK\n" +
                  "{+g}Set Point and Integrator Values Calculated.\n{+k}" +
                  "{+m}The update changes the card's PDA:\n"
                  "  Serial number: SIM0001 becomes QSN-000042\n"
                  "  MAC address: 00-02-B3-12-34-56 becomes 00-02-B3-AB-CD-EF\n"
                  "  Record 300 (set-point values): added\n"
                  "  Record 301 (integrator values): added\n"
                  "  Record 900 (set-point sources): changed\n"
                  "  Record 901 (integrator sources): changed\n{+k}" +
                  kFilesOk);
    EXPECT_EQ(rig.ui.texts(),
              (std::vector<std::string>{rig.ui.boxes[0].text, "Update Successful!   "}));

    // No image: the PDA alone was written, then the card unblocked and reset.
    const auto writes = rig.blockWrites();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].address, rig.session.pdaAddress());
    EXPECT_EQ(rig.countOf(OID_PRIV_UNBLOCK_PROTOCOLS), 1u);
    // One request has the card start again, with its new PDA: at the end, not after the write.
    EXPECT_EQ(rig.countOf(OID_PRIV_FINISH), 1u);

    const pda::PdaImage written = rig.cardPda();
    EXPECT_EQ(written.loadedChecksum(), written.storedChecksum());
    const pda::PdrRecord* mac = written.findRecord(pda::kPdrMacAddress);
    ASSERT_NE(mac, nullptr);
    EXPECT_EQ(std::vector<std::uint16_t>(mac->data().begin(), mac->data().end()),
              (std::vector<std::uint16_t>{0x0200, 0xABB3, 0xEFCD}));
    const pda::PdrRecord* serial = written.findRecord(pda::kPdrSerialNumber);
    ASSERT_NE(serial, nullptr);
    EXPECT_EQ(pda::pdrText(*serial), "QSN-000042");
    EXPECT_NE(written.findRecord(pda::kPdrSetPoint), nullptr);
    EXPECT_NE(written.findRecord(pda::kPdrIntegrator), nullptr);
    // The card reloaded its RAM copy from the new NVRAM copy.
    EXPECT_EQ(rig.bench.card(0).pdaWords(false), rig.bench.card(0).pdaWords(true));
    EXPECT_TRUE(rig.adapterClosed());
}

TEST(UpdateCard, PrimaryIsLoadedAndProgrammedBeforeStationInWhateverOrderTheyWereAdded) {
    for (const bool stationFirst : {false, true}) {
        SCOPED_TRACE(stationFirst ? "station added first" : "primary added first");
        UpdateRig rig;
        std::string primary;
        std::string station;
        if (stationFirst) {
            station = rig.add("station-1.8.0.hex");
            primary = rig.add("primary-1.1.1.hex");
        } else {
            primary = rig.add("primary-1.1.1.hex");
            station = rig.add("station-1.8.0.hex");
        }
        image::MemoryImage expectedPrimary;
        image::MemoryImage expectedStation;
        loadPlugged(primary, rig.cardPda(), expectedPrimary);
        loadPlugged(station, rig.cardPda(), expectedStation);

        rig.run();

        ASSERT_EQ(rig.ui.reports.size(), 1u);
        EXPECT_EQ(rig.ui.reports[0].text, kDefaultCardHeader + sourceFile(primary) +
                                              "Version information: Primary: 1.1.1\n" +
                                              sourceFile(station) +
                                              "Version information: Station: 1.8.0\n" + kFilesOk);
        EXPECT_EQ(rig.stepsAfterReport(),
                  successfulRun({blocksOf(expectedPrimary), blocksOf(expectedStation)}));
        const auto writes = rig.blockWrites();
        ASSERT_FALSE(writes.empty());
        EXPECT_GE(writes.front().address, kPrimaryBase);
        EXPECT_LT(writes.back().address, kPrimaryBase);
        expectFlashHolds(rig.bench, expectedPrimary);
        expectFlashHolds(rig.bench, expectedStation);
        EXPECT_EQ(rig.bench.card(0).readFlash(kPrimaryBase + 0x20, 12), bytesOf("QN-3842-01", 12));
        EXPECT_EQ(rig.ui.texts(), std::vector<std::string>{"Update Successful!   "});
        EXPECT_EQ(rig.ui.progressWindows.size(), 1u);
    }
}

TEST(UpdateCard, OneBarRunsOnceOverTheImagesThePdaAndTheReset) {
    UpdateRig rig;
    rig.add("station-1.8.0.hex");
    rig.add("primary-1.1.1.hex");
    rig.add("mac-serial.pda");

    rig.run();

    ASSERT_EQ(rig.ui.texts(), std::vector<std::string>{"Update Successful!   "});
    ASSERT_EQ(rig.ui.progressWindows.size(), 1u);
    const auto& job = rig.ui.progressWindows[0]->job;
    ASSERT_FALSE(job.empty());
    std::vector<std::string> phases;
    for (std::size_t i = 0; i < job.size(); ++i) {
        if (i > 0) {
            EXPECT_GE(job[i].first, job[i - 1].first) << job[i].second;
        }
        if (phases.empty() || phases.back() != job[i].second) {
            phases.push_back(job[i].second);
        }
    }
    EXPECT_EQ(job.front().first, 0);
    EXPECT_EQ(job.back().first, 1000);
    EXPECT_EQ(phases,
              (std::vector<std::string>{"Writing and verifying image 1 of 2: primary-1.1.1.hex",
                                        "Writing and verifying image 2 of 2: station-1.8.0.hex",
                                        "Writing and verifying the card's PDA",
                                        "Starting the card's new firmware"}));
    // The card is told to start again once, after the PDA.
    const auto steps = rig.stepsAfterReport();
    EXPECT_EQ(std::count(steps.begin(), steps.end(), "finish"), 1);
    EXPECT_EQ(steps.back(), "finish");
}

TEST(UpdateCard, NineFilesAreTakenAndTheTenthIsRefusedAfterThePdaFilesMerged) {
    for (const int pdaFiles : {8, 9}) {
        SCOPED_TRACE(pdaFiles);
        UpdateRig rig;
        const std::string content = tools::makeSamples().at("mac-serial.pda");
        for (int i = 0; i < pdaFiles; ++i) {
            rig.list.addFile(rig.write("copy" + std::to_string(i) + ".pda", content), rig.ui);
        }
        rig.add("station-1.8.0.hex");
        ASSERT_EQ(rig.list.count(), pdaFiles + 1);

        rig.run();

        // The window's PDA takes the merged records only once the card took them: a refused
        // update leaves it as read.
        const pda::PdrRecord* mac = rig.pda.findRecord(pda::kPdrMacAddress);
        ASSERT_NE(mac, nullptr);
        EXPECT_EQ(mac->data()[1], pdaFiles == 8 ? 0xABB3 : 0x12B3);
        if (pdaFiles == 8) {
            ASSERT_EQ(rig.ui.reports.size(), 1u);
            EXPECT_NE(rig.ui.reports[0].text.find("8 PDA file(s) Loaded OK\n"), std::string::npos);
            EXPECT_EQ(rig.ui.texts(), std::vector<std::string>{"Update Successful!   "});
            EXPECT_EQ(pda::pdrText(*rig.cardPda().findRecord(pda::kPdrSerialNumber)), "QSN-000042");
        } else {
            EXPECT_TRUE(rig.ui.reports.empty());
            ASSERT_EQ(rig.ui.boxes.size(), 1u);
            EXPECT_EQ(rig.ui.boxes[0].text,
                      "Error - Too many files at once\n\nAn update takes at most 9 files; 10 are "
                      "queued.");
            EXPECT_EQ(rig.ui.boxes[0].caption, "Error");
            EXPECT_EQ(rig.ui.boxes[0].icon, ui::Icon::Error);
            EXPECT_TRUE(rig.blockWrites().empty());
            EXPECT_EQ(pda::pdrText(*rig.cardPda().findRecord(pda::kPdrSerialNumber)), "SIM0001");
        }
        EXPECT_TRUE(rig.adapterClosed());
    }
}

TEST(UpdateCard, AFailedPlatformCheckNamesOnlyThatFileAndForbidsTheUpdate) {
    UpdateRig rig;
    // A primary file for platform 8005 only, queued with the station file after it.
    const std::string primary =
        rig.write("primary-8005.hex", FirmwareBuilder()
                                          .primary(1, 1, 2)
                                          .range(0, 3, 1, 2)
                                          .platform(0x8002)
                                          .platform(0x8005)
                                          .data(kPrimaryBase, FirmwareBuilder::filler(64, 7))
                                          .text());
    rig.list.addFile(primary, rig.ui);
    rig.add("station-1.8.0.hex");
    const auto flashBefore = rig.bench.card(0).readFlash(kStationBase, 0x10000);

    rig.run();

    ASSERT_EQ(rig.ui.reports.size(), 1u);
    EXPECT_EQ(rig.ui.reports[0].text,
              kDefaultCardHeader + sourceFile(primary) +
                  "{+r}Error - Platforms incompatible. Current card is platform 8003.  Image "
                  "built for: 8002, 8005,  This file cannot be used.\n{+k}" +
                  kNotAllowed);
    EXPECT_FALSE(rig.ui.reports[0].acceptShown);
    EXPECT_TRUE(rig.ui.boxes.empty());
    EXPECT_TRUE(rig.blockWrites().empty());
    EXPECT_EQ(rig.countOf(OID_PRIV_BLOCK_PROTOCOLS), 0u);
    EXPECT_EQ(rig.bench.card(0).readFlash(kStationBase, 0x10000), flashBefore);
    EXPECT_TRUE(rig.adapterClosed());
}

TEST(UpdateCard, AnUnreadablePdaGivesAReportWithoutHeaderAndTheChecksStillRun) {
    sim::BenchConfig config = sim::defaultBenchConfig();
    config.adapters[0].card->pdaWords = std::vector<std::uint16_t>(512, 0xFFFF);
    config.adapters[0].card->ramPdaWords = std::vector<std::uint16_t>(512, 0xFFFF);
    UpdateRig rig(config);
    const std::string path = rig.add("station-1.8.0.hex");
    rig.ui.reportAnswers = {false};

    rig.run();

    ASSERT_FALSE(rig.ui.boxes.empty());
    EXPECT_EQ(rig.ui.boxes[0].caption, "Invalid PDA data");
    // Nobody was asked; and the platform check says why it knows no platform.
    EXPECT_EQ(rig.host.statusText, "PDA read error! The card's PDA will not be written.");
    ASSERT_EQ(rig.ui.reports.size(), 1u);
    EXPECT_EQ(rig.ui.reports[0].text,
              "{+r}The card's PDA could not be read: \".pda\" files and a CIS image cannot be "
              "applied, and nothing will write the card's PDA.\n{+k}" +
                  sourceFile(path) +
                  "{+m}WARNING! - The card's PDA could not be read: its platform is unknown.\n{+k}"
                  "{+m}This image may not work on the selected card.{+k}\nVersion information: "
                  "Station: 1.8.0\n" +
                  kFilesOk);
    EXPECT_TRUE(rig.pda.isEmpty());
    EXPECT_TRUE(rig.adapterClosed());
}

TEST(UpdateCard, CancellingTheReportWritesNothing) {
    UpdateRig rig;
    rig.add("mac-serial.pda");
    rig.add("station-1.8.0.hex");
    const auto pdaBefore = rig.bench.card(0).pdaWords(true);
    const auto flashBefore = rig.bench.card(0).readFlash(kStationBase, 0x10000);
    rig.host.statusText = "before";
    rig.ui.reportAnswers = {false};

    rig.run();

    ASSERT_EQ(rig.ui.reports.size(), 1u);
    EXPECT_TRUE(rig.ui.reports[0].acceptShown);
    EXPECT_TRUE(rig.ui.boxes.empty());
    EXPECT_EQ(rig.host.statusText, "before");
    EXPECT_TRUE(rig.stepsAfterReport().empty());
    EXPECT_EQ(rig.countOf(OID_PRIV_AUX_WRITE), 0u);
    EXPECT_EQ(rig.bench.card(0).pdaWords(true), pdaBefore);
    EXPECT_EQ(rig.bench.card(0).readFlash(kStationBase, 0x10000), flashBefore);
    EXPECT_EQ(rig.list.count(), 2);
    EXPECT_TRUE(rig.adapterClosed());
    EXPECT_GT(rig.host.refreshes, 0);
}

TEST(UpdateCard, AFailedDriverCheckStopsTheUpdateAndReleasesTheAdapter) {
    sim::BenchConfig config = sim::defaultBenchConfig();
    config.adapters[0].card->driverVersion = 0x80000000;
    UpdateRig rig(config);
    rig.add("station-1.8.0.hex");
    const int refreshesBefore = rig.host.refreshes;

    rig.run();

    EXPECT_EQ(rig.ui.texts(),
              std::vector<std::string>{"This program requires a newer driver version to update "
                                       "cards. Updating is disabled."});
    EXPECT_TRUE(rig.ui.reports.empty());
    EXPECT_TRUE(rig.adapterClosed());
    EXPECT_EQ(rig.host.refreshes, refreshesBefore + 1);
    EXPECT_EQ(rig.countOf(card::OID_PRIV_AUX_READ), 0u);
    EXPECT_TRUE(rig.host.adapterSelected);
}

}  // namespace
}  // namespace quillon::testing
