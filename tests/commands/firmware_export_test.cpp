#include "commands/firmware_export.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "command_bench.h"
#include "temp_dir.h"

namespace quillon::image {
namespace {

using testing::CommandBenchTest;

constexpr std::uint32_t kBase3842 = 0x007E0000;
constexpr std::size_t kWindow = 0x20000;
constexpr const char* kWarning =
    "WARNING - This procedure is not guaranteed to work. This procedure only works on PRISM "
    "cards with parallel flash! Do you wish to continue?";

// The S-record file of a run of bytes, written out independently of the program's writer:
// S3 records of 16 bytes and the S7 record without an execution address.
std::string expectedHexFile(std::uint32_t address, const std::vector<std::uint8_t>& bytes) {
    std::string text;
    char field[16];
    for (std::size_t offset = 0; offset < bytes.size(); offset += 16) {
        const std::uint32_t at = address + static_cast<std::uint32_t>(offset);
        unsigned sum = 21 + (at >> 24) + ((at >> 16) & 0xFF) + ((at >> 8) & 0xFF) + (at & 0xFF);
        std::snprintf(field, sizeof field, "%08X", at);
        text += std::string("S315") + field;
        for (std::size_t i = 0; i < 16; ++i) {
            sum += bytes[offset + i];
            std::snprintf(field, sizeof field, "%02X", bytes[offset + i]);
            text += field;
        }
        std::snprintf(field, sizeof field, "%02X", ~sum & 0xFF);
        text += field;
        text += "\r\n";
    }
    return text + "S70500000000FA\r\n";
}

std::string expectedDumpFile(std::uint32_t address, const std::vector<std::uint8_t>& bytes) {
    std::string text;
    char field[16];
    for (std::size_t offset = 0; offset < bytes.size(); offset += 16) {
        std::snprintf(field, sizeof field, "%x:", address + static_cast<unsigned>(offset));
        text += field;
        for (std::size_t i = 0; i < 16; i += 2) {
            std::snprintf(field, sizeof field, " %04x",
                          bytes[offset + i] | (bytes[offset + i + 1] << 8));
            text += field;
        }
        text += "\r\n";
    }
    return text;
}

class FirmwareExport : public CommandBenchTest {
  protected:
    // The person agrees to the warning and picks the file and filter.
    std::string choose(const std::string& name, int filterIndex) {
        const std::string path = dir.file(name);
        ui.fileDialogResults.push_back(ui::FileDialogResult{path, filterIndex});
        return path;
    }

    std::vector<std::uint8_t> window() const { return bench.card(0).readFlash(kBase3842, kWindow); }

    std::size_t auxReads() const { return requestsOf(card::OID_PRIV_AUX_READ).size(); }

    bool folderIsEmpty() const { return std::filesystem::is_empty(dir.path()); }

    testing::TempDir dir;
};

TEST_F(FirmwareExport, SavesTheFlashWindowAsSRecords) {
    const std::string path = choose("card.hex", 1);

    exportFirmwareImage(host, session, ui);

    ASSERT_EQ(ui.boxes.size(), 2u) << ::testing::PrintToString(ui.texts());
    EXPECT_EQ(ui.boxes[0].text, kWarning);
    EXPECT_EQ(ui.boxes[0].caption, "Warning Notice");
    EXPECT_EQ(ui.boxes[0].buttons, ui::Buttons::OkCancel);
    EXPECT_EQ(ui.boxes[0].icon, ui::Icon::Question);
    EXPECT_EQ(ui.boxes[1].text, "File Saved Successfully.\n" + path);
    EXPECT_FALSE(ui.boxes[1].caption.has_value());
    // The card is read under the progress window, after the file dialog closed.
    ASSERT_EQ(ui.progressWindows.size(), 1u);
    EXPECT_EQ(ui.progressWindows[0]->texts(),
              std::vector<std::string>{"Reading the card's flash..."});
    EXPECT_EQ(ui.progressWindows[0]->bar.positions.back(), 256);
    EXPECT_EQ(ui.progressWindows[0]->bar.high, 256);
    const auto dialogAt = std::find(ui.calls.begin(), ui.calls.end(), "file-dialog");
    const auto windowAt = std::find(ui.calls.begin(), ui.calls.end(), "progress:create");
    const auto destroyedAt = std::find(ui.calls.begin(), ui.calls.end(), "progress:destroy");
    EXPECT_LT(dialogAt, windowAt);
    EXPECT_LT(destroyedAt, std::find(ui.calls.begin(), ui.calls.end(), "box:" + ui.boxes[1].text));

    ASSERT_EQ(ui.fileDialogs.size(), 1u);
    const ui::FileDialogRequest& request = ui.fileDialogs[0];
    EXPECT_EQ(request.kind, ui::FileDialogRequest::Kind::Save);
    EXPECT_EQ(request.defaultExtension, "hex");
    EXPECT_EQ(request.initialName, "SIM0001");
    EXPECT_EQ(request.filter, "Hex File (*.hex)|*.hex|Text Dump (*.dmp)|*.dmp|");
    EXPECT_TRUE(request.confirmOverwrite);
    EXPECT_TRUE(request.hideReadOnly);

    const std::string file = testing::readWholeFile(path);
    EXPECT_EQ(file, expectedHexFile(kBase3842, window()));
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 8193);
    EXPECT_TRUE(file.starts_with("S315007E0000")) << file.substr(0, 50);

