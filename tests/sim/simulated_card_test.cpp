// The card model: what a simulated PRISM card answers, the order its aux port insists on, its
// two PDA copies, what a reset changes, and the address aliasing of a 3841 card.
#include "sim/simulated_card.h"

#include <gtest/gtest.h>

#include "bench_client.h"
#include "sim/identity_block.h"
#include "sim/pda_words.h"
#include "sim/simulated_bench.h"

namespace quillon::sim {
namespace {

using testing::BenchClient;
using testing::pattern;

std::vector<std::uint8_t> blockBytes(const IdentityBlock& block) {
    const auto bytes = encodeIdentityBlock(block);
    return {bytes.begin(), bytes.end()};
}

TEST(SimulatedCard, DefaultCardAnswersItsRids) {
    SimulatedBench bench(defaultBenchConfig());
    BenchClient client(bench);
    ASSERT_TRUE(client.isOpen());
    const struct {
        std::uint16_t rid;
        std::vector<std::uint16_t> words;
    } cases[] = {
        {0xFD02, {5, 0xFD02, 21, 0, 1, 1}},
        {0xFD20, {5, 0xFD20, 31, 4, 1, 7}},
        {0xFD04, {5, 0xFD04, 0, 0, 2, 0}},
        {0xFD03, {6, 0xFD03, 0, 3, 1, 1, 2}},
        {0xFD21, {6, 0xFD21, 0, 4, 1, 1, 1}},
        {0xFD23, {6, 0xFD23, 1, 2, 1, 1, 1}},
        {0xFC01, {2, 0xFC01, 1}},
        {0x1234, {0}},  // no such record: status 0, length word 0
    };
    for (const auto& c : cases) {
        std::vector<std::uint16_t> words;
        EXPECT_EQ(client.readRid(c.rid, words), kStatusSuccess) << std::hex << c.rid;
        EXPECT_EQ(words, c.words) << std::hex << c.rid;
    }
}

TEST(SimulatedCard, IdentTextFillsAllTwentySixPositions) {
    SimulatedBench bench(defaultBenchConfig());
    BenchClient client(bench);
    std::vector<std::uint16_t> words;
    ASSERT_EQ(client.readRid(0xFFFF, words), kStatusSuccess);
    ASSERT_EQ(words[0], 15);  // 2 * 15 - 4 = 26 characters readable
    std::string text;
    for (std::size_t i = 2; i < words.size(); ++i) {
        text.push_back(static_cast<char>(words[i] & 0xFF));
        text.push_back(static_cast<char>(words[i] >> 8));
    }
    EXPECT_EQ(text.substr(0, 25), "PRISM 3842 SIMULATED CARD");
    EXPECT_EQ(text[25], '\0');
}

TEST(SimulatedCard, RefusesRequestsOfTheWrongShape) {
    SimulatedBench bench(defaultBenchConfig());
    BenchClient client(bench);
    const struct {
        std::uint32_t type;
        std::uint32_t oid;
        std::size_t length;
        std::uint32_t status;
    } cases[] = {
        {card::kSetInformation, kOidReadRid, 504, kStatusNotSupported},
        {card::kQueryInformation, kOidReadRid, 500, kStatusInvalidLength},
        {card::kQueryInformation, kOidProbe, 4, kStatusInvalidLength},
        {card::kQueryInformation, kOidEnableAux, 0, kStatusNotSupported},
        {card::kSetInformation, kOidEnableAux, 4, kStatusInvalidLength},
        {card::kQueryInformation, kOidPermanentAddress, 8, kStatusInvalidLength},
        {card::kQueryInformation, kOidDriverVersion, 8, kStatusInvalidLength},
        {card::kSetInformation, kOidSetupWrite, 10, kStatusInvalidLength},
        {card::kQueryInformation, kOidAuxRead, 4, kStatusInvalidLength},
        {card::kQueryInformation, 0xFF0101FF, 0, kStatusInvalidOid},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> buffer(c.length, 0);
        EXPECT_EQ(client.request(c.type, c.oid, buffer), c.status) << std::hex << c.oid;
    }
    // An aux block whose length disagrees with the buffer, or is above 2042 bytes.
    client.set(kOidEnableAux);
    std::vector<std::uint8_t> block{0, 0, 0x7E, 0, 16, 0, 0, 0};
    EXPECT_EQ(client.request(card::kQueryInformation, kOidAuxRead, block), kStatusInvalidLength);
    std::vector<std::uint8_t> large(2043 + 6, 0);
    large[4] = 2043 & 0xFF;
    large[5] = 2043 >> 8;
    EXPECT_EQ(client.request(card::kQueryInformation, kOidAuxRead, large), kStatusInvalidLength);
}

TEST(SimulatedCard, AuxWritesNeedBlockedProtocolsEnabledAuxAndTheSetupWrite) {
    const std::vector<std::uint8_t> data = pattern(64, 1);
    const struct {
        bool block, enable, setup;
        std::uint32_t status;
    } cases[] = {
        {false, true, true, kStatusFailure},
        {true, false, true, kStatusFailure},
        {true, true, false, kStatusFailure},
        {true, true, true, kStatusSuccess},
    };
    for (const auto& c : cases) {
        SimulatedBench bench(defaultBenchConfig());
        BenchClient client(bench);
        if (c.block) {
            client.set(kOidBlockProtocols);
        }
        if (c.enable) {
            client.set(kOidEnableAux);
        }
        if (c.setup) {
            EXPECT_EQ(client.setupWrite(), kStatusSuccess);
        }
        EXPECT_EQ(client.auxWrite(0x7E1000, data), c.status);
        const bool written = bench.card(0).readFlash(0x7E1000, 64) == data;
        EXPECT_EQ(written, c.status == kStatusSuccess);
    }
}

TEST(SimulatedCard, WritePermissionEndsWithUnblockFinishAndReopen) {
    SimulatedBench bench(defaultBenchConfig());
    const std::vector<std::uint8_t> data = pattern(8, 3);
    {
        BenchClient client(bench);
        client.prepareWrites();
        EXPECT_EQ(client.auxWrite(0x7E1000, data), kStatusSuccess);
        client.set(kOidUnblockProtocols);
        EXPECT_EQ(client.auxWrite(0x7E1000, data), kStatusFailure);
        client.prepareWrites();
        EXPECT_EQ(client.finish(), kStatusSuccess);
        EXPECT_EQ(client.auxWrite(0x7E1000, data), kStatusFailure);
        client.prepareWrites();
    }
    BenchClient reopened(bench);
    EXPECT_EQ(reopened.auxWrite(0x7E1000, data), kStatusFailure);
}

TEST(SimulatedCard, SetupWriteMustCarryTheAddressAndDataOfTheCardType) {
    SimulatedBench bench(defaultBenchConfig());
    BenchClient client(bench);
    EXPECT_EQ(client.setupWrite(0x001FEE66), kStatusFailure);  // the 3841 address
    EXPECT_EQ(client.setupWrite(0x007FDE66), kStatusSuccess);
    std::vector<std::uint8_t> wrongData{0x66, 0xDE, 0x7F, 0x00, 2, 0, 0x00, 0xE2};
    EXPECT_EQ(client.request(card::kSetInformation, kOidSetupWrite, wrongData), kStatusFailure);
}

TEST(SimulatedCard, AuxReadsNeedTheAuxPortEnabled) {
    SimulatedBench bench(defaultBenchConfig());
    BenchClient client(bench);
    std::vector<std::uint8_t> data;
    EXPECT_EQ(client.auxRead(0x7E0000, 4, data), kStatusFailure);
    client.set(kOidEnableAux);
    EXPECT_EQ(client.auxRead(0x7E0000, 4, data), kStatusSuccess);
    EXPECT_EQ(data, (std::vector<std::uint8_t>{'Q', 'I', 'D', 'B'}));
}

TEST(SimulatedCard, PlainReadsShowTheRamPdaUntilFinishReloadsItFromNvram) {
    SimulatedBench bench(defaultBenchConfig());
    SimulatedCard& card = bench.card(0);
    const std::vector<std::uint16_t> before = card.pdaWords(false);
    EXPECT_EQ(before, card.pdaWords(true));

    const std::vector<PdrConfig> records{{0x0003, {0x4141, 0x4242}}};
    const std::vector<std::uint16_t> fresh = buildPdaWords(records);
    std::vector<std::uint8_t> bytes;
    for (const std::uint16_t word : fresh) {
        bytes.push_back(static_cast<std::uint8_t>(word & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(word >> 8));
    }
    BenchClient client(bench);
    client.prepareWrites();
    ASSERT_EQ(client.auxWrite(0x7F0000, bytes), kStatusSuccess);

    std::vector<std::uint8_t> plain;
    std::vector<std::uint8_t> nvram;
    ASSERT_EQ(client.auxRead(0x7F0000, static_cast<std::uint16_t>(bytes.size()), plain), 0u);
    ASSERT_EQ(client.auxRead(0x807F0000, static_cast<std::uint16_t>(bytes.size()), nvram), 0u);
    EXPECT_NE(plain, bytes);
    EXPECT_EQ(nvram, bytes);
    EXPECT_EQ(card.pdaWords(false), before);

    ASSERT_EQ(client.finish(), kStatusSuccess);
    client.set(kOidEnableAux);
    ASSERT_EQ(client.auxRead(0x7F0000, static_cast<std::uint16_t>(bytes.size()), plain), 0u);
    EXPECT_EQ(plain, bytes);
    EXPECT_EQ(card.pdaWords(false), card.pdaWords(true));
}

TEST(SimulatedCard, ReadAcrossThePdaAreaEdgeOverlaysOnlyThePdaPart) {
    CardConfig config = *defaultBenchConfig().adapters[0].card;
    config.ramPdaWords = std::vector<std::uint16_t>(512, 0x1111);
    SimulatedCard card(config);
    const std::vector<std::uint8_t> bytes = card.readAux(0x7F0000 - 2, 4);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0xFF, 0xFF, 0x11, 0x11}));
    const std::vector<std::uint8_t> end = card.readAux(0x7F0400 - 2, 4);
    EXPECT_EQ(end, (std::vector<std::uint8_t>{0x11, 0x11, 0xFF, 0xFF}));
}

