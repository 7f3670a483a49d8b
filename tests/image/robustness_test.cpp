// Damaged and hostile inputs: every reader must refuse or accept them without reading or
// writing outside its buffers (the sanitizer build checks that) and without hanging.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "fake_user_interface.h"
#include "image/cis_tuples.h"
#include "image/dump_reader.h"
#include "image/firmware_info.h"
#include "srec_lines.h"
#include "temp_dir.h"

namespace quillon::image {
namespace {

using namespace quillon::image::testing;
using quillon::testing::FakeUserInterface;

std::string sampleFirmware() {
    return lines(
        {srec('0', 0, {'f', 'w'}), infoRecord({1, 31, 2, 1, 4}), infoRecord({2, 1, 3, 1, 1, 2}),
         infoRecord({4, 0x8003, 0, 0, 0}), plugRecord(0x0101, 0x1004, 6),
         srec('3', 0x1000, counting(16)), srec('2', 0x1010, counting(8)),
         srec('1', 0x2000, counting(4)), markerRecord(0x1008, 2, 1), kEnd},
        "\r\n");
}

std::string sampleDump() {
    return "; dump\r\n7e0000: 0201 0403\r\n1000-101f: 1234, 5678 # fill\r\n\r\n10: 1 2 3\r\n";
}

// Changes, inserts and deletes a few random bytes.
std::string mutate(std::string text, std::mt19937& random) {
    std::uniform_int_distribution<int> byte(0, 255);
    const int edits = 1 + static_cast<int>(random() % 8);
    for (int e = 0; e < edits && !text.empty(); ++e) {
        const std::size_t at = random() % text.size();
        switch (random() % 3) {
            case 0:
                text[at] = static_cast<char>(byte(random));
                break;
            case 1:
                text.insert(at, 1, static_cast<char>(byte(random)));
                break;
            default:
                text.erase(at, 1);
                break;
        }
    }
    return text;
}

TEST(Robustness, DamagedSRecordFilesAreReadSafely) {
    const std::string sample = sampleFirmware();
    FakeUserInterface ui;
    FirmwareInfo info;
    MemoryImage image;
    PlugList plugs;
    ASSERT_GT(info.readSrecText(sample, &image, &plugs, ui), 0);

    // Every truncation of the file.
    for (std::size_t size = 0; size < sample.size(); ++size) {
        image.clear();
        info.readSrecText(sample.substr(0, size), &image, &plugs, ui);
    }
    std::mt19937 random(1234);
    for (int round = 0; round < 3000; ++round) {
        image.clear();
        info.readSrecText(mutate(sample, random), &image, &plugs, ui);
        image.rewind();
        std::uint16_t count = 0;
        std::uint32_t address = 0;
        std::array<std::uint8_t, 16> block{};
        while (image.nextBlock(block, &address, &count, 16, 0)) {
        }
    }
    EXPECT_TRUE(ui.boxes.empty());
}

TEST(Robustness, BinaryAndOverLongInputsAreRefused) {
    FakeUserInterface ui;
    FirmwareInfo info;
    MemoryImage image;
    std::string binary(100000, '\0');
    std::mt19937 random(99);
    for (char& c : binary) {
        c = static_cast<char>(random());
    }
    EXPECT_EQ(info.readSrecText(binary, &image, nullptr, ui), 0);
    EXPECT_EQ(info.readSrecText(std::string(1 << 20, 'S'), &image, nullptr, ui), 0);
    EXPECT_EQ(info.readSrecText(std::string(1000, '\0') + "\n" + kEnd, &image, nullptr, ui), 0);
    EXPECT_EQ(readDumpText(binary, image), 0);
    EXPECT_EQ(readDumpText(std::string(1 << 20, '1'), image), 0);

    quillon::testing::TempDir dir;
    EXPECT_EQ(info.readFile(dir.write("binary.hex", binary), &image, nullptr, ui), 0);
    EXPECT_EQ(readDumpFile(dir.write("binary.dmp", binary), image), 0);
}

TEST(Robustness, DamagedDumpsAndTupleChainsAreReadSafely) {
    const std::string sample = sampleDump();
    std::mt19937 random(4321);
    MemoryImage image;
    ASSERT_GT(readDumpText(sample, image), 0);
    for (int round = 0; round < 3000; ++round) {
        image.clear();
        readDumpText(mutate(sample, random), image);
    }

    const std::vector<std::uint8_t> cis = {0x01, 0x03, 0xD9, 0x01, 0xFF, 0x15, 0x0B, 5,
                                           0,    'A',  'b',  0,    'W',  'L',  0,    'x',
                                           0,    0x22, 0x02, 0x04, 0x07, 0xFF};
    for (int round = 0; round < 3000; ++round) {
        std::string bytes(cis.begin(), cis.end());
        bytes = mutate(bytes, random);
        const std::vector<std::uint8_t> damaged(bytes.begin(), bytes.end());
        CisTupleList list;
        list.parseTuples(damaged, kCisAddress3842, round % 2 == 0);
        std::string text;
        for (int n = 0; n < 4; ++n) {
            list.versionString(n, text, 30);
        }
        list.find(0x22, 0x04, 0);
    }
}

}  // namespace
}  // namespace quillon::image