    // Three agreeing reads of each of the 256 blocks, from the NVRAM copy.
    const auto reads = requestsOf(card::OID_PRIV_AUX_READ);
    ASSERT_EQ(reads.size(), 768u);
    EXPECT_EQ(reads.front().address, 0x807E0000u);
    EXPECT_EQ(reads.front().length, 512u);
    EXPECT_EQ(reads.back().address, 0x807FFE00u);
    // The card is opened to check it is there, released while the person chooses, and opened
    // again to read.
    EXPECT_EQ(host.opens, 2);
    expectAdapterReleased();
}

TEST_F(FirmwareExport, WritesADumpByTheChosenFilterWhateverTheName) {
    const std::string path = choose("card.hex", 2);

    exportFirmwareImage(host, session, ui);

    const std::string file = testing::readWholeFile(path);
    EXPECT_EQ(file, expectedDumpFile(kBase3842, window()));
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 8192);
    EXPECT_TRUE(file.starts_with("7e0000: ")) << file.substr(0, 50);
    EXPECT_EQ(ui.texts().back(), "File Saved Successfully.\n" + path);
}

TEST_F(FirmwareExport, ReadsTheWindowOfA3841Card) {
    sim::BenchConfig config = sim::defaultBenchConfig();
    config.adapters[0].card->macType = card::kMacType3841;
    sim::SimulatedBench bench3841(config);
    testing::FakeUserInterface face;
    card::AdapterSession session3841(bench3841.library(), bench3841.registry(), face);
    pda::PdaImage pda3841;
    testing::TestHost host3841(session3841, pda3841, face);
    ASSERT_TRUE(host3841.select(0));
    const std::string path = dir.file("card.dmp");
    face.fileDialogResults.push_back(ui::FileDialogResult{path, 2});

    exportFirmwareImage(host3841, session3841, face);

    EXPECT_TRUE(testing::readWholeFile(path).starts_with("3e0000: "));
    EXPECT_EQ(face.texts().back(), "File Saved Successfully.\n" + path);
}

TEST_F(FirmwareExport, StoresABlockAfterOneDisagreement) {
    const std::string path = choose("card.hex", 1);
    // The second read of the first block comes back corrupted.
    card().faults().flakyReads = sim::FlakyReads{0, 2, 2, 0};

    exportFirmwareImage(host, session, ui);

    EXPECT_EQ(testing::readWholeFile(path), expectedHexFile(kBase3842, window()));
    EXPECT_EQ(auxReads(), 768u + 2u);  // the first two reads of block one were not enough
    EXPECT_EQ(ui.texts().back(), "File Saved Successfully.\n" + path);
}

struct FlakyRun {
    std::uint32_t lastFlakyRead;  // reads 2 to this one come back corrupted
    bool saved;
};

class FlakyExport : public FirmwareExport, public ::testing::WithParamInterface<FlakyRun> {};

// From the second read on, every read differs from every other; each attempt then spends two
// reads and counts one error. Ten errors are borne, the eleventh ends the export.
TEST_P(FlakyExport, GivesUpABlockAtItsEleventhError) {
    const std::string path = choose("card.hex", 1);
    card().faults().flakyReads = sim::FlakyReads{0, 2, GetParam().lastFlakyRead, 0};

    exportFirmwareImage(host, session, ui);

    if (GetParam().saved) {
        EXPECT_EQ(ui.texts().back(), "File Saved Successfully.\n" + path);
        EXPECT_EQ(testing::readWholeFile(path), expectedHexFile(kBase3842, window()));
    } else {
        ASSERT_EQ(ui.boxes.size(), 2u);
        EXPECT_EQ(ui.boxes[1].text, "Too many read errors. Aborting.");
        EXPECT_FALSE(ui.boxes[1].caption.has_value());
        EXPECT_EQ(auxReads(), 22u);
        EXPECT_TRUE(folderIsEmpty());
    }
    expectAdapterReleased();
}

INSTANTIATE_TEST_SUITE_P(Errors, FlakyExport,
                         ::testing::Values(FlakyRun{20, true}, FlakyRun{21, false},
                                           FlakyRun{1000, false}));