TEST(SimulatedCard, FinishTakesTheVersionsFromTheIdentityBlocksInFlash) {
    SimulatedBench bench(defaultBenchConfig());
    SimulatedCard& card = bench.card(0);
    BenchClient client(bench);
    client.prepareWrites();
    ASSERT_EQ(client.auxWrite(0x7E0000, blockBytes({31, 5, 1, 8, 1, 3, 1, 2, 3})), 0u);
    ASSERT_EQ(client.auxWrite(0x7F1800, blockBytes({21, 1, 1, 2, 0, 3, 1, 2, 3})), 0u);
    EXPECT_EQ(card.rids().station, (RidIdentity{31, 4, 1, 7}));  // not before the reset

    ASSERT_EQ(client.finish(), kStatusSuccess);
    EXPECT_EQ(card.rids().station, (RidIdentity{31, 5, 1, 8}));
    EXPECT_EQ(card.rids().primary, (RidIdentity{21, 1, 1, 2}));
    std::vector<std::uint16_t> words;
    ASSERT_EQ(client.readRid(0xFD03, words), kStatusSuccess);
    EXPECT_EQ(words, (std::vector<std::uint16_t>{6, 0xFD03, 0, 3, 1, 2, 3}));
}

TEST(SimulatedCard, FinishKeepsTheVersionsWhereNoValidBlockStands) {
    const struct {
        const char* name;
        std::vector<std::uint8_t> station;
        std::vector<std::uint8_t> primary;
        std::optional<RidRange> supplier;
    } cases[] = {
        {"erased", std::vector<std::uint8_t>(24, 0xFF), std::vector<std::uint8_t>(24, 0xFF),
         RidRange{0, 3, 1, 1, 2}},
        {"ids swapped", blockBytes({21, 9, 9, 9, 0, 3, 1, 5, 6}),
         blockBytes({31, 9, 9, 9, 0, 3, 1, 5, 6}), RidRange{0, 3, 1, 1, 2}},
        {"no magic", std::vector<std::uint8_t>(24, 0), std::vector<std::uint8_t>(24, 0),
         RidRange{0, 3, 1, 1, 2}},
    };
    for (const auto& c : cases) {
        SimulatedBench bench(defaultBenchConfig());
        SimulatedCard& card = bench.card(0);
        card.writeFlash(0x7E0000, c.station);
        card.writeFlash(0x7F1800, c.primary);
        card.reset();
        EXPECT_EQ(card.rids().station, (RidIdentity{31, 4, 1, 7})) << c.name;
        EXPECT_EQ(card.rids().primary, (RidIdentity{21, 0, 1, 1})) << c.name;
        EXPECT_EQ(card.rids().primarySupplier, c.supplier) << c.name;
    }
    // A primary whose range is not the primary interface's supply leaves the range alone.
    SimulatedBench bench(defaultBenchConfig());
    SimulatedCard& card = bench.card(0);
    card.writeFlash(0x7F1800, blockBytes({21, 2, 1, 3, 1, 3, 1, 7, 8}));
    card.reset();
    EXPECT_EQ(card.rids().primary, (RidIdentity{21, 2, 1, 3}));
    EXPECT_EQ(card.rids().primarySupplier, (RidRange{0, 3, 1, 1, 2}));
}

