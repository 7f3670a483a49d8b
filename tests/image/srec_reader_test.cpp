#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "base/log.h"
#include "fake_user_interface.h"
#include "image/firmware_info.h"
#include "image/srec_reader.h"
#include "srec_lines.h"
#include "temp_dir.h"

namespace quillon::image {
namespace {

using namespace quillon::image::testing;
using quillon::testing::FakeUserInterface;

std::string lowerCaseDigits(std::string line) {
    for (std::size_t i = 1; i < line.size(); ++i) {
        line[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(line[i])));
    }
    return line;
}

struct LineCase {
    const char* name;
    std::string line;
    int result;
    std::string log;
};

TEST(SrecReader, ChecksEachLineAndTellsWhyItRefusesOne) {
    const std::string data = srec('3', 0x1000, {1, 2, 3, 4});
    const std::string term = kEnd;
    const std::vector<LineCase> cases = {
        {"termination", term, kRecordTermination, ""},
        {"data", data, kRecordData, ""},
        {"lower-case digits", lowerCaseDigits(srec('3', 0xABCDEF, {0xA1, 0xB2, 0xC3})), kRecordData,
         ""},
        {"data without bytes", srec('1', 0x10, {}), kRecordData, ""},
        {"header", srec('0', 0, {'h', 'i'}), kRecordIgnored, "Info records ignored.\n"},
        {"trailing space", data + " ", 0,
         "Error: Line 7: Bad character found. Cannot process file.\n"},
        {"carriage return", data + "\r", 0,
         "Error: Line 7: Bad character found. Cannot process file.\n"},
        {"letter G among the data", data.substr(0, 13) + "G" + data.substr(14), 0,
         "Error: Line 7: Bad character found. Cannot process file.\n"},
        {"byte above ASCII in the address", data.substr(0, 5) + "\xB5" + data.substr(6), 0,
         "Error: Line 7: Bad character found. Cannot process file.\n"},
        {"lower-case s", "s" + data.substr(1), 0,
         "Error: Line 7: record does not begin with 'S'\n"},
        {"empty", "", 0, "Error: Line 7: record does not begin with 'S'\n"},
        {"S alone", "S", 0, "ERROR: Line 7: record type invalid or unsupported.\n"},
        {"S4", "S4" + data.substr(2), 0, "ERROR: Line 7: record type invalid or unsupported.\n"},
        {"type A", "SA" + data.substr(2), 0,
         "ERROR: Line 7: record type invalid or unsupported.\n"},
        {"no count", "S3", 0, "ERROR: Line 7: line length invalid.\n"},
        {"count disagrees", "S3150000", 0, "ERROR: Line 7: line length invalid.\n"},
        {"termination with data", srec('7', 0, {1}), 0, "ERROR: Line 7: line length invalid.\n"},
        {"data shorter than its address", "S1020012EB", 0, "ERROR: Line 7: line length invalid.\n"},
        {"checksum", srec('3', 0x1000, {1, 2}, 1), 0, "ERROR: Line 7: Checksum failed.\n"},
        {"header checksum", srec('0', 0, {1}, 1), 0,
         "Info records ignored.\nERROR: Line 7: Checksum failed.\n"},
        {"count 0 has no checksum", "S000", 0,
         "Info records ignored.\nERROR: Line 7: Checksum failed.\n"},
        {"reserved S2 address", srec('2', 0xF00000, {1}), 0, "Line 7: Unknown record type\n"},
        {"reserved S3 address", srec('3', 0xFF300000, {1}), 0, "Line 7: Unknown record type\n"},
        {"size word disagrees", rawInfoRecord({5, 1, 21, 1, 2, 3, 0}), 0,
         "Line 7: Record length does not correspond to size field.\n"},
        {"odd information bytes", srec('3', 0xFF200000, {1, 0, 1}), 0,
         "Line 7: Record length does not correspond to size field.\n"},
        {"one information byte", srec('3', 0xFF200000, {0}), 0,
         "Line 7: Record length does not correspond to size field.\n"},
        {"size word 21", rawInfoRecord(std::vector<std::uint16_t>(22, 21)), 0,
         "Line 7: Record length too long.\n"},
        {"no type word", rawInfoRecord({0}), 0, "Line 7: Invalid record format. \n"},
        {"build sequence without value", infoRecord({3}), 0, "Line 7: Invalid record format. \n"},
        {"identity of the wrong size", infoRecord({1, 21, 1, 2}), 0,
         "Line 7: Invalid record format. \n"},
        {"compatibility interface 5", infoRecord({2, 0, 5, 1, 1, 2}), 0,
         "Line 7: Invalid record format. \n"},
        {"platform of the wrong size", infoRecord({4, 0x8003}), 0,
         "Line 7: Invalid record format. \n"},
        {"short plug record", srec('3', 0xFF000000, std::vector<std::uint8_t>(11)), 0,
         "Line 7: Invalid record format. \n"},
        {"short marker record", srec('3', 0xFF100000, le32({0x1800, 0})), 0,
         "Line 7: Invalid record format. \n"},
        {"unknown information", infoRecord({9, 0xA, 0xB}), kRecordData,
         "Unknown firmware info record - size: 3, type 9; Data:  a b \n"},
        {"unknown without data", infoRecord({0x1C}), kRecordData,
         "Unknown firmware info record - size: 1, type 1c; Data:  \n"},
        {"build sequence", infoRecord({3, 300}), kRecordData, "Build sequence: 300\n"},
        {"information at the top of its area", infoRecord({3, 1}, 0xFF2FFFFF), kRecordData,
         "Build sequence: 1\n"},
    };
    for (const LineCase& c : cases) {
        FirmwareInfo info;
        MemoryImage image;
        PlugList plugs;
        FakeUserInterface ui;
        LogCapture log;
        EXPECT_EQ(info.parseRecord(&image, &plugs, c.line, 7, ui), c.result) << c.name;
        EXPECT_EQ(log.text(), c.log) << c.name;
        EXPECT_TRUE(ui.boxes.empty()) << c.name;
    }
}

TEST(SrecReader, CountsEveryLineAndTheAttemptThatMeetsTheEnd) {
    struct Case {
        const char* name;
        std::string text;
        std::uint16_t result;
    };
    const std::string data = srec('3', 0x1000, {1, 2});
    const Case cases[] = {
        {"line feeds", lines({data, kEnd}), 3},
        {"carriage returns", lines({data, kEnd}, "\r\n"), 3},
        {"no line end at the end", data + "\n" + kEnd, 3},
        {"blank lines", lines({"", data, "", kEnd, ""}), 6},
    };
    for (const Case& c : cases) {
        FirmwareInfo info;
        MemoryImage image;
        FakeUserInterface ui;
        EXPECT_EQ(info.readSrecText(c.text, &image, nullptr, ui), c.result) << c.name;
        EXPECT_EQ(image.totalBytes(), 2u) << c.name;
    }
}

TEST(SrecReader, ABlankLineCountsInTheNumbersOfLaterMessages) {
    FirmwareInfo info;
    MemoryImage image;
    FakeUserInterface ui;
    LogCapture log;
    EXPECT_EQ(info.readSrecText(lines({kEnd, "", "S4"}), &image, nullptr, ui), 0);
    EXPECT_EQ(log.text(), "ERROR: Line 3: record type invalid or unsupported.\n");
}

TEST(SrecReader, TheExecutionAddressIsSetOnce) {
    FirmwareInfo info;
    MemoryImage image;
    FakeUserInterface ui;
    LogCapture log;
    EXPECT_EQ(info.readSrecText(lines({kEnd, kEnd}), &image, nullptr, ui), 3);
    EXPECT_TRUE(image.hasExecutionAddress());
    EXPECT_EQ(image.executionAddress(), 0u);

    EXPECT_EQ(info.readSrecText(lines({kEnd, srec('7', 0x1000, {})}), &image, nullptr, ui), 0);
    EXPECT_EQ(log.text(), "ERROR: Line 2: 2nd execution address found!\n");

    // S8 and S9 carry shorter addresses.
    image.clear();
    EXPECT_EQ(info.readSrecText(srec('8', 0x123456, {}), &image, nullptr, ui), 2);
    EXPECT_EQ(image.executionAddress(), 0x123456u);
    EXPECT_EQ(info.readSrecText(srec('9', 0x1234, {}), &image, nullptr, ui), 2);
    EXPECT_EQ(image.executionAddress(), 0x1234u);
}

TEST(SrecReader, WithAnImageAFileNeedsATerminationRecord) {
    const std::string text = lines({srec('1', 0x10, {1})});
    FirmwareInfo info;
    MemoryImage image;
    FakeUserInterface ui;
    LogCapture log;
    EXPECT_EQ(info.readSrecText(text, &image, nullptr, ui), 0);
    EXPECT_EQ(log.text(), "Error: Line 2: End reached without an execution address record.\n");
    EXPECT_EQ(info.readSrecText(text, nullptr, nullptr, ui), 2);
    // An empty file is one empty line.
    EXPECT_EQ(info.readSrecText("", nullptr, nullptr, ui), 1);
}

TEST(SrecReader, AFileOfMoreThan32001LinesIsRefusedNotCut) {
    std::string text;
    for (int i = 0; i < 32000; ++i) {
        text += "\n";
    }
    const std::string data = srec('1', 0x10, {1});
    FirmwareInfo info;
    MemoryImage image;
    FakeUserInterface ui;
    LogCapture log;
    // The termination record on line 2, and data up to line 32002: the file is refused rather
    // than read up to line 32001.
    EXPECT_EQ(info.readSrecText(lines({kEnd}) + text + lines({data}), &image, nullptr, ui), 0);
    EXPECT_EQ(log.text(),
              "Error: Line 32002: The file has more than 32001 lines. Cannot process file.\n");

    // 32001 lines are read whole.
    EXPECT_EQ(
        info.readSrecText(lines({kEnd}) + text.substr(1) + lines({data}), &image, nullptr, ui),
        32002);

    // Blank lines lose nothing wherever they stand, and never wrap the count.
    std::string blank(70000, '\n');
    EXPECT_EQ(info.readSrecText(blank, nullptr, nullptr, ui), 0xFFFF);
    EXPECT_EQ(info.readSrecText(lines({data, kEnd}) + blank, &image, nullptr, ui), 0xFFFF);
}

TEST(SrecReader, AnOverLongLineIsRefusedByItsFirstPiece) {
    const std::string longLine = "S3" + std::string(600, 'F');
    FirmwareInfo info;
    MemoryImage image;
    FakeUserInterface ui;
    LogCapture log;
    EXPECT_EQ(info.readSrecText(lines({kEnd, longLine}), &image, nullptr, ui), 0);
    EXPECT_EQ(log.text(), "ERROR: Line 2: line length invalid.\n");
}

TEST(SrecReader, KeepsIdentitiesRangesBuildSequenceAndPlatforms) {
    std::vector<std::string> records = {
        infoRecord({1, 21, 1, 1, 3}),    // primary 1.3.1
        infoRecord({1, 21, 2, 1, 4}),    // primary 1.4.2 replaces it
        infoRecord({1, 31, 9, 1, 5}),    // station 1.5.9
        infoRecord({1, 0x16, 1, 9, 9}),  // another component: dropped
        infoRecord({2, 1, 3, 1, 1, 2}),  // actor on interface 3
        infoRecord({2, 0, 3, 2, 4, 7}),  // replaces slot 3
        infoRecord({3, 77}),
        infoRecord({3, 78, 5}),  // any size is taken
    };
    for (std::uint16_t p = 0; p < 31; ++p) {
        records.push_back(infoRecord({4, static_cast<std::uint16_t>(0x8000 + p), 1, 2, 3}));
    }
    std::string text;
    for (const std::string& r : records) {
        text += r + "\n";
    }
    FirmwareInfo info;
    FakeUserInterface ui;
    ASSERT_EQ(info.readSrecText(text, nullptr, nullptr, ui), records.size() + 1);

    EXPECT_TRUE(info.primary.present);
    EXPECT_EQ(formatVersion(info.primary), "1.4.2");
    EXPECT_EQ(info.primary.componentId, kPrimaryComponentId);
    EXPECT_TRUE(info.station.present);
    EXPECT_EQ(formatVersion(info.station), "1.5.9");
    const ComponentRange& slot = info.compatibility[3];
    EXPECT_TRUE(slot.present);
    EXPECT_EQ(slot.role, kRoleSupplier);
    EXPECT_EQ(slot.variant, 2);
    EXPECT_EQ(slot.bottom, 4);
    EXPECT_EQ(slot.top, 7);
    EXPECT_FALSE(info.compatibility[1].present);
    EXPECT_EQ(info.buildSequence, 78);
    EXPECT_EQ(info.platforms[28].platformId, 0x801C);
    EXPECT_EQ(info.platforms[29].platformId, 0x801E);  // the 31st replaced the 30th
    EXPECT_EQ(info.platforms[29].extra, (std::array<std::uint16_t, 3>{1, 2, 3}));

    // Every read starts afresh.
    ASSERT_EQ(info.readSrecText(kEnd, nullptr, nullptr, ui), 2);
    EXPECT_FALSE(info.primary.present);
    EXPECT_FALSE(info.compatibility[3].present);
    EXPECT_FALSE(info.platforms[0].present);
    EXPECT_EQ(info.buildSequence, 0);
}

TEST(SrecReader, PlugRecordsGoToThePlugListInAddressOrder) {
    const std::string text =
        lines({plugRecord(0x0101, 0x1200, 6), plugRecord(0x0003, 0x1100, 12),
               plugRecord(0x0104, 0x1200, 0x10002),
               srec('3', 0xFF000000, le32({0xFFFFFFFF, 0x1300, 40, 99})), kEnd});
    FirmwareInfo info;
    MemoryImage image;
    PlugList plugs;
    FakeUserInterface ui;
    ASSERT_EQ(info.readSrecText(text, &image, &plugs, ui), 6);
    ASSERT_EQ(plugs.count(), 3u);
    EXPECT_EQ(plugs.records()[0].pdrCode, 0x0003u);
    EXPECT_EQ(plugs.records()[1].pdrCode, 0x0104u);
    EXPECT_EQ(plugs.records()[1].length, 2);  // only the low 16 bits of the length
    EXPECT_EQ(plugs.records()[2].pdrCode, kFileNamePlug);
    EXPECT_EQ(image.rangeCount(), 0);

    // The list is the caller's: a second file adds to it.
    ASSERT_EQ(info.readSrecText(text, &image, &plugs, ui), 6);
    EXPECT_EQ(plugs.count(), 3u);
}

TEST(SrecReader, TheMarkerWordGoesBelowTheMarkerAddress) {
    struct Case {
        const char* name;
        std::vector<std::string> records;
        std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> blocks;
    };
    const Case cases[] = {
        {"inside the data",
         {srec('3', 0x17F0, counting(16)), markerRecord(0x1800, 2, 1)},
         {{0x17F0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 0xDE, 0xC0}}}},
        {"outside the data, a range of its own",
         {srec('3', 0x1000, {1, 2}), markerRecord(0x1800, 2, 1), srec('3', 0x2000, {3})},
         {{0x1000, {1, 2}}, {0x17FE, {0xDE, 0xC0}}, {0x2000, {3}}}},
        {"flag clear", {srec('3', 0x17F0, {1, 2}), markerRecord(0x17F2, 2, 0)}, {{0x17F0, {1, 2}}}},
    };
    for (const Case& c : cases) {
        std::string text;
        for (const std::string& r : c.records) {
            text += r + "\n";
        }
        text += kEnd;
        FirmwareInfo info;
        MemoryImage image;
        FakeUserInterface ui;
        ASSERT_GT(info.readSrecText(text, &image, nullptr, ui), 0) << c.name;
        image.rewind();
        std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> blocks;
        std::vector<std::uint8_t> buffer(64);
        std::uint32_t address = 0;
        std::uint16_t count = 0;
        while (image.nextBlock(buffer, &address, &count, 64, 0)) {
            blocks.emplace_back(address,
                                std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + count));
        }
        EXPECT_EQ(blocks, c.blocks) << c.name;
    }
}

