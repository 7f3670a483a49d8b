// The S-record and dump writers, the dump reader, and round trips between the formats.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "base/log.h"
#include "fake_user_interface.h"
#include "image/dump_reader.h"
#include "image/firmware_info.h"
#include "image/image_writer.h"
#include "srec_lines.h"
#include "temp_dir.h"

namespace quillon::image {
namespace {

using namespace quillon::image::testing;
using quillon::testing::FakeUserInterface;
using quillon::testing::readWholeFile;
using quillon::testing::TempDir;

using Blocks = std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>>;

Blocks blocksOf(MemoryImage& image) {
    Blocks blocks;
    image.rewind();
    std::vector<std::uint8_t> buffer(0xF000);
    std::uint32_t address = 0;
    std::uint16_t count = 0;
    while (image.nextBlock(buffer, &address, &count, 0xF000, 0)) {
        blocks.emplace_back(address,
                            std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + count));
    }
    image.rewind();
    return blocks;
}

TEST(HexWriter, WritesDataPlugsAndTerminationWithCarriageReturns) {
    TempDir dir;
    MemoryImage image;
    ASSERT_TRUE(image.append(std::vector<std::uint8_t>{1, 2}, 0x1000));
    PlugList plugs;
    plugs.insert(0x0101, 0x1200, 6);

    const std::string path = dir.file("out.hex");
    EXPECT_EQ(writeHexFile(path, image, &plugs), 2);
    EXPECT_EQ(readWholeFile(path),
              "S307000010000102E5\r\n" + plugRecord(0x0101, 0x1200, 6) + "\r\nS70500000000FA\r\n");

    image.rewind();
    image.setExecutionAddress(0x7E0000);
    EXPECT_EQ(writeHexFile(path, image, nullptr), 2);
    EXPECT_EQ(readWholeFile(path), "S307000010000102E5\r\nS705007E00007C\r\n");
}

TEST(HexWriter, AnEmptyImageStillGetsItsTerminationRecord) {
    TempDir dir;
    MemoryImage image;
    EXPECT_EQ(writeHexFile(dir.file("empty.hex"), image, nullptr), 1);
    EXPECT_EQ(readWholeFile(dir.file("empty.hex")), "S70500000000FA\r\n");
}

TEST(ImageWriters, AFailedWriteReturnsZeroAndLeavesTheTargetAlone) {
    TempDir dir;
    MemoryImage image;
    ASSERT_TRUE(image.append(std::vector<std::uint8_t>{1, 2}, 0x1000));
    EXPECT_EQ(writeHexFile(dir.file("missing/out.hex"), image, nullptr), 0);
    image.rewind();
    EXPECT_EQ(writeDumpFile(dir.file("missing/out.dmp"), image), 0);

    // A folder in the way cannot be replaced by the file.
    std::filesystem::create_directory(dir.file("taken"));
    dir.write("taken/inside", "kept");
    image.rewind();
    EXPECT_EQ(writeHexFile(dir.file("taken"), image, nullptr), 0);
    EXPECT_EQ(readWholeFile(dir.file("taken/inside")), "kept");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);  // no temporary file left behind
}

TEST(DumpWriter, WritesLittleEndianWordsAfterTheAddress) {
    TempDir dir;
    MemoryImage image;
    ASSERT_TRUE(image.append(counting(19, 1), 0x7E0000));
    ASSERT_TRUE(image.append(std::vector<std::uint8_t>{0xAB, 0xCD}, 0));
    const std::string path = dir.file("out.dmp");
    EXPECT_EQ(writeDumpFile(path, image), 3);
    EXPECT_EQ(readWholeFile(path),
              "7e0000: 0201 0403 0605 0807 0a09 0c0b 0e0d 100f\r\n"
              "7e0010: 1211 0013\r\n"
              "0: cdab\r\n");
}

