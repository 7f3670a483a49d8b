#include "card/flash_programming.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "card_bench.h"

namespace quillon::card {
namespace {

using testing::aux;
using testing::CardBenchTest;
using testing::FakeProgressBar;
using testing::plain;
using Requests = std::vector<sim::RequestRecord>;

std::vector<std::uint8_t> pattern(std::size_t size, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    }
    return bytes;
}

// The blocks of an image of one range: {address, length}.
using Blocks = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

class FlashProgrammingTest : public CardBenchTest {
  protected:
    // Two ranges: 5000 bytes at 0x7E0100 (three blocks) and 512 bytes at 0x1FF00, which cross
    // a 64 KiB boundary (two blocks).
    void SetUp() override {
        ASSERT_TRUE(image.append(first, 0x7E0100));
        ASSERT_TRUE(image.append(second, 0x1FF00));
        open();
    }

    bool program(bool force, bool verify, bool ask = true) {
        return programImage(session, image, &progress, force, verify, ask, ui);
    }

    Requests blockRequests(std::uint32_t oid) const {
        Requests out;
        for (const auto& [address, length] : kBlocks) {
            out.push_back(aux(oid, address, length));
        }
        return out;
    }

    bool cardHoldsImage() const {
        return bench.card(0).readFlash(0x7E0100, first.size()) == first &&
               bench.card(0).readFlash(0x1FF00, second.size()) == second;
    }

