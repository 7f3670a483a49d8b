#include "card/card_memory.h"

#include <gtest/gtest.h>

#include "card_bench.h"

namespace quillon::card {
namespace {

using testing::aux;
using testing::CardBenchTest;
using Requests = std::vector<sim::RequestRecord>;

const std::vector<std::uint16_t> kBlank(512, 0xFFFF);

std::string dump(const std::vector<std::uint16_t>& words) {
    std::string text;
    for (const std::uint16_t w : words) {
        char hex[8];
        std::snprintf(hex, sizeof hex, " %x", w);
        text += hex;
    }
    return text;
}

class ReadPdaTest : public CardBenchTest {
  protected:
    // The default card's PDA in NVRAM, as flash holds it.
    std::vector<std::uint16_t> nvram() const { return bench.card(0).pdaWords(true); }

    pda::PdaImage image;
};

TEST_F(ReadPdaTest, ReadsAValidPlainCopyWithOneRead) {
    open();
    EXPECT_TRUE(readPda(session, image, ui));
    EXPECT_EQ(requestsOf(OID_PRIV_AUX_READ), Requests{aux(OID_PRIV_AUX_READ, 0x007F0000, 1024)});
    ASSERT_NE(image.findRecord(pda::kPdrSerialNumber), nullptr);
    EXPECT_EQ(image.records().size(), 7u);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ReadPdaTest, FallsBackToTheNvramCopyWhenThePlainCopyHoldsNoRecord) {
    bench.card(0).setPdaWords(kBlank, false);
    open();
    EXPECT_TRUE(readPda(session, image, ui));
    EXPECT_EQ(requestsOf(OID_PRIV_AUX_READ), (Requests{aux(OID_PRIV_AUX_READ, 0x007F0000, 1024),
                                                       aux(OID_PRIV_AUX_READ, 0x807F0000, 1024)}));
    EXPECT_EQ(image.records().size(), 7u);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ReadPdaTest, ShowsBothCopiesWhenNeitherParses) {
    std::vector<std::uint16_t> ram = kBlank;
    ram[0] = 0xFFFE;
    bench.card(0).setPdaWords(ram, false);
    bench.card(0).setPdaWords(kBlank, true);
    open();
    ASSERT_TRUE(image.insertRecord(std::vector<std::uint16_t>{2, 0x0008, 1}));
    EXPECT_FALSE(readPda(session, image, ui));
    EXPECT_TRUE(image.isEmpty());
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text,
              " From RAM:\r\n" + dump(ram) + "\r\n From NVRAM:\r\n" + dump(kBlank));
    EXPECT_EQ(ui.boxes[0].caption, "Invalid PDA data");
    EXPECT_EQ(ui.boxes[0].owner, ui::Owner::None);
    EXPECT_EQ(ui.boxes[0].buttons, ui::Buttons::Ok);
}

TEST_F(ReadPdaTest, ShowsNoNvramWordsWhenThatCopyWasNotRead) {
    // The plain copy parses but its checksum is wrong: the NVRAM copy is not consulted.
    std::vector<std::uint16_t> ram = kBlank;
    ram[0] = 0x000A;
    ram[1] = 0x1234;
    bench.card(0).setPdaWords(ram, false);
    open();
    EXPECT_FALSE(readPda(session, image, ui));
    EXPECT_EQ(requestsOf(OID_PRIV_AUX_READ).size(), 1u);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text.substr(0, 20), " From RAM:\r\n a 1234 ");
    EXPECT_EQ(ui.boxes[0].text, " From RAM:\r\n" + dump(ram) + "\r\n From NVRAM:\r\n");

    // The NVRAM read fails: its part stays empty too.
    bench.card(0).setPdaWords(kBlank, false);
    bench.card(0).faults().requests = {
        sim::RequestFault::nth(OID_PRIV_AUX_READ, 2, sim::kStatusFailure)};
    ui.boxes.clear();
    EXPECT_FALSE(readPda(session, image, ui));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, " From RAM:\r\n" + dump(kBlank) + "\r\n From NVRAM:\r\n");
}

TEST_F(ReadPdaTest, UnreadablePlainCopyFailsSilentlyAndKeepsTheImage) {
    open();
    bench.card(0).faults().requests = {
        sim::RequestFault::every(OID_PRIV_AUX_READ, sim::kStatusFailure)};
    ASSERT_TRUE(image.insertRecord(std::vector<std::uint16_t>{2, 0x0008, 1}));
    EXPECT_FALSE(readPda(session, image, ui));
    EXPECT_NE(image.findRecord(0x0008), nullptr);
    EXPECT_TRUE(ui.boxes.empty());
}

class ReadPda3841Test : public CardBenchTest {
  protected:
    ReadPda3841Test() : CardBenchTest(testing::oneCardBench(kMacType3841)) {}
};

TEST_F(ReadPda3841Test, ReadsThroughTheMaskedAddresses) {
    bench.card(0).setPdaWords(kBlank, false);
    open(kMacType3841);
    pda::PdaImage image;
    EXPECT_TRUE(readPda(session, image, ui));
    EXPECT_EQ(requestsOf(OID_PRIV_AUX_READ), (Requests{aux(OID_PRIV_AUX_READ, 0x00390000, 1024),
                                                       aux(OID_PRIV_AUX_READ, 0x80390000, 1024)}));
}

class ReadAuxPortTest : public CardBenchTest {};

TEST_F(ReadAuxPortTest, CopiesTheBytesReadOrTellsItCouldNot) {
    open();
    const std::vector<std::uint8_t> cis{0x01, 0x02, 0xD9, 0x01, 0xFF};
    bench.card(0).writeFlash(0x007EFE00, cis);
    std::vector<std::uint8_t> out(8, 0x55);
    EXPECT_TRUE(readAuxPort(session, out, 0x007EFE00, 5, ui));
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0x01, 0x02, 0xD9, 0x01, 0xFF, 0x55, 0x55, 0x55}));
    EXPECT_EQ(requestsOf(OID_PRIV_AUX_READ), Requests{aux(OID_PRIV_AUX_READ, 0x007EFE00, 5)});

    bench.card(0).faults().requests = {
        sim::RequestFault::every(OID_PRIV_AUX_READ, sim::kStatusFailure)};
    EXPECT_FALSE(readAuxPort(session, out, 0x007EFE00, 5, ui));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Could not read from Aux Port");
    EXPECT_EQ(ui.boxes[0].caption, std::nullopt);
    EXPECT_EQ(ui.boxes[0].owner, ui::Owner::None);
}

TEST_F(ReadAuxPortTest, RefusesLengthsItCannotCarryWithoutSendingAnything) {
    open();
    std::vector<std::uint8_t> big(4096);
    std::vector<std::uint8_t> small(4);
    EXPECT_FALSE(readAuxPort(session, big, 0x1000, 2043, ui));
    EXPECT_FALSE(readAuxPort(session, small, 0x1000, 5, ui));
    EXPECT_TRUE(bench.requests().empty());
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(readAuxPort(session, big, 0x1000, 2042, ui));
}

}  // namespace
}  // namespace quillon::card