TEST(SrecReader, AFullImageRefusesTheFileWithoutEndingTheProgram) {
    struct Case {
        const char* name;
        std::string text;
        std::uint16_t failingLine;
    };
    std::string tooMuch;
    for (std::uint32_t i = 0; i < 12801; ++i) {
        tooMuch += srec('3', 0x10000 + 16 * i, counting(16)) + "\n";
    }
    std::string tooManyRanges;
    for (std::uint32_t i = 0; i < 256; ++i) {
        tooManyRanges += srec('3', 0x10000 + 32 * i, counting(16)) + "\n";
    }
    const Case cases[] = {{"more than 204,800 bytes", tooMuch + kEnd, 12801},
                          {"a 256th range", tooManyRanges + kEnd, 256}};
    for (const Case& c : cases) {
        FirmwareInfo info;
        MemoryImage image;
        FakeUserInterface ui;
        EXPECT_EQ(info.readSrecText(c.text, &image, nullptr, ui), 0) << c.name;
        ASSERT_EQ(ui.boxes.size(), 1u) << c.name;
        const ui::MessageBox& box = ui.boxes[0];
        EXPECT_EQ(box.text, "Memory allocation error. Cannot continue");
        EXPECT_EQ(box.caption, "Internal Error.");
        EXPECT_EQ(box.owner, ui::Owner::None);
        EXPECT_EQ(box.buttons, ui::Buttons::Ok);
        EXPECT_EQ(box.icon, ui::Icon::Error);
    }
}

