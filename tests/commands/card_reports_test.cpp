#include "commands/card_reports.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "card/card_identity.h"
#include "command_bench.h"

namespace quillon::card {
namespace {

using testing::CommandBenchTest;

constexpr const char* kCisHeading =
    "; Attempt to read CIS from flash\r\n; This may not be valid data\r\n; "
    "-------------------------";

class CardReports : public CommandBenchTest {};

TEST_F(CardReports, FirmwareVersionsShowVersionsIdentificationAndRanges) {
    card().rids().controllerActor = sim::RidRange{1, 2, 1, 40000, 65535};

    showFirmwareVersions(host, session, ui);

    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Current Firmware Versions");
    EXPECT_EQ(ui.boxes[0].owner, ui::Owner::MainWindow);
    EXPECT_EQ(ui.boxes[0].text,
              "Primary: 1.1.0   Station: 1.7.4\n\n"
              "PRISM 3842 SIMULATED CARD \n\n"
              "Primary Supplier Range=1..2\n"
              "Modem Supplier Range=1..1\n"
              "Controller Supplier Range=1..1\n"
              "Station Supplier Range=1..1\n"
              "Modem Actor Range=1..1\n"
              "Controller Actor Range=40000..65535\n");
    expectAdapterReleased();
}

TEST_F(CardReports, FirmwareVersionsNameWhatTheCardDidNotAnswer) {
    card().faults().unreadableRids = {kRidModemSupplierRange, kRidStationIdentity};
    const ui::Outcome outcome = showFirmwareVersions(host, session, ui);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_NE(ui.boxes[0].text.find("Primary: 1.1.0 (Station RID read failure)\n\n"),
              std::string::npos);
    // A range never read is no range of 0..0.
    EXPECT_NE(ui.boxes[0].text.find("\nModem Supplier Range=(read failure)\n"), std::string::npos);
    EXPECT_EQ(outcome.ending, ui::Ending::Failed);
    expectAdapterReleased();
}

struct MacTypeCase {
    std::uint16_t reported;
    const char* text;
};

class MacTypeReport : public CommandBenchTest, public ::testing::WithParamInterface<MacTypeCase> {};

TEST_P(MacTypeReport, NamesTheType) {
    session.setMacType(GetParam().reported);
    showMacType(host, session, ui);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "MAC ID:");
    EXPECT_EQ(ui.boxes[0].text, GetParam().text);
    // The type is known from the selection: nothing is asked of the card.
    EXPECT_TRUE(requestsOf(OID_PRIV_READ_RID).empty());
    expectAdapterReleased();
}

INSTANTIATE_TEST_SUITE_P(
    Types, MacTypeReport,
    ::testing::Values(MacTypeCase{1, "MAC ID: 0\n\n(Indicates 3841 MAC)"},
                      MacTypeCase{2, "MAC ID: 2\n\n(Indicates 3842-based MAC)"},
                      MacTypeCase{3,
                                  "65535\n\n(Unknown MAC type. This tool is incompatible with "
                                  "this card and/or driver.)"}));

struct DriverCase {
    std::uint32_t version;
    bool answers;
    const char* text;
};

class DriverVersionReport : public CommandBenchTest,
                            public ::testing::WithParamInterface<DriverCase> {};

TEST_P(DriverVersionReport, ShowsTheThreeParts) {
    card().setDriverVersion(GetParam().version, GetParam().answers);
    const ui::Outcome outcome = showDriverVersion(host, session, ui);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Driver Version for Selected Card");
    EXPECT_EQ(ui.boxes[0].text, GetParam().text);
    EXPECT_EQ(outcome.done(), GetParam().answers);
    expectAdapterReleased();
}

INSTANTIATE_TEST_SUITE_P(Versions, DriverVersionReport,
                         ::testing::Values(DriverCase{0x00010203, true, "Version: 1. 2. 3"},
                                           // No answer is no version of 0.0.0.
                                           DriverCase{0x00010203, false,
                                                      "The driver did not answer the version "
                                                      "request."},
                                           DriverCase{0x000A0B0C, true, "Version: 10.11.12"},
                                           // A negative version only fails the update's check.
                                           DriverCase{0xFFFF10FF, true, "Version: 65535.16.255"}));

TEST_F(CardReports, CisListsEachTupleOnALineOfItsOwn) {
    const std::vector<std::uint8_t> cis{0x01, 0x02, 0xD9, 0x01, 0xFF, 0x55, 0x66};
    card().writeFlash(session.cisAddress(), cis);

    showCis(host, session, ui);

    ASSERT_EQ(ui.reports.size(), 1u);
    EXPECT_EQ(ui.reports[0].title, "CIS:");
    EXPECT_EQ(ui.reports[0].acceptCaption, "Close");
    EXPECT_EQ(ui.reports[0].cancelCaption, "Close");
    EXPECT_TRUE(ui.reports[0].acceptShown);
    EXPECT_EQ(ui.reports[0].text, std::string(kCisHeading) + "\r\n1 2 d9 1 \r\nff ");
    const auto reads = requestsOf(OID_PRIV_AUX_READ);
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0].address, 0x007EFE00u);
    EXPECT_EQ(reads[0].length, 512u);
    expectAdapterReleased();
}

