// Bench folders: the default bench made on first use, card state saved as it changes and
// found again after reopening or after a killed run, and the bench tools.
#include <gtest/gtest.h>

#include <filesystem>

#include "bench_client.h"
#include "sim/bench_json.h"
#include "sim/bench_tools.h"
#include "sim/identity_block.h"
#include "sim/simulated_bench.h"
#include "temp_dir.h"

namespace quillon::sim {
namespace {

namespace fs = std::filesystem;
using quillon::testing::readWholeFile;
using quillon::testing::TempDir;
using testing::BenchClient;
using testing::pattern;

BenchOpenOptions noLatency() {
    BenchOpenOptions options;
    options.latency = false;
    return options;
}

std::unique_ptr<SimulatedBench> openBench(const std::string& dir) {
    std::string error;
    auto bench = SimulatedBench::open(dir, noLatency(), error);
    EXPECT_TRUE(bench) << error;
    return bench;
}

TEST(BenchFolder, FirstOpenCreatesTheDefaultBench) {
    TempDir temp;
    const std::string dir = temp.file("state/quillon/bench");
    auto bench = openBench(dir);
    ASSERT_TRUE(bench);
    EXPECT_EQ(bench->config(), defaultBenchConfig());
    EXPECT_EQ(bench->folder(), dir);
    EXPECT_EQ(readWholeFile(dir + "/bench.json"), benchToJson(defaultBenchConfig()));
    EXPECT_FALSE(fs::exists(dir + "/card-0.state"));  // nothing changed yet
}

TEST(BenchFolder, LatencyFollowsBenchJsonUnlessOverridden) {
    TempDir temp;
    CountingSleeper sleeper;
    BenchOpenOptions options;
    options.sleeper = &sleeper;
    std::string error;
    auto bench = SimulatedBench::open(temp.file("b"), options, error);
    ASSERT_TRUE(bench) << error;
    BenchClient client(*bench);
    client.set(kOidEnableAux);
    EXPECT_EQ(sleeper.totalMicros(), 200u);
    bench->library().sleepMilliseconds(5);
    EXPECT_EQ(sleeper.totalMicros(), 5200u);

    options.latency = false;
    auto quiet = SimulatedBench::open(temp.file("b"), options, error);
    ASSERT_TRUE(quiet) << error;
    BenchClient quietClient(*quiet);
    quietClient.set(kOidEnableAux);
    EXPECT_EQ(sleeper.totalMicros(), 5200u);
}

TEST(BenchFolder, ChangesSurviveReopening) {
    TempDir temp;
    const std::string dir = temp.file("bench");
    const std::vector<std::uint16_t> pda{3, 0x0003, 0x4953, 0x004D, 2, 0, 0x1234};
    std::vector<std::uint8_t> pdaBytes;
    for (const std::uint16_t word : pda) {
        pdaBytes.push_back(static_cast<std::uint8_t>(word & 0xFF));
        pdaBytes.push_back(static_cast<std::uint8_t>(word >> 8));
    }
    const auto station = encodeIdentityBlock({31, 5, 2, 0, 1, 3, 1, 1, 2});
    {
        auto bench = openBench(dir);
        ASSERT_TRUE(bench);
        BenchClient client(*bench);
        client.prepareWrites();
        ASSERT_EQ(client.auxWrite(0x7E1000, pattern(2042, 1)), kStatusSuccess);
        ASSERT_EQ(client.auxWrite(0x7E0000, station), kStatusSuccess);
        ASSERT_EQ(client.auxWrite(0x7F0000, pdaBytes), kStatusSuccess);
        ASSERT_EQ(client.finish(), kStatusSuccess);
        bench->card(0).writeFlash(0x100, pattern(3, 9));
        bench->card(0).setPdaWords(std::vector<std::uint16_t>{0xABCD}, false);
    }
    auto bench = openBench(dir);
    ASSERT_TRUE(bench);
    SimulatedCard& card = bench->card(0);
    EXPECT_EQ(card.readFlash(0x7E1000, 2042), pattern(2042, 1));
    EXPECT_EQ(card.readFlash(0x100, 3), pattern(3, 9));
    EXPECT_EQ(card.rids().station, (RidIdentity{31, 5, 2, 0}));
    std::vector<std::uint16_t> nvram = card.pdaWords(true);
    nvram.resize(pda.size());
    EXPECT_EQ(nvram, pda);
    EXPECT_EQ(card.pdaWords(false)[0], 0xABCD);
    EXPECT_EQ(card.pdaWords(false)[1], 0xFFFF);
}

TEST(BenchFolder, AKilledRunLeavesTheBlocksWrittenSoFar) {
    TempDir temp;
    const std::string dir = temp.file("bench");
    const std::string state = dir + "/card-0.state";
    const std::vector<std::uint16_t> ramBefore =
        SimulatedBench(defaultBenchConfig()).card(0).pdaWords(false);
    std::string leftBehind;
    {
        auto bench = openBench(dir);
        ASSERT_TRUE(bench);
        BenchClient client(*bench);
        client.prepareWrites();
        ASSERT_EQ(client.auxWrite(0x7E1000, pattern(2042, 1)), kStatusSuccess);
        ASSERT_EQ(client.auxWrite(0x7F0000, pattern(64, 2)), kStatusSuccess);
        ASSERT_EQ(client.auxWrite(0x7E2000, pattern(2042, 3)), kStatusSuccess);
        // Killed while the third block was being saved: its record is cut short.
        leftBehind = readWholeFile(state);
        leftBehind.resize(leftBehind.size() - 100);
    }
    temp.write("bench/card-0.state", leftBehind);

    {
        auto bench = openBench(dir);
        ASSERT_TRUE(bench);
        SimulatedCard& card = bench->card(0);
        EXPECT_EQ(card.readFlash(0x7E1000, 2042), pattern(2042, 1));
        EXPECT_EQ(card.readFlash(0x7F0000, 64), pattern(64, 2));
        EXPECT_EQ(card.readFlash(0x7E2000, 2042), std::vector<std::uint8_t>(2042, 0xFF));
        // No finish came: the RAM copy and the versions are as before.
        EXPECT_EQ(card.pdaWords(false), ramBefore);
        EXPECT_EQ(card.rids().station, (RidIdentity{31, 4, 1, 7}));
        // The torn record is gone, so what is saved next is found again.
        EXPECT_LT(fs::file_size(state), leftBehind.size());
        BenchClient client(*bench);
        client.prepareWrites();
        ASSERT_EQ(client.auxWrite(0x7E3000, pattern(100, 4)), kStatusSuccess);
    }
    auto bench = openBench(dir);
    ASSERT_TRUE(bench);
    EXPECT_EQ(bench->card(0).readFlash(0x7E3000, 100), pattern(100, 4));
    EXPECT_EQ(bench->card(0).readFlash(0x7E1000, 2042), pattern(2042, 1));
}

TEST(BenchFolder, AStateFileCutOffInItsMagicCountsAsEmpty) {
    TempDir temp;
    fs::create_directory(temp.file("bench"));
    temp.write("bench/bench.json", benchToJson(defaultBenchConfig()));
    temp.write("bench/card-0.state", "QSIM");
    auto bench = openBench(temp.file("bench"));
    ASSERT_TRUE(bench);
    bench->card(0).writeFlash(0x10, pattern(4, 1));
    bench.reset();
    bench = openBench(temp.file("bench"));
    ASSERT_TRUE(bench);
    EXPECT_EQ(bench->card(0).readFlash(0x10, 4), pattern(4, 1));
}

TEST(BenchFolder, BadFilesAreRefusedByName) {
    const struct {
        std::string benchJson;
        std::string state;
        std::string error;
    } cases[] = {
        {"{}", "", "bench.json: adapters: missing"},
        {benchToJson(defaultBenchConfig()), "not a journal", "card-0.state: not a card state file"},
    };
    for (const auto& c : cases) {
        TempDir temp;
        fs::create_directory(temp.file("bench"));
        temp.write("bench/bench.json", c.benchJson);
        if (!c.state.empty()) {
            temp.write("bench/card-0.state", c.state);
        }
        std::string error;
        EXPECT_FALSE(SimulatedBench::open(temp.file("bench"), noLatency(), error));
        EXPECT_EQ(error, c.error);
    }
    // Folders where the files belong are refused with the same kind of message, not a crash.
    for (const std::string name : {"bench.json", "card-0.state"}) {
        TempDir temp;
        fs::create_directories(temp.file("bench/" + name));
        if (name != "bench.json") {
            temp.write("bench/bench.json", benchToJson(defaultBenchConfig()));
        }
        std::string error;
        EXPECT_FALSE(SimulatedBench::open(temp.file("bench"), noLatency(), error));
        EXPECT_EQ(error, (name == "bench.json" ? temp.file("bench/bench.json") : name) +
                             ": cannot be read (not a file)");
    }
    TempDir temp;
    temp.write("file", "");
    std::string error;
    EXPECT_FALSE(SimulatedBench::open(temp.file("file"), noLatency(), error));
    EXPECT_EQ(error, temp.file("file") + ": cannot create the bench folder");
}

TEST(BenchFolder, TemporaryFilesOfKilledRunsAreRemovedAtTheNextStart) {
    TempDir temp;
    ASSERT_TRUE(openBench(temp.file("bench")));
    temp.write("bench/bench.json.tmp-a1B2c3", "half a bench");
    temp.write("bench/card-0.state.tmp-x9Y8z7", "half a snapshot");
    temp.write("bench/notes.tmp-keep", "not ours");
    ASSERT_TRUE(openBench(temp.file("bench")));
    EXPECT_FALSE(fs::exists(temp.file("bench/bench.json.tmp-a1B2c3")));
    EXPECT_FALSE(fs::exists(temp.file("bench/card-0.state.tmp-x9Y8z7")));
    EXPECT_TRUE(fs::exists(temp.file("bench/notes.tmp-keep")));
}

TEST(BenchFolder, LargeJournalsAreCompactedAtLoad) {
    TempDir temp;
    const std::string dir = temp.file("bench");
    const std::string state = dir + "/card-0.state";
    {
        auto bench = openBench(dir);
        ASSERT_TRUE(bench);
        BenchClient client(*bench);
        client.prepareWrites();
        for (int i = 0; i < 600; ++i) {
            ASSERT_EQ(client.auxWrite(0x10000 + 2048 * static_cast<std::uint32_t>(i % 8),
                                      pattern(2042, static_cast<std::uint8_t>(i))),
                      kStatusSuccess);
        }
        ASSERT_EQ(client.finish(), kStatusSuccess);
    }
    const auto journalSize = fs::file_size(state);
    EXPECT_GT(journalSize, std::uintmax_t{1} << 20);
    SparseFlash expected;
    {
        auto bench = openBench(dir);
        ASSERT_TRUE(bench);
        expected = bench->card(0).flash();
    }
    EXPECT_LT(fs::file_size(state), std::uintmax_t{64} * 1024);
    auto bench = openBench(dir);
    ASSERT_TRUE(bench);
    EXPECT_EQ(bench->card(0).flash(), expected);
    EXPECT_EQ(bench->card(0).readFlash(0x10000 + 2048 * 7, 2042),
              pattern(2042, static_cast<std::uint8_t>(599 % 256)));
}

TEST(BenchTools, InitBenchRefusesToOverwriteUnlessAsked) {
    TempDir temp;
    const std::string dir = temp.file("bench");
    std::string error;
    ASSERT_TRUE(initBench(dir, error)) << error;
    EXPECT_EQ(readWholeFile(dir + "/bench.json"), benchToJson(defaultBenchConfig()));
    temp.write("bench/card-0.state", "x");
    temp.write("bench/card-x.state", "kept");
    temp.write("bench/card-1.state.bak", "kept");
    temp.write("bench/bench.json", "{}");
    EXPECT_FALSE(initBench(dir, error));
    EXPECT_EQ(error, dir + "/bench.json: already exists");
    ASSERT_TRUE(initBench(dir, error, true)) << error;
    EXPECT_EQ(readWholeFile(dir + "/bench.json"), benchToJson(defaultBenchConfig()));
    EXPECT_FALSE(fs::exists(dir + "/card-0.state"));
    EXPECT_TRUE(fs::exists(dir + "/card-x.state"));
    EXPECT_TRUE(fs::exists(dir + "/card-1.state.bak"));
}

TEST(BenchTools, ResolvesTheBenchFolder) {
    const std::optional<std::string> none;
    const struct {
        std::optional<std::string> option;
        BenchEnvironment environment;
        std::optional<std::string> folder;
    } cases[] = {
        {"/b", {"/q", "/x", "/h"}, "/b"},
        {none, {"/q", "/x", "/h"}, "/q"},
        {none, {"", "/x", "/h"}, "/x/quillon/bench"},
        {none, {none, "/x", "/h"}, "/x/quillon/bench"},
        {none, {none, "relative", "/h"}, "/h/.local/state/quillon/bench"},
        {none, {none, none, "/h"}, "/h/.local/state/quillon/bench"},
        {"", {none, none, none}, none},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(resolveBenchFolder(c.option, c.environment), c.folder);
    }
}

TEST(BenchTools, DescribesTheDefaultBench) {
    SimulatedBench bench(defaultBenchConfig());
    const std::string pda =
        "0x0001 (7) 0x0003 (7) 0x0008 (5) 0x0101 (4) 0x0103 (7) 0x0900 (31) 0x0901 (34) end "
        "record, checksum valid\n";
    EXPECT_EQ(describeBench(bench),
              "Bench: (in memory)\n"
              "Operating system: Windows NT family, major version 5\n"
              "Latency: off\n"
              "Adapters: 1\n"
              "Adapter 0: subkey \"0000\", \"PRISM 802.11b Wireless LAN PCI Adapter (simulated)\"\n"
              "  Device name: {5C8A5E3D-2F1B-4C6E-9A0D-3B7E1F204A51}\n"
              "  MatchingDeviceId: pci\\ven_1260&dev_3873 (PCI)\n"
              "  Card: PRISM, MAC type 2 (3842-based), address 00-02-B3-12-34-56\n"
              "  Driver version: 0x00010203\n"
              "  Firmware: primary 1.1.0, station 1.7.4\n"
              "  Primary supplier range: 1..2 (interface 3, variant 1)\n"
              "  Identification: \"PRISM 3842 SIMULATED CARD\"\n"
              "  PDA records (code and length):\n"
              "    NVRAM: " +
                  pda + "    RAM: " + pda + "  Faults: none\n");
}

TEST(BenchTools, DescribesFaultsAndCardsOfOtherChipsets) {
    BenchConfig config = defaultBenchConfig();
    CardConfig& card = *config.adapters[0].card;
    card.knowsProbeOid = false;
    card.driverVersion = 0x80000000;
    card.macType = 7;
    card.faults.requests = {RequestFault::nth(kOidAuxWrite, 2, 0xC0000001),
                            RequestFault::every(kOidProbe, 0xC0000001),
                            RequestFault::range(0xFF010199, 3, 4, 0xC0000002)};
    card.faults.flakyReads = FlakyReads{3, 5, 6, 0};
    card.faults.writes = {WriteFault{0x7E0000, 0xC0000001}};
    card.faults.silentWrites = {0x7E0100};
    card.faults.unreadableRids = {0xFD02};
    card.ramPdaWords = std::vector<std::uint16_t>{3, 1, 0, 0};
    config.adapters[0].deviceKeys[0].instances[0].csConfigFlags = 1;
    AdapterConfig other = config.adapters[0];
    other.subkey = "0001";
    other.describable = false;
    other.openError = 5;
    other.card.reset();
    other.deviceKeys.clear();
    config.adapters.push_back(other);
    SimulatedBench bench(config);
    const std::string text = describeBench(bench);
    const char* expected[] = {
        "  Card: PRISM, MAC type 7 (unknown), address 00-02-B3-12-34-56\n",
        "    RAM: 0x0001 (3) (no end record)\n",
        "  Faults:\n"
        "    device instance VEN_1260&DEV_3873&SUBSYS_37001260&REV_01\\3&61AAA01&0&58 is "
        "disabled\n"
        "    the driver does not know OID_PRIV_PROBE\n"
        "    the driver version is negative\n"
        "    unknown MAC type\n"
        "    request 2 of OID_PRIV_AUX_WRITE fails with 0xC0000001\n"
        "    every OID_PRIV_PROBE fails with 0xC0000001\n"
        "    requests 3 to 4 of 0xFF010199 fail with 0xC0000002\n"
        "    every 3rd aux read returns corrupted data\n"
        "    aux reads 5 to 6 return corrupted data\n"
        "    aux writes over 0x007E0000 fail with 0xC0000001\n"
        "    aux writes over 0x007E0100 succeed but store that byte inverted\n"
        "    RID 0xFD02 is unreadable\n",
        "Adapter 1: subkey \"0001\"",
        "  Card: another chipset (opens, refuses the private requests)\n"
        "  Faults:\n"
        "    the library cannot describe the adapter\n"
        "    opening fails with error 5\n",
    };
    for (const char* part : expected) {
        EXPECT_NE(text.find(part), std::string::npos) << part << "\nin:\n" << text;
    }
}

}  // namespace
}  // namespace quillon::sim