TEST(SimulatedCard, A3841CardIgnoresAddressBits17And18) {
    BenchConfig config = defaultBenchConfig();
    config.adapters[0].card->macType = 1;
    config.adapters[0].card->flash.clear();
    SimulatedBench bench(config);
    SimulatedCard& card = bench.card(0);
    EXPECT_EQ(card.pdaAddress(), 0x003F0000u);
    EXPECT_EQ(card.imageBase(), 0x003E0000u);

    BenchClient client(bench);
    client.prepareWrites();  // with the 3841 setup address
    const std::vector<std::uint8_t> data = pattern(32, 9);
    ASSERT_EQ(client.auxWrite(0x003E0100, data), kStatusSuccess);
    EXPECT_EQ(card.readFlash(0x00380100, 32), data);
    std::vector<std::uint8_t> read;
    ASSERT_EQ(client.auxRead(0x00380100, 32, read), kStatusSuccess);
    EXPECT_EQ(read, data);
    ASSERT_EQ(client.auxRead(0x003E0100, 32, read), kStatusSuccess);
    EXPECT_EQ(read, data);
    // The PDA is found at the masked PDA address, whichever way it is asked for.
    EXPECT_EQ(card.readAux(0x00390000, 1024), card.readAux(0x003F0000, 1024));
    EXPECT_EQ(bench.requests().back(),
              (RequestRecord{card::kQueryInformation, kOidAuxRead, 0x003E0100, 32, 0}));
}

