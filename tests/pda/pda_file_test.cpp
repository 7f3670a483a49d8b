#include "pda/pda_file.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "fake_user_interface.h"
#include "temp_dir.h"

namespace quillon::pda {
namespace {

using Words = std::vector<std::uint16_t>;

// The words read from the text, or an empty list when the text is refused.
Words readText(std::string_view text) {
    PdaWords words{};
    const std::size_t n = readPdaText(text, words);
    return Words(words.begin(), words.begin() + static_cast<std::ptrdiff_t>(n));
}

const Words kMacRecord = {4, 0x0101, 0x1102, 0x3322, 0x5544};

TEST(PdaText, AcceptedTexts) {
    struct Case {
        const char* text;
        Words words;
    };
    const Case cases[] = {
        {"4 101 1102 3322 5544 ", kMacRecord},
        {"0x4,0x101,0x1102,0x3322,0x5544", kMacRecord},
        {"0x4,\r\n0x101,0x1102\n0x3322,\n\t0x5544\r\n", kMacRecord},
        {"0X4 0X101 0X1102 0X3322 0X5544", kMacRecord},
        {"MAC address 4 101 follows\n4 101 1102 3322 5544 ; the card's address\n", kMacRecord},
        {"# header\n;another\n4 101\n1102 3322 5544 #tail", kMacRecord},
        {"2 1 5;comment right after a word", {2, 1, 5}},
        {"2\nface 1\n", {2, 0xFACE, 1}},
        {"2 0x0ffff 1", {2, 0xFFFF, 1}},
        {"2 00x001f 1", {2, 0x001F, 1}},
        {"2 0x 1", {2, 0, 1}},
        {"1 101\n", {1, 0x0101}},
        {"2 1 5\n!\x01\xff anything 12345 goes\n2 2 6", {2, 1, 5, 2, 2, 6}},
        {"2 1 5\n\n   \n", {2, 1, 5}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(readText(c.text), c.words) << c.text;
    }
}

TEST(PdaText, RefusedTexts) {
    const char* const cases[] = {
        "",
        "# only a comment\n; and another\n",
        "4 101 1102 3322 5544g",
        "2 1x2 5",
        "data 1 2",
        "2 12345 1",
        "2 0x123456 1",
        "2 0x12345 1",
        "3 1 2",
        "x12 1 2",
        "2 1 x",
        "2 1 5 4",
        "2 1 5-",
    };
    for (const char* text : cases) {
        EXPECT_EQ(readText(text), Words{}) << text;
    }
}

TEST(PdaText, NothingIsCutAndTheReasonNamesTheLine) {
    // 64 records of eight words fill the 512 words the card reads.
    std::string full;
    for (int i = 1; i <= 64; ++i) {
        full += "7 " + std::to_string(i) + " 0 0 0 0 0 0\n";
    }
    struct Case {
        std::string text;
        std::size_t words;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {full, 512, ""},
        {full + "3 1 2 5\n", 0, "line 65: the file holds more than 512 words"},
        {"2 1 5\n2 0 1234\n", 6, ""},
        {"2 1 5\n2 0 1234\n\n4 101 1102 3322 5544\n", 0, "line 4: words follow the end record"},
        {"2 1 5\n# a 16-bit word at most\n2 2 0x12345\n", 0, "line 3: a word does not fit 16 bits"},
    };
    for (const Case& c : cases) {
        PdaWords words{};
        std::string reason;
        EXPECT_EQ(readPdaText(c.text, words, &reason), c.words) << c.text;
        EXPECT_EQ(reason, c.reason) << c.text;
    }

    testing::TempDir dir;
    testing::FakeUserInterface ui;
    PdaImage pda;
    EXPECT_FALSE(loadPdaFile(pda, dir.write("long.pda", full + "3 1 2 5\n"), ui));
    ASSERT_EQ(ui.boxes.size(), 1U);
    // The box keeps its words; the reason goes to the face beside it.
    EXPECT_EQ(ui.boxes[0].text, "File not loaded. Format invalid?");
}

TEST(PdaFile, WritesOneLinePerRecordAndReadsItBack) {
    testing::TempDir dir;
    PdaImage pda;
    pda.insertRecord(kMacRecord);
    pda.insertRecord(Words{7, 0x0003, 0x4241, 0x3231, 0, 0, 0, 0});
    const std::string path = dir.file("card.pda");
    ASSERT_TRUE(writePdaFile(pda, path));
    EXPECT_EQ(testing::readWholeFile(path),
              "7 3 4241 3231 0 0 0 0 \r\n"
              "4 101 1102 3322 5544 \r\n");

    std::array<std::uint16_t, 512> words{};
    ASSERT_EQ(readPdaFile(path, words), 13U);
    EXPECT_EQ(words[0], 7);
    EXPECT_EQ(words[12], 0x5544);
}

TEST(PdaFile, WritingIntoAMissingFolderFails) {
    testing::TempDir dir;
    PdaImage pda;
    pda.insertRecord(kMacRecord);
    EXPECT_FALSE(writePdaFile(pda, dir.file("missing/card.pda")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
}

TEST(PdaFile, LoadMergesItemsIntoTheHeldList) {
    testing::TempDir dir;
    PdaImage pda;
    pda.insertRecord(Words{2, 0x0001, 0x1111});
    pda.insertRecord(Words{4, 0x0101, 0, 0, 0});
    testing::FakeUserInterface ui;

    EXPECT_TRUE(loadPdaFile(pda, dir.write("mac.pda", "4 101 1102 3322 5544 \n2 8 14\n"), ui));
    ASSERT_EQ(pda.records().size(), 3U);
    EXPECT_EQ(pda.findRecord(0x0101)->data()[0], 0x1102);

    EXPECT_TRUE(loadPdaFile(pda, dir.write("delete.pda", "1 101\n"), ui));
    EXPECT_EQ(pda.findRecord(0x0101), nullptr);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST(PdaFile, LoadTellsWhyNothingWasMerged) {
    testing::TempDir dir;
    PdaImage pda;
    pda.insertRecord(kMacRecord);
    testing::FakeUserInterface ui;

    EXPECT_FALSE(loadPdaFile(pda, dir.file("absent.pda"), ui));
    EXPECT_FALSE(loadPdaFile(pda, dir.write("bad.pda", "3 1 2\n"), ui));
    const std::string zeroOnly = dir.write("zero.pda", "0\n");
    EXPECT_FALSE(loadPdaFile(pda, zeroOnly, ui));

    ASSERT_EQ(ui.boxes.size(), 3U);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(ui.boxes[i].text, "File not loaded. Format invalid?");
        EXPECT_EQ(ui.boxes[i].caption, std::nullopt);
        EXPECT_EQ(ui.boxes[i].owner, ui::Owner::MainWindow);
        EXPECT_EQ(ui.boxes[i].buttons, ui::Buttons::Ok);
    }
    EXPECT_EQ(ui.boxes[2].text, "Unable to load items from file: " + zeroOnly);
    EXPECT_EQ(ui.boxes[2].caption, "Error");
    EXPECT_EQ(ui.boxes[2].icon, ui::Icon::Error);
    EXPECT_EQ(pda.records().size(), 1U);
}

}  // namespace
}  // namespace quillon::pda