TEST(DumpWriter, AnEmptyImageWritesNoFile) {
    TempDir dir;
    MemoryImage image;
    EXPECT_EQ(writeDumpFile(dir.file("empty.dmp"), image), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.file("empty.dmp")));
}

TEST(ImageWriters, AFullFlashWindowExportsAs8192Records) {
    TempDir dir;
    MemoryImage image;
    for (std::uint32_t a = 0x7E0000; a < 0x800000; a += 512) {
        ASSERT_TRUE(image.append(counting(512, static_cast<std::uint8_t>(a >> 9)), a));
    }
    const std::string hexPath = dir.file("flash.hex");
    EXPECT_EQ(writeHexFile(hexPath, image, nullptr), 8193);
    const std::string hex = readWholeFile(hexPath);
    EXPECT_EQ(hex.substr(0, 12), "S315007E0000");
    // 48 characters per data record: S3, count, address, 16 bytes, checksum, CR LF.
    EXPECT_EQ(hex.size(), 8192 * 48 + 16u);
    EXPECT_EQ(hex.substr(8191 * 48, 12), "S315007FFFF0");
    EXPECT_EQ(hex.substr(hex.size() - 16), "S70500000000FA\r\n");

    image.rewind();
    const std::string dumpPath = dir.file("flash.dmp");
    EXPECT_EQ(writeDumpFile(dumpPath, image), 8192);
    EXPECT_EQ(readWholeFile(dumpPath).substr(0, 8), "7e0000: ");
}

TEST(ImageFiles, SRecordsRoundTripThroughAnImage) {
    // Ranges out of address order, one repeating another: they come back as they went in.
    const std::string text =
        lines({srec('3', 0x7F0000, counting(16)), srec('3', 0x7F0010, counting(4, 16)),
               srec('3', 0x1000, counting(16, 50)), srec('3', 0x7F0000, counting(2, 9)),
               srec('7', 0x123456, {})},
              "\r\n");
    TempDir dir;
    FirmwareInfo info;
    MemoryImage image;
    FakeUserInterface ui;
    ASSERT_EQ(info.readSrecText(text, &image, nullptr, ui), 6);
    const std::string path = dir.file("again.hex");
    EXPECT_EQ(writeHexFile(path, image, nullptr), 5);
    EXPECT_EQ(readWholeFile(path), text);

    MemoryImage again;
    ASSERT_EQ(info.readFile(path, &again, nullptr, ui), 6);
    EXPECT_EQ(blocksOf(again), blocksOf(image));
    EXPECT_EQ(again.executionAddress(), 0x123456u);
}

TEST(ImageFiles, DumpsRoundTripThroughAnImage) {
    TempDir dir;
    MemoryImage image;
    ASSERT_TRUE(image.append(counting(600, 3), 0x3E0000));
    ASSERT_TRUE(image.append(counting(32, 7), 0x10));
    const std::string path = dir.file("image.dmp");
    ASSERT_EQ(writeDumpFile(path, image), 40);
    MemoryImage again;
    EXPECT_EQ(readDumpFile(path, again), 40);
    EXPECT_EQ(blocksOf(again), blocksOf(image));
    EXPECT_FALSE(again.hasExecutionAddress());
}