TEST(SimulatedCard, FinishOnA3841CardReadsTheBlocksAtTheAliasedAddresses) {
    BenchConfig config = defaultBenchConfig();
    config.adapters[0].card->macType = 1;
    SimulatedBench bench(config);
    SimulatedCard& card = bench.card(0);
    card.writeFlash(0x003E0000, blockBytes({31, 2, 1, 9, 1, 3, 1, 1, 2}));
    card.reset();
    EXPECT_EQ(card.rids().station, (RidIdentity{31, 2, 1, 9}));
    EXPECT_EQ(card.readFlash(0x00380000, 4), (std::vector<std::uint8_t>{'Q', 'I', 'D', 'B'}));
}

TEST(SimulatedCard, RequestLogHoldsTheAuxBlockOfAuxRequestsOnly) {
    SimulatedBench bench(defaultBenchConfig());
    BenchClient client(bench);
    std::vector<std::uint16_t> words;
    std::vector<std::uint8_t> data;
    client.readRid(0xFD02, words);
    client.auxRead(0x807F0000, 16, data);  // before enable: fails
    client.prepareWrites();
    client.auxWrite(0x7E2000, pattern(10, 0));
    const std::vector<RequestRecord> expected{
        {card::kQueryInformation, kOidReadRid, 0, 0, 0},
        {card::kQueryInformation, kOidAuxRead, 0x807F0000, 16, kStatusFailure},
        {card::kSetInformation, kOidBlockProtocols, 0, 0, 0},
        {card::kSetInformation, kOidEnableAux, 0, 0, 0},
        {card::kSetInformation, kOidSetupWrite, 0x007FDE66, 2, 0},
        {card::kSetInformation, kOidAuxWrite, 0x7E2000, 10, 0},
    };
    EXPECT_EQ(bench.requests(), expected);
    bench.clearRequests();
    EXPECT_TRUE(bench.requests().empty());
}

