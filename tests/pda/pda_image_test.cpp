#include "pda/pda_image.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/log.h"

namespace quillon::pda {
namespace {

using Words = std::vector<std::uint16_t>;

// The checksum a card would carry for these words followed by the end record's head.
std::uint16_t checksumOf(const Words& words) {
    const std::array<std::uint16_t, 2> endHead = {0x0002, 0x0000};
    return crc16ArcWords(crc16ArcWords(0, words), endHead);
}

Words flattened(const PdaImage& pda) {
    std::array<std::uint16_t, kFlatPdaWords> out{};
    const std::size_t n = pda.flatten(out);
    return Words(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(n));
}

Words codes(const PdaImage& pda) {
    Words out;
    for (const PdrRecord& r : pda.records()) {
        out.push_back(r.code());
    }
    return out;
}

TEST(Crc16Arc, MatchesTheCheckValueAndTakesWordsLowByteFirst) {
    constexpr std::string_view kDigits = "123456789";
    const std::vector<std::uint8_t> bytes(kDigits.begin(), kDigits.end());
    EXPECT_EQ(crc16Arc(0, bytes), 0xBB3D);

    const std::array<std::uint8_t, 4> asBytes = {0x34, 0x12, 0x78, 0x56};
    const std::array<std::uint16_t, 2> asWords = {0x1234, 0x5678};
    EXPECT_EQ(crc16ArcWords(0x55AA, asWords), crc16Arc(0x55AA, asBytes));
    // Continuing across pieces gives the checksum of the whole.
    EXPECT_EQ(crc16Arc(crc16Arc(0, std::span(bytes).first(4)), std::span(bytes).subspan(4)),
              0xBB3D);
}

TEST(PdaImage, EmptyListFlattensToTheBareEndRecord) {
    PdaImage pda;
    EXPECT_TRUE(pda.isEmpty());
    EXPECT_EQ(flattened(pda), (Words{0x0002, 0x0000, 0xB801}));
}

TEST(PdaImage, ReadDataValidatesAndFlattensBackUnchanged) {
    const Words run = {4, 0x0101, 0x1102, 0x3322, 0x5544, 2, 0x0000, 0x531F};
    PdaImage pda;
    EXPECT_EQ(pda.parseWords(run), 2);
    ASSERT_EQ(pda.records().size(), 1U);
    EXPECT_EQ(pda.storedChecksum(), 0x531F);
    EXPECT_EQ(pda.loadedChecksum(), 0x531F);
    EXPECT_EQ(flattened(pda), run);
}

TEST(PdaImage, LaterRecordOfACodeWinsAndBothCountTowardsTheChecksum) {
    const Words records = {2, 0x0010, 0xAAAA, 2, 0x0010, 0xBBBB};
    Words run = records;
    run.insert(run.end(), {2, 0x0000, checksumOf(records)});
    PdaImage pda;
    EXPECT_EQ(pda.parseWords(run), 3);
    ASSERT_EQ(pda.records().size(), 1U);
    EXPECT_EQ(pda.findRecord(0x0010)->data()[0], 0xBBBB);
    EXPECT_EQ(pda.loadedChecksum(), pda.storedChecksum());
    // A fresh end record covers only what the list now holds.
    EXPECT_EQ(flattened(pda), (Words{2, 0x0010, 0xBBBB, 2, 0, checksumOf({2, 0x0010, 0xBBBB})}));
}

TEST(PdaImage, RecordsComeOutInAscendingCodeOrder) {
    PdaImage pda;
    EXPECT_EQ(pda.parseWords(Words{2, 0x0300, 1, 3, 0x0101, 2, 2, 2, 0x0001, 3}), 3);
    const Words ascending = {2, 0x0001, 3, 3, 0x0101, 2, 2, 2, 0x0300, 1};
    Words expected = ascending;
    expected.insert(expected.end(), {2, 0, checksumOf(ascending)});
    EXPECT_EQ(flattened(pda), expected);
    EXPECT_EQ(pda.listChecksum(), checksumOf(ascending));
}

TEST(PdaImage, DeletionItemRemovesARecordWithoutTouchingTheRunningChecksum) {
    PdaImage pda;
    pda.parseWords(Words{2, 0x0010, 1, 2, 0x0020, 2});
    const std::uint16_t running = pda.runningChecksum();

    EXPECT_EQ(pda.parseWords(Words{1, 0x0010, 1, 0x0999}), 2);
    EXPECT_EQ(codes(pda), (Words{0x0020}));
    EXPECT_EQ(pda.runningChecksum(), running);
    EXPECT_FALSE(pda.removeRecord(0x0010));
}

TEST(PdaImage, WalkStopsAtTheEndRecordOrAtAnItemThatRunsPastTheRun) {
    struct Case {
        const char* name;
        Words run;
        int items;
        Words codes;
        std::uint16_t stored;
    };
    const Case cases[] = {
        {"end record first", {2, 0, 0x1234, 2, 0x0010, 5}, 1, {}, 0x1234},
        {"last item short by one word", {2, 0x0010, 5, 3, 0x0020, 1}, 1, {0x0010}, 0},
        {"huge length word", {2, 0x0010, 5, 0xFFFF}, 1, {0x0010}, 0},
        {"empty run", {}, 0, {}, 0},
    };
    for (const Case& c : cases) {
        PdaImage pda;
        EXPECT_EQ(pda.parseWords(c.run), c.items) << c.name;
        EXPECT_EQ(codes(pda), c.codes) << c.name;
        EXPECT_EQ(pda.storedChecksum(), c.stored) << c.name;
    }
}

TEST(PdaImage, FullRunWithoutEndRecordKeepsTheItemsBeforeTheCutOne) {
    // 51 records of ten words fill 510 words; the next item would end past word 511.
    Words run;
    for (std::uint16_t code = 1; code <= 51; ++code) {
        run.insert(run.end(), {9, code, 0, 0, 0, 0, 0, 0, 0, 0});
    }
    run.insert(run.end(), {5, 0x0100});
    ASSERT_EQ(run.size(), 512U);
    PdaImage pda;
    EXPECT_EQ(pda.parseWords(run), 51);
    EXPECT_EQ(pda.records().size(), 51U);
    EXPECT_EQ(pda.storedChecksum(), 0);
}

TEST(PdaImage, LoneZeroWordIsDroppedButStillCountsTowardsTheChecksum) {
    const Words records = {2, 0x0010, 5, 0, 2, 0x0020, 6};
    Words run = records;
    run.insert(run.end(), {2, 0, checksumOf(records)});
    PdaImage pda;
    EXPECT_EQ(pda.parseWords(run), 3);
    EXPECT_EQ(codes(pda), (Words{0x0010, 0x0020}));
    EXPECT_EQ(pda.loadedChecksum(), pda.storedChecksum());

    PdaImage onlyZero;
    EXPECT_EQ(onlyZero.parseWords(Words{0}), 0);
    EXPECT_TRUE(onlyZero.isEmpty());
}

TEST(PdaImage, InsertRecordRefusesRunsThatAreNotRecords) {
    PdaImage pda;
    EXPECT_FALSE(pda.insertRecord(Words{}));
    EXPECT_FALSE(pda.insertRecord(Words{4, 0x0101, 1, 2}));
    EXPECT_FALSE(pda.insertRecord(Words{1, 0x0101}));
    EXPECT_TRUE(pda.isEmpty());
    EXPECT_EQ(pda.runningChecksum(), 0);

    // Words beyond the length word's count are not part of the record.
    EXPECT_TRUE(pda.insertRecord(Words{2, 0x0101, 7, 8, 9}));
    EXPECT_EQ(pda.findRecord(0x0101)->words().size(), 3U);
}

TEST(PdaImage, RunningChecksumRestartsWhenTheListIsEmpty) {
    PdaImage pda;
    pda.parseWords(Words{2, 0x0010, 5});
    pda.removeRecord(0x0010);
    pda.insertRecord(Words{2, 0x0020, 6});
    EXPECT_EQ(pda.loadedChecksum(), checksumOf({2, 0x0020, 6}));

    pda.clear();
    EXPECT_TRUE(pda.isEmpty());
    EXPECT_EQ(pda.runningChecksum(), 0);
    EXPECT_EQ(pda.storedChecksum(), 0);
}

TEST(PdaImage, FlattenHoldsAtMost511RecordWords) {
    // One record of length n spans n + 1 words.
    for (const std::uint16_t length : {510, 511}) {
        Words record(static_cast<std::size_t>(length) + 1, 0x00AB);
        record[0] = length;
        record[1] = 0x0200;
        PdaImage pda;
        ASSERT_TRUE(pda.insertRecord(record));
        LogCapture log;
        std::array<std::uint16_t, kFlatPdaWords> out{};
        if (length == 510) {
            EXPECT_EQ(pda.flatten(out), 514U);
            EXPECT_EQ(out[511], 0x0002);
            EXPECT_EQ(out[513], pda.listChecksum());
            EXPECT_EQ(log.text(), "");
        } else {
            EXPECT_EQ(pda.flatten(out), 0U);
            EXPECT_EQ(log.text(), "PDA OVERFLOW. PDA EXCEEDS 512 WORD LIMIT.\n");
            EXPECT_EQ(pda.records().size(), 1U);
        }
    }
}

TEST(PdaImage, OverflowIsFoundBeforeAnyWordIsCopied) {
    // Many small records whose total passes the limit part-way through the list.
    PdaImage pda;
    for (std::uint16_t code = 1; code <= 200; ++code) {
        pda.insertRecord(Words{2, code, code});
    }
    std::array<std::uint16_t, kFlatPdaWords> out{};
    out.fill(0xEEEE);
    LogCapture log;
    EXPECT_EQ(pda.flatten(out), 0U);
    EXPECT_EQ(out[0], 0xEEEE);
}

TEST(PdaImage, NextCodeAfterListsEveryCodeFromZero) {
    PdaImage pda;
    pda.parseWords(Words{2, 0x0101, 0, 2, 0x0001, 0, 2, 0x0003, 0});
    Words listed;
    for (std::uint16_t code = pda.nextCodeAfter(0); code != 0; code = pda.nextCodeAfter(code)) {
        listed.push_back(code);
    }
    EXPECT_EQ(listed, (Words{0x0001, 0x0003, 0x0101}));
    EXPECT_EQ(pda.nextCodeAfter(0xFFFF), 0);
    EXPECT_EQ(pda.findRecord(0x0002), nullptr);
}

}  // namespace
}  // namespace quillon::pda