TEST(DumpReader, AcceptsTheFormsOfAHandWrittenDump) {
    struct Case {
        const char* name;
        std::string text;
        std::uint16_t result;
        Blocks blocks;
        std::string error;
    };
    std::vector<std::uint8_t> fill32;
    for (int i = 0; i < 16; ++i) {
        fill32.insert(fill32.end(), {0x34, 0x12});
    }
    std::string values32 = "0:";
    std::string values33 = "0:";
    for (int i = 0; i < 33; ++i) {
        (i < 32 ? values32 : values33) += " 1";
        values33 += i < 32 ? " 1" : "";
    }
    std::vector<std::uint8_t> ones(64);
    for (std::size_t i = 0; i < ones.size(); i += 2) {
        ones[i] = 1;
    }
    const Case cases[] = {
        {"writer form", "7e0000: 0201 0403\r\n", 1, {{0x7E0000, {1, 2, 3, 4}}}, ""},
        {"short values, commas",
         "10:1 22,333 , 4444",
         1,
         {{0x10, {1, 0, 0x22, 0, 0x33, 3, 0x44, 0x44}}},
         ""},
        {"comments and blanks",
         "; note\n\n# note\n   \t\n20 : ab ; tail\n",
         5,
         {{0x20, {0xAB, 0}}},
         ""},
        {"trailing blanks", "20: ab \t \n", 1, {{0x20, {0xAB, 0}}}, ""},
        {"any separator", "20=ab\n", 1, {{0x20, {0xAB, 0}}}, ""},
        {"non-hex text before the values", "20: x=ab\n", 1, {{0x20, {0xAB, 0}}}, ""},
        {"after a separator other text ends the list",
         "20: ab, zz 12\n",
         1,
         {{0x20, {0xAB, 0}}},
         ""},
        {"fill", "1000-101F: 1234\n", 1, {{0x1000, fill32}}, ""},
        {"fill with spaces", "1000 - 101f : 1234\n", 1, {{0x1000, fill32}}, ""},
        {"fill of odd length", "1000-1002: 1234 5678\n", 1, {{0x1000, {0x34, 0x12, 0x78}}}, ""},
        {"pattern continues across pieces",
         "0-23: 1 2 3\n",
         1,
         {{0, {1, 0, 2, 0, 3, 0, 1, 0, 2, 0, 3, 0, 1, 0, 2, 0, 3, 0,
               1, 0, 2, 0, 3, 0, 1, 0, 2, 0, 3, 0, 1, 0, 2, 0, 3, 0}}},
         ""},
        {"end below start", "2000-1000: 1\n", 1, {}, ""},
        {"32 values", values32, 1, {{0, ones}}, ""},
        {"33 values", values33, 0, {}, "\nERROR reading line 1"},
        {"five digits", "0: 12345", 0, {}, "\nERROR reading line 1"},
        {"no separator", "0: 1\n7e0000 0201 0403\n", 0, {{0, {1, 0}}}, "\nERROR reading line 2"},
        {"character after a value", "0: 12x", 0, {}, "\nERROR reading line 1"},
        {"tab after a value", "0: 12\t34", 0, {}, "\nERROR reading line 1"},
        {"no values", "0:\n", 0, {}, "\nERROR reading line 1"},
        {"only a comment", "0: ; none\n", 0, {}, "\nERROR reading line 1"},
        {"line number in hex",
         std::string(16, '\n') + "10: zz\n",
         0,
         {},
         "\nERROR reading line 11"},
        {"too long", "0: 1" + std::string(252, ' ') + "\n", 0, {}, ""},
        {"longest line", "0: 1" + std::string(251, ' ') + "\n", 1, {{0, {1, 0}}}, ""},
        {"empty", "", 0, {}, ""},
    };
    for (const Case& c : cases) {
        MemoryImage image;
        std::ostringstream errors;
        LogCapture log;
        EXPECT_EQ(readDumpText(c.text, image, &errors), c.result) << c.name;
        EXPECT_EQ(blocksOf(image), c.blocks) << c.name;
        EXPECT_EQ(errors.str(), c.error) << c.name;
        EXPECT_EQ(log.text(), c.error) << c.name;
    }
}

TEST(DumpReader, AFillBeyondTheImageCapacityStopsQuickly) {
    MemoryImage image;
    EXPECT_EQ(readDumpText("0-FFFFFFFF: 5a5a\n1: 2\n", image), 2);
    EXPECT_TRUE(image.isFull());
    EXPECT_EQ(image.rangeCount(), 1);
}

TEST(DumpReader, AMissingFileFails) {
    TempDir dir;
    MemoryImage image;
    EXPECT_EQ(readDumpFile(dir.file("absent.dmp"), image), 0);
}

}  // namespace
}  // namespace quillon::image