TEST(SimulatedCard, AnotherChipsetOpensButRefusesEveryPrivateRequest) {
    BenchConfig config = defaultBenchConfig();
    config.adapters[0].card.reset();
    SimulatedBench bench(config);
    BenchClient client(bench);
    ASSERT_TRUE(client.isOpen());
    EXPECT_EQ(client.set(kOidEnableAux), kStatusInvalidOid);
    std::vector<std::uint16_t> words;
    EXPECT_EQ(client.readRid(0xFD02, words), kStatusInvalidOid);
}

TEST(SimulatedCard, PublicRequestsAnswerAddressAndDriverVersion) {
    SimulatedBench bench(defaultBenchConfig());
    BenchClient client(bench);
    std::vector<std::uint8_t> address(6);
    ASSERT_EQ(client.request(card::kQueryInformation, kOidPermanentAddress, address), 0u);
    EXPECT_EQ(address, (std::vector<std::uint8_t>{0x00, 0x02, 0xB3, 0x12, 0x34, 0x56}));
    std::vector<std::uint8_t> version(4);
    ASSERT_EQ(client.request(card::kQueryInformation, kOidDriverVersion, version), 0u);
    EXPECT_EQ(version, (std::vector<std::uint8_t>{0x03, 0x02, 0x01, 0x00}));
}

// A change that cannot be saved is not made, so the card never runs ahead of its saved state.
class RefusingLog : public CardStateLog {
  public:
    bool flashWritten(std::uint32_t, std::span<const std::uint8_t>) override { return false; }
    bool ramPdaSet(std::span<const std::uint16_t>) override { return false; }
    bool cardReset() override { return false; }
};

TEST(SimulatedCard, RequestsWhoseChangeCannotBeSavedFail) {
    SimulatedBench bench(defaultBenchConfig());
    RefusingLog log;
    bench.card(0).setStateLog(&log);
    BenchClient client(bench);
    client.prepareWrites();
    EXPECT_EQ(client.auxWrite(0x7E1000, pattern(4, 1)), kStatusFailure);
    EXPECT_EQ(bench.card(0).readFlash(0x7E1000, 4), std::vector<std::uint8_t>(4, 0xFF));
    EXPECT_EQ(client.finish(), kStatusFailure);
    bench.card(0).setStateLog(nullptr);
}

TEST(PdaWords, ChecksumIsCrc16Arc) {
    const std::string digits = "123456789";
    EXPECT_EQ(
        crc16Arc(0, std::span(reinterpret_cast<const std::uint8_t*>(digits.data()), digits.size())),
        0xBB3D);
    EXPECT_EQ(buildPdaWords({}), (std::vector<std::uint16_t>{2, 0, 0xB801}));
    const std::vector<PdrConfig> records{{0x0101, {0x1102, 0x3322, 0x5544}}};
    EXPECT_EQ(buildPdaWords(records),
              (std::vector<std::uint16_t>{4, 0x0101, 0x1102, 0x3322, 0x5544, 2, 0, 0x531F}));
}

}  // namespace
}  // namespace quillon::sim