    const Blocks kBlocks{
        {0x7E0100, 2042}, {0x7E08FA, 2042}, {0x7E10F4, 916}, {0x1FF00, 256}, {0x20000, 256}};
    const std::vector<std::uint8_t> first = pattern(5000, 1);
    const std::vector<std::uint8_t> second = pattern(512, 9);
    image::MemoryImage image;
    FakeProgressBar progress;
};

TEST_F(FlashProgrammingTest, ForcedRunWritesEveryBlockOnceAndReadsNothing) {
    EXPECT_TRUE(program(true, false));
    EXPECT_TRUE(cardHoldsImage());
    Requests expected{plain(OID_PRIV_BLOCK_PROTOCOLS), plain(OID_PRIV_ENABLE_AUX),
                      plain(OID_PRIV_ENABLE_AUX),
                      aux(OID_PRIV_AUX_WRITE, 0, 0, sim::kStatusFailure),
                      aux(OID_PRIV_SETUP_WRITE, 0x007FDE66, 2)};
    for (const auto& r : blockRequests(OID_PRIV_AUX_WRITE)) {
        expected.push_back(r);
    }
    EXPECT_EQ(bench.requests(), expected);
    EXPECT_EQ(progress.high, 5);
    EXPECT_EQ(progress.positions, (std::vector<int>{1, 0, 1, 2, 3, 4, 5}));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FlashProgrammingTest, CardThatHoldsTheImageIsOnlyRead) {
    ASSERT_TRUE(program(true, false));
    bench.clearRequests();
    EXPECT_TRUE(program(false, false));
    EXPECT_TRUE(blockWrites().empty());
    EXPECT_EQ(requestsOf(OID_PRIV_AUX_READ), blockRequests(OID_PRIV_AUX_READ));

    // One changed byte on the card: only its block is written again.
    bench.card(0).writeFlash(0x1FF10, std::vector<std::uint8_t>{0x00});
    bench.clearRequests();
    EXPECT_TRUE(program(false, false));
    EXPECT_EQ(blockWrites(), Requests{aux(OID_PRIV_AUX_WRITE, 0x1FF00, 256)});
    EXPECT_TRUE(cardHoldsImage());
}

TEST_F(FlashProgrammingTest, VerifyReadsBackEachBlockAsWritten) {
    EXPECT_TRUE(program(true, true));
    Requests blocks;
    for (const auto& r : bench.requests()) {
        if ((r.oid == OID_PRIV_AUX_WRITE && r.length > 0) || r.oid == OID_PRIV_AUX_READ) {
            blocks.push_back(r);
        }
    }
    Requests expected;
    for (const auto& [address, length] : kBlocks) {
        expected.push_back(aux(OID_PRIV_AUX_WRITE, address, length));
        expected.push_back(aux(OID_PRIV_AUX_READ, address, length));
    }
    EXPECT_EQ(blocks, expected);

    // A read-back that differs fails the block.
    bench.card(0).faults().flakyReads.every = 1;
    ui.answers = {ui::Answer::No};
    EXPECT_FALSE(program(true, true));
    EXPECT_EQ(ui.texts(), std::vector<std::string>{
                              "Error programming block at 0x7E0100.\n\nGoing on leaves that block "
                              "unwritten and the image incomplete. Continue anyway?"});
}

TEST_F(FlashProgrammingTest, FailedCompareReadFailsTheBlockWithoutWriting) {
    // The second block's compare read fails; the run stops there without asking.
    bench.card(0).faults().requests.push_back(
        sim::RequestFault::nth(OID_PRIV_AUX_READ, 2, sim::kStatusFailure));
    EXPECT_FALSE(program(false, false, false));
    EXPECT_EQ(blockWrites(), Requests{aux(OID_PRIV_AUX_WRITE, 0x7E0100, 2042)});
    EXPECT_EQ(requestsOf(OID_PRIV_AUX_READ).size(), 2u);
    EXPECT_EQ(progress.positions, (std::vector<int>{1, 0, 1}));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FlashProgrammingTest, AsksAfterEachFailedBlockAndStopsOnNo) {
    // Writes touching the second and fourth blocks fail.
    bench.card(0).faults().writes = {{0x7E0900, sim::kStatusFailure},
                                     {0x1FF00, sim::kStatusFailure}};
    ui.answers = {ui::Answer::Yes, ui::Answer::Yes};
    EXPECT_FALSE(program(true, false));
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[0].text, card::blockErrorQuestion(0x7E08FA, ""));
    EXPECT_EQ(ui.boxes[0].question, ui::Question::AfterFailure);
    EXPECT_EQ(card::blockErrorQuestion(0x7E08FA, "station-1.8.0.hex"),
              "Error programming block at 0x7E08FA of \"station-1.8.0.hex\".\n\nGoing on leaves "
              "that block unwritten and the image incomplete. Continue anyway?");
    EXPECT_EQ(ui.boxes[0].caption, "Programming error.");
    EXPECT_EQ(ui.boxes[0].buttons, ui::Buttons::YesNo);
    EXPECT_EQ(ui.boxes[0].owner, ui::Owner::None);
    EXPECT_EQ(blockWrites().size(), 5u);  // every block tried once
    EXPECT_EQ(progress.positions, (std::vector<int>{1, 0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(bench.card(0).readFlash(0x20000, 256),
              std::vector<std::uint8_t>(second.begin() + 256, second.end()));

    ui.boxes.clear();
    ui.answers = {ui::Answer::No};
    bench.clearRequests();
    progress.positions.clear();
    EXPECT_FALSE(program(true, false));
    EXPECT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(blockWrites().size(), 2u);  // block 1, and block 2 that failed
    EXPECT_EQ(progress.positions, (std::vector<int>{1, 0, 1}));
}

TEST_F(FlashProgrammingTest, SplitsARangeAtA64KiBBoundary) {
    image::MemoryImage boundary;
    ASSERT_TRUE(boundary.append(pattern(512, 3), 0xFF00));
    EXPECT_TRUE(programImage(session, boundary, nullptr, true, false, false, ui));
    EXPECT_EQ(blockWrites(), (Requests{aux(OID_PRIV_AUX_WRITE, 0xFF00, 256),
                                       aux(OID_PRIV_AUX_WRITE, 0x10000, 256)}));
}

TEST_F(FlashProgrammingTest, TellsWhenTheCardCannotBeReadiedAndTouchesNoBlock) {
    struct Case {
        std::uint32_t oid;
        std::string first;
    };
    for (const Case& c : {Case{OID_PRIV_BLOCK_PROTOCOLS, "Attempt to block protocols failed."},
                          Case{OID_PRIV_ENABLE_AUX, "Enable Aux failed."}}) {
        SCOPED_TRACE(c.first);
        bench.card(0).faults().requests = {sim::RequestFault::every(c.oid, sim::kStatusFailure)};
        bench.clearRequests();
        ui.boxes.clear();
        EXPECT_FALSE(program(true, false));
        ASSERT_EQ(ui.boxes.size(), 2u);
        EXPECT_EQ(ui.boxes[0].text, c.first);
        EXPECT_EQ(ui.boxes[0].caption, "Setup Error");
        EXPECT_EQ(ui.boxes[1].text, "Update not attempted.");
        EXPECT_EQ(ui.boxes[1].caption, "Card Communication Failed");
        EXPECT_TRUE(blockWrites().empty());
        EXPECT_TRUE(requestsOf(OID_PRIV_SETUP_WRITE).empty());
    }
}

class WritePdaTest : public CardBenchTest {};

TEST_F(WritePdaTest, WritesTheFlattenedPdaAsOneBlockBetweenTwoProbes) {
    open();
    pda::PdaImage image;
    const std::vector<std::uint16_t> record{3, 0x0003, 0x4953, 0x314D};
    ASSERT_TRUE(image.insertRecord(record));
    std::array<std::uint16_t, pda::kFlatPdaWords> flat{};
    const std::size_t words = image.flatten(flat);
    ASSERT_EQ(words, 7u);

    EXPECT_TRUE(writePda(session, image, true, false));
    EXPECT_EQ(bench.requests(),
              (Requests{plain(OID_PRIV_BLOCK_PROTOCOLS), plain(OID_PRIV_PROBE),
                        plain(OID_PRIV_ENABLE_AUX), plain(OID_PRIV_ENABLE_AUX),
                        aux(OID_PRIV_AUX_WRITE, 0, 0, sim::kStatusFailure),
                        aux(OID_PRIV_SETUP_WRITE, 0x007FDE66, 2),
                        aux(OID_PRIV_AUX_WRITE, 0x007F0000, 14), plain(OID_PRIV_PROBE)}));
    const auto nvram = bench.card(0).pdaWords(true);
    EXPECT_TRUE(std::equal(flat.begin(), flat.begin() + 7, nvram.begin()));

    // Once the card has reloaded its PDA, the same PDA unforced is compared, not written; the
    // verification reads the NVRAM copy, which the card keeps apart from the one it runs.
    ASSERT_TRUE(session.finish());
    bench.clearRequests();
    EXPECT_TRUE(writePda(session, image, false, true));
    EXPECT_EQ(requestsOf(OID_PRIV_AUX_READ), (Requests{aux(OID_PRIV_AUX_READ, 0x007F0000, 14),
                                                       aux(OID_PRIV_AUX_READ, 0x807F0000, 14)}));
    EXPECT_TRUE(blockWrites().empty());
}

TEST_F(WritePdaTest, RefusesAPdaTooLargeToFlattenWithoutSendingAnything) {
    open();
    pda::PdaImage image;
    std::vector<std::uint16_t> big(300, 0x1111);
    big[0] = 299;
    big[1] = 0x0100;
    ASSERT_TRUE(image.insertRecord(big));
    big[1] = 0x0200;
    ASSERT_TRUE(image.insertRecord(big));
    for (const bool force : {false, true}) {
        EXPECT_FALSE(writePda(session, image, force, false));
    }
    EXPECT_TRUE(bench.requests().empty());
}

}  // namespace
}  // namespace quillon::card