TEST(SrecReader, ReadsFilesInBlocksExactlyAsText) {
    quillon::testing::TempDir dir;
    // Large enough to need several blocks; the line ends fall at every possible offset.
    std::string text;
    std::uint32_t address = 0x10000;
    for (std::uint32_t i = 0; i < 12000; ++i) {
        const std::size_t size = 1 + i % 16;
        text += srec('3', address, counting(size, static_cast<std::uint8_t>(i)));
        address += static_cast<std::uint32_t>(size);
        text += (i % 3 == 0) ? "\r\n" : "\n";
        if (i % 1000 == 0) {
            text += "\n";
        }
    }
    text += kEnd;
    const std::string path = dir.write("big.hex", text);

    FirmwareInfo fromFile;
    FirmwareInfo fromText;
    MemoryImage fileImage;
    MemoryImage textImage;
    FakeUserInterface ui;
    const std::uint16_t lines = fromFile.readFile(path, &fileImage, nullptr, ui);
    EXPECT_EQ(lines, 12000 + 12 + 2);
    EXPECT_EQ(fromText.readSrecText(text, &textImage, nullptr, ui), lines);
    EXPECT_EQ(fileImage.totalBytes(), textImage.totalBytes());
    EXPECT_EQ(fileImage.rangeCount(), textImage.rangeCount());
}

TEST(SrecReader, AMissingFileIsLogged) {
    quillon::testing::TempDir dir;
    FirmwareInfo info;
    MemoryImage image;
    FakeUserInterface ui;
    LogCapture log;
    EXPECT_EQ(info.readFile(dir.file("absent.hex"), &image, nullptr, ui), 0);
    EXPECT_EQ(log.text(), "File not found. ");
    log.clear();
    // A folder (as a FIFO or a device) is not opened at all.
    EXPECT_EQ(info.readFile(dir.path().string(), &image, nullptr, ui), 0);
    EXPECT_EQ(log.text(), "Not a regular file.\n");
}

}  // namespace
}  // namespace quillon::image