TEST_F(CardReports, CisThatCannotBeReadGivesNoReport) {
    card().faults().requests.push_back(
        sim::RequestFault::every(OID_PRIV_AUX_READ, sim::kStatusFailure));
    showCis(host, session, ui);
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Could not read from Aux Port"});
    EXPECT_TRUE(ui.reports.empty());
    expectAdapterReleased();
}

TEST(CisListing, WalksTheTupleChain) {
    // A chain without an end: every tuple of link 0 is two bytes, and the listing runs to the
    // last byte.
    std::vector<std::uint8_t> zeros(512, 0);
    std::string expected = kCisHeading;
    for (int i = 0; i < 256; ++i) {
        expected += "\r\n0 0 ";
    }
    EXPECT_EQ(cisListing(zeros), expected);

    // A tuple that starts on byte 511 has no link byte; the walk ends with it.
    std::vector<std::uint8_t> lastByte(512, 0x11);
    lastByte[0] = 0x20;
    lastByte[1] = 0xFF;  // the next tuple starts at 257
    lastByte[257] = 0x20;
    lastByte[258] = 0xFC;  // and the next at 511
    const std::string listing = cisListing(lastByte);
    EXPECT_TRUE(listing.ends_with("11 \r\n11 ")) << listing;
    EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), 2 + 3);

    // A link that points past the end leaves the rest on one line.
    EXPECT_EQ(cisListing(std::vector<std::uint8_t>{0x01, 0xF0, 0xFF, 0x00}),
              std::string(kCisHeading) + "\r\n1 f0 ff 0 ");
    EXPECT_EQ(cisListing({}), kCisHeading);
}

TEST_F(CardReports, RidStressTestCountsEveryPassUnderTheProgressWindow) {
    ridStressTest(host, session, ui);

    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Get RID 0xfc01 Pass 100000/100000");
    EXPECT_EQ(ui.boxes[0].caption, "Completed sucessfully:");
    EXPECT_EQ(ui.boxes[0].owner, ui::Owner::MainWindow);

    ASSERT_EQ(ui.progressWindows.size(), 1u);
    const testing::ProgressRecord& progress = *ui.progressWindows[0];
    const std::vector<std::string> texts = progress.texts();
    std::vector<std::string> others;
    for (const auto& event : progress.events) {
        if (!event.starts_with("text:")) {
            others.push_back(event);
        }
    }
    EXPECT_EQ(others, (std::vector<std::string>{"centre", "show", "hide", "destroy"}));
    EXPECT_EQ(progress.bar.low, 0);
    EXPECT_EQ(progress.bar.high, 25000);
    ASSERT_EQ(texts.size(), 100001u);
    EXPECT_EQ(texts.front(), "Get RID 0xfc01 Pass 0/100000");
    EXPECT_EQ(texts[4321], "Get RID 0xfc01 Pass 4321/100000");
    ASSERT_EQ(progress.bar.positions.size(), 100001u);
    EXPECT_EQ(progress.bar.positions[4321], 1080);
    EXPECT_EQ(progress.bar.positions.back(), 25000);

    EXPECT_EQ(ui.callsStartingWith("main:"), (std::vector<std::string>{"main:hide", "main:show"}));
    std::size_t fc01Reads = 0;
    for (const auto& request : bench.requests()) {
        fc01Reads += request.oid == OID_PRIV_READ_RID ? 1 : 0;
    }
    EXPECT_EQ(fc01Reads, 100001u);
    EXPECT_EQ(requestsOf(OID_PRIV_FINISH).size(), 1u);
    expectAdapterReleased();
}

TEST_F(CardReports, RidStressTestStopsAfterAFailedDriverCheck) {
    card().setDriverVersion(0x80000000);
    ridStressTest(host, session, ui);
    EXPECT_EQ(ui.texts(),
              std::vector<std::string>{"This program requires a newer driver version to update "
                                       "cards. Updating is disabled."});
    EXPECT_TRUE(ui.progressWindows.empty());
    EXPECT_TRUE(requestsOf(OID_PRIV_READ_RID).empty());
    expectAdapterReleased();
}

TEST_F(CardReports, ReportsStopWhenTheAdapterIsGone) {
    bench.adapter(0).openError = 2;
    showFirmwareVersions(host, session, ui);
    EXPECT_EQ(ui.texts(),
              std::vector<std::string>{"Cannot open selected adapter. Was it removed?"});
    EXPECT_FALSE(host.adapterSelected);
    // Once forgotten, the next report asks for a selection.
    showDriverVersion(host, session, ui);
    EXPECT_EQ(ui.texts().back(), "Cannot continue - No adapter selected.");
    expectAdapterReleased();
}

}  // namespace
}  // namespace quillon::card
