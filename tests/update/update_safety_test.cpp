// What an update must never do to a card: write a PDA it did not read, write a PDA the card
// cannot hold, let firmware overwrite the production data, change the PDA without keeping a
// copy, or call an update successful when the card did not take it.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "firmware_builder.h"
#include "pda/pda_file.h"
#include "pda/set_point.h"
#include "update_rig.h"

namespace quillon::testing {
namespace {

constexpr std::uint32_t kStationBase = 0x7E0000;

const std::string kPdaNotRead =
    "{+r}The card's PDA could not be read: \".pda\" files and a CIS image cannot be applied, "
    "and nothing will write the card's PDA.\n{+k}";

// A station file for the default card's platform, with extra data where asked.
std::string stationFile(std::uint32_t extraAt = 0, std::size_t extraSize = 0) {
    FirmwareBuilder builder;
    builder.station(1, 9, 0)
        .range(1, 3, 1, 2)
        .platform(0x8003)
        .data(kStationBase, FirmwareBuilder::filler(0x1000, 3));
    if (extraSize > 0) {
        builder.data(extraAt, FirmwareBuilder::filler(extraSize, 5));
    }
    return builder.text();
}

std::vector<std::filesystem::path> backups(const UpdateRig& rig) {
    std::vector<std::filesystem::path> out;
    std::error_code ignored;
    for (const auto& entry :
         std::filesystem::directory_iterator(rig.dir.file("pda-backups"), ignored)) {
        out.push_back(entry.path());
    }
    return out;
}

TEST(UpdateSafety, APdaThatWasNotReadIsNeverWritten) {
    struct Case {
        const char* what;
        std::vector<std::string> files;
        bool allowed;
    };
    const std::vector<Case> cases = {
        {"a PDA file", {"mac-serial.pda", "station-1.8.0.hex"}, false},
        {"a CIS image", {"cis-3842.hex"}, false},
        {"firmware alone", {"station-1.8.0.hex"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim::BenchConfig config = sim::defaultBenchConfig();
        // The update's read of the PDA fails.
        config.adapters[0].card->faults.requests = {
            sim::RequestFault::range(card::OID_PRIV_AUX_READ, 1, 1, sim::kStatusFailure)};
        UpdateRig rig(config);
        for (const std::string& name : c.files) {
            rig.add(name);
        }
        const auto pdaBefore = rig.bench.card(0).pdaWords(true);

        rig.run();

        ASSERT_EQ(rig.ui.reports.size(), 1u);
        const std::string& report = rig.ui.reports[0].text;
        EXPECT_EQ(report.rfind(kPdaNotRead, 0), 0u) << report;
        EXPECT_EQ(rig.ui.reports[0].acceptShown, c.allowed);
        EXPECT_EQ(rig.host.statusText.rfind("PDA read error!", 0) == 0 || c.allowed, true);
        if (c.allowed) {
            EXPECT_NE(report.find("WARNING! - The card's PDA could not be read: its platform "
                                  "is unknown."),
                      std::string::npos);
            EXPECT_EQ(report.find("No platform ID on card"), std::string::npos);
            EXPECT_EQ(rig.ui.texts(), std::vector<std::string>{"Update Successful!   "});
            EXPECT_FALSE(rig.blockWrites().empty());
        } else {
            EXPECT_NE(report.find(kNotAllowed), std::string::npos);
            EXPECT_TRUE(rig.blockWrites().empty());
        }
        for (const auto& write : rig.blockWrites()) {
            EXPECT_NE(write.address, rig.session.pdaAddress());
        }
        EXPECT_EQ(rig.bench.card(0).pdaWords(true), pdaBefore);
        EXPECT_TRUE(backups(rig).empty());
        EXPECT_TRUE(rig.adapterClosed());
    }
}

TEST(UpdateSafety, AMergedPdaTheCardCannotHoldIsRefusedBeforeAnyWrite) {
    // A ".pda" file of one filler record sized so that the merged records take 509, 510 or 511
    // words: with the end record 512 fit the card's PDA, 513 and 514 do not.
    for (const std::size_t recordWords : {509u, 510u, 511u}) {
        SCOPED_TRACE(recordWords);
        UpdateRig rig;
        pda::PdaImage merged = rig.cardPda();
        pda::deriveSetPointAndIntegrator(merged);
        const std::size_t filler = recordWords - (merged.flatSize() - 3);
        char length[8];
        std::snprintf(length, sizeof length, "%zx", filler - 1);
        std::string text = std::string(length) + " 0500";
        for (std::size_t i = 2; i < filler; ++i) {
            text += " 1";
        }
        rig.list.addFile(rig.write("big.pda", text + "\r\n"), rig.ui);
        rig.add("station-1.8.0.hex");
        const auto pdaBefore = rig.bench.card(0).pdaWords(true);
        rig.ui.reportAnswers = {true};

        rig.run();

        ASSERT_EQ(rig.ui.reports.size(), 1u);
        const bool fits = recordWords == 509;
        EXPECT_EQ(rig.ui.reports[0].acceptShown, fits);
        if (fits) {
            EXPECT_EQ(rig.ui.texts(), std::vector<std::string>{"Update Successful!   "});
            EXPECT_EQ(rig.cardPda().flatSize(), 512u);
        } else {
            EXPECT_NE(rig.ui.reports[0].text.find("{+r}Error - the merged PDA takes " +
                                                  std::to_string(recordWords + 3) +
                                                  " words; the card holds 512.{+k}"),
                      std::string::npos);
            EXPECT_TRUE(rig.blockWrites().empty());
            EXPECT_EQ(rig.bench.card(0).pdaWords(true), pdaBefore);
        }
    }
}

TEST(UpdateSafety, FirmwareDataInThePdaAreaIsARedFinding) {
    struct Case {
        std::uint32_t at;
        std::size_t size;
        bool allowed;
    };
    // The 3842's PDA takes 0x7F0000 to 0x7F03FF.
    const std::vector<Case> cases = {
        {0x7F0000, 16, false},   {0x7EFFF0, 32, false}, {0x7F03F0, 16, false},
        {0x7EFF00, 0x100, true}, {0x7F0400, 16, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.at);
        UpdateRig rig;
        const std::string path = rig.write("station.hex", stationFile(c.at, c.size));
        rig.list.addFile(path, rig.ui);
        const auto pdaBefore = rig.bench.card(0).pdaWords(true);
        rig.ui.reportAnswers = {false};

        rig.run();

        ASSERT_EQ(rig.ui.reports.size(), 1u);
        EXPECT_EQ(rig.ui.reports[0].acceptShown, c.allowed);
        const bool named = rig.ui.reports[0].text.find(
                               "overlaps the card's PDA area "
                               "(0x007F0000-0x007F03FF)") != std::string::npos;
        EXPECT_EQ(named, !c.allowed) << rig.ui.reports[0].text;
        EXPECT_TRUE(rig.blockWrites().empty());
        EXPECT_EQ(rig.bench.card(0).pdaWords(true), pdaBefore);
        EXPECT_TRUE(rig.adapterClosed());
    }
}

TEST(UpdateSafety, FirmwareAtAnAddressThe3841TakesForItsPdaIsARedFinding) {
    // A 3841 ignores address bits 17 and 18: its PDA at 0x3F0000 is also reached at 0x390000,
    // 0x3B0000 and 0x3D0000.
    struct Case {
        std::uint32_t at;
        const char* named;
    };
    const std::vector<Case> cases = {
        {0x3F0000, "(0x003F0000-0x003F03FF). "},
        {0x390000, "(0x003F0000-0x003F03FF), which this card also answers at 0x00390000."},
        {0x3B0200, "(0x003F0000-0x003F03FF), which this card also answers at 0x003B0000."},
        {0x3D03F0, "(0x003F0000-0x003F03FF), which this card also answers at 0x003D0000."},
        {0x3D0400, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.at);
        sim::BenchConfig config = sim::defaultBenchConfig();
        config.adapters[0].card->macType = card::kMacType3841;
        UpdateRig rig(config);
        rig.list.addFile(rig.write("station.hex", stationFile(c.at, 16)), rig.ui);
        const auto pdaBefore = rig.bench.card(0).pdaWords(true);
        rig.ui.reportAnswers = {true};

        rig.run();

        ASSERT_EQ(rig.ui.reports.size(), 1u);
        const std::string& report = rig.ui.reports[0].text;
        EXPECT_EQ(rig.ui.reports[0].acceptShown, c.named == nullptr) << report;
        if (c.named != nullptr) {
            EXPECT_NE(report.find(c.named), std::string::npos) << report;
            EXPECT_TRUE(rig.blockWrites().empty());
        }
        EXPECT_EQ(rig.bench.card(0).pdaWords(true), pdaBefore);
    }
}

TEST(UpdateSafety, ARamImageIsARedFindingBeforeAnythingIsWritten) {
    UpdateRig rig;
    rig.add("primary-1.1.1.hex");
    FirmwareBuilder ram;
    ram.station(1, 9, 0)
        .range(1, 3, 1, 2)
        .platform(0x8003)
        .data(kStationBase, FirmwareBuilder::filler(16, 3));
    rig.list.addFile(rig.write("ram.hex", ram.text(0x00001000)), rig.ui);
    rig.ui.reportAnswers = {true};

    rig.run();

    ASSERT_EQ(rig.ui.reports.size(), 1u);
    EXPECT_FALSE(rig.ui.reports[0].acceptShown);
    EXPECT_NE(rig.ui.reports[0].text.find(
                  "{+r}Error - a RAM image (execution address 0x00001000): it runs from the "
                  "card's RAM and cannot be written to flash. This file cannot be used.\n{+k}"),
              std::string::npos)
        << rig.ui.reports[0].text;
    EXPECT_TRUE(rig.blockWrites().empty());
}

TEST(UpdateSafety, ACopyOfThePdaAsReadIsSavedBeforeTheCardIsWritten) {
    UpdateRig rig;
    rig.add("mac-serial.pda");
    rig.add("station-1.8.0.hex");
    const pda::PdaImage before = rig.cardPda();

    rig.run();

    EXPECT_EQ(rig.ui.texts(), std::vector<std::string>{"Update Successful!   "});
    const auto saved = backups(rig);
    ASSERT_EQ(saved.size(), 1u);
    const std::string name = saved[0].filename().string();
    EXPECT_EQ(name.rfind("SIM0001_00-02-B3-12-34-56_", 0), 0u) << name;
    EXPECT_EQ(saved[0].extension(), ".pda");
    EXPECT_EQ(rig.ui.notices, std::vector<std::string>{"A copy of the card's PDA was saved to " +
                                                       saved[0].string()});
    pda::PdaImage copy;
    ASSERT_TRUE(pda::loadPdaFile(copy, saved[0].string(), rig.ui));
    EXPECT_EQ(pda::formatPdaFile(copy), pda::formatPdaFile(before));
    EXPECT_NE(pda::formatPdaFile(rig.cardPda()), pda::formatPdaFile(before));

    // With no place for the copy, nothing at all is written.
    UpdateRig blocked;
    blocked.options.pdaBackupFolder = blocked.write("pda-backups", "a file, not a folder");
    blocked.add("mac-serial.pda");
    blocked.add("station-1.8.0.hex");
    const auto pdaBefore = blocked.bench.card(0).pdaWords(true);
    blocked.run();
    ASSERT_EQ(blocked.ui.boxes.size(), 2u);
    EXPECT_EQ(blocked.ui.boxes[0].caption, "PDA backup");
    // Nothing failed while writing: the box says what happened, that the card is as it was
    // and what to do.
    EXPECT_EQ(blocked.ui.boxes[1].caption, "Update Not Started");
    EXPECT_EQ(blocked.ui.boxes[1].text,
              "Update not started: no copy of the card's PDA could be kept, and the update writes "
              "the PDA. Nothing was written to the card; it holds what it held before.\n\n"
              "Let the copy be saved (the folder for PDA copies must exist as a folder you may "
              "write to, with room to spare), then run the update again.");
    EXPECT_TRUE(blocked.blockWrites().empty());
    EXPECT_EQ(blocked.bench.card(0).pdaWords(true), pdaBefore);
    EXPECT_TRUE(blocked.adapterClosed());
}

TEST(UpdateSafety, AFailedResetIsNoSuccess) {
    sim::BenchConfig config = sim::defaultBenchConfig();
    config.adapters[0].card->faults.requests = {
        sim::RequestFault::every(card::OID_PRIV_FINISH, sim::kStatusFailure)};
    UpdateRig rig(config);
    rig.add("station-1.8.0.hex");

    rig.run();

    ASSERT_EQ(rig.ui.boxes.size(), 1u);
    EXPECT_EQ(rig.ui.boxes[0].text,
              "Update failed: the card did not reset and still runs its old firmware.\n\n"
              "Power-cycle the card (remove and insert it, or turn the computer off and on) to "
              "start the new firmware.");
    EXPECT_EQ(rig.ui.boxes[0].icon, ui::Icon::Error);
    EXPECT_EQ(rig.host.statusText, "Update FAILED: the card did not reset.");
    EXPECT_TRUE(rig.adapterClosed());
}

}  // namespace
}  // namespace quillon::testing