// A failed read leaves nothing from the card in its buffer. Here the block before holds the
// same erased bytes, so taking the stale buffer as an agreeing read would go unnoticed; the
// failed read must count as an error and the block be read again.
TEST_F(FirmwareExport, AFailedSecondOrThirdReadIsAnError) {
    const std::string path = choose("card.hex", 1);
    const std::uint32_t erased = 0x007E2000;
    ASSERT_EQ(card().readFlash(erased - 512, 1024), std::vector<std::uint8_t>(1024, 0xFF));
    const std::uint32_t blockIndex = (erased - kBase3842) / 512;
    card().faults().requests.push_back(
        sim::RequestFault::nth(card::OID_PRIV_AUX_READ, blockIndex * 3 + 3, sim::kStatusFailure));
    card().faults().requests.push_back(
        sim::RequestFault::nth(card::OID_PRIV_AUX_READ, blockIndex * 3 + 5, sim::kStatusFailure));

    exportFirmwareImage(host, session, ui);

    EXPECT_EQ(ui.texts(), (std::vector<std::string>{kWarning, "Could not read from Aux Port",
                                                    "Could not read from Aux Port",
                                                    "File Saved Successfully.\n" + path}));
    // The third read failed (block read again from the start), then the second.
    EXPECT_EQ(auxReads(), 768u + 3u + 2u);
    EXPECT_EQ(testing::readWholeFile(path), expectedHexFile(kBase3842, window()));
}

TEST_F(FirmwareExport, ElevenFailedReadsAbortTheExport) {
    choose("card.hex", 1);
    card().faults().requests.push_back(
        sim::RequestFault::range(card::OID_PRIV_AUX_READ, 1, 11, sim::kStatusFailure));

    exportFirmwareImage(host, session, ui);

    const auto texts = ui.texts();
    ASSERT_EQ(texts.size(), 1u + 11u + 1u);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Could not read from Aux Port"), 11);
    EXPECT_EQ(texts.back(), "Too many read errors. Aborting.");
    EXPECT_TRUE(folderIsEmpty());
    expectAdapterReleased();
}

TEST_F(FirmwareExport, CancellingTheWarningSendsNothing) {
    ui.answers = {ui::Answer::Cancel};
    exportFirmwareImage(host, session, ui);
    EXPECT_EQ(ui.boxes.size(), 1u);
    EXPECT_TRUE(ui.fileDialogs.empty());
    EXPECT_TRUE(bench.requests().empty());
    EXPECT_EQ(host.opens, 0);
}

TEST_F(FirmwareExport, CancellingTheFileDialogReadsNothing) {
    exportFirmwareImage(host, session, ui);
    EXPECT_EQ(ui.fileDialogs.size(), 1u);
    EXPECT_EQ(auxReads(), 0u);
    EXPECT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(host.opens, 1);
    expectAdapterReleased();
}

TEST_F(FirmwareExport, WithoutASelectedAdapterNoFileIsAskedFor) {
    host.adapterSelected = false;
    exportFirmwareImage(host, session, ui);
    EXPECT_EQ(ui.texts().back(), "Cannot continue - No adapter selected.");
    EXPECT_TRUE(ui.fileDialogs.empty());
}

TEST_F(FirmwareExport, AnAdapterGoneWhileChoosingEndsTheExport) {
    const std::string path = choose("card.hex", 1);
    // The second open fails: the card was removed while the person chose a file.
    card().faults().requests.push_back(
        sim::RequestFault::nth(card::OID_PRIV_ENABLE_AUX, 2, sim::kStatusFailure));

    exportFirmwareImage(host, session, ui);

    EXPECT_EQ(ui.texts().back(), "Cannot open selected adapter. Was it removed?");
    EXPECT_EQ(auxReads(), 0u);
    EXPECT_TRUE(folderIsEmpty());
    expectAdapterReleased();
}

struct WriteFailure {
    const char* name;
    int filterIndex;
};

class ExportWriteFailure : public FirmwareExport,
                           public ::testing::WithParamInterface<WriteFailure> {};

TEST_P(ExportWriteFailure, SaysTheFileCouldNotBeWritten) {
    choose(GetParam().name, GetParam().filterIndex);
    exportFirmwareImage(host, session, ui);
    ASSERT_EQ(ui.boxes.size(), 2u);
    // The box names the file and the system's reason.
    const std::string text = ui.boxes[1].text;
    EXPECT_EQ(
        text.rfind("Error File could not be written: \"" + dir.file(GetParam().name) + "\"", 0), 0u)
        << text;
    if (GetParam().filterIndex != 3) {
        EXPECT_TRUE(text.ends_with(": No such file or directory.")) << text;
    }
    EXPECT_EQ(ui.boxes[1].caption, "Error");
    EXPECT_EQ(ui.boxes[1].icon, ui::Icon::Error);
    EXPECT_TRUE(folderIsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Cases, ExportWriteFailure,
                         ::testing::Values(WriteFailure{"missing/card.hex", 1},
                                           WriteFailure{"missing/card.dmp", 2},
                                           WriteFailure{"card.bin", 3}));

}  // namespace
}  // namespace quillon::image
