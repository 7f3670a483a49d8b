// Bench folders: the default bench made on first use, card state saved as it changes and
// found again after reopening or after a killed run, and the bench tools.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <sstream>

#include "bench_client.h"
#include "sim/bench_json.h"
#include "sim/bench_lock.h"
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

// A journal of three flash writes of 100 bytes each: records at bytes 8, 125 and 242 (a header
// of 9 bytes, the address, the data and a CRC of 4), ending at byte 359.
std::string journalOfThreeWrites(const std::string& dir) {
    auto bench = openBench(dir);
    EXPECT_TRUE(bench);
    for (std::uint8_t i = 1; i <= 3; ++i) {
        bench->card(0).writeFlash(0x1000u * i, pattern(100, i));
    }
    bench.reset();
    return readWholeFile(dir + "/card-0.state");
}

TEST(BenchFolder, ADamagedJournalIsRefusedAsItIsAndCutOnlyOnRequest) {
    const struct {
        const char* where;
        std::size_t flipped;
        std::size_t record;
    } cases[] = {
        {"kind", 125, 125},
        {"length", 129, 125},
        {"header check", 131, 125},
        {"data", 150, 125},
        {"record check", 238, 125},
        {"last record's length", 243, 242},
        {"last record's data", 300, 242},
        {"last record's check", 358, 242},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        TempDir temp;
        const std::string dir = temp.file("bench");
        const std::string state = dir + "/card-0.state";
        std::string damaged = journalOfThreeWrites(dir);
        ASSERT_EQ(damaged.size(), 359u);
        damaged[c.flipped] = static_cast<char>(damaged[c.flipped] ^ 0x10);
        temp.write("bench/card-0.state", damaged);

        std::string error;
        EXPECT_FALSE(SimulatedBench::open(dir, noLatency(), error));
        const std::string at = std::to_string(c.record);
        EXPECT_EQ(error, state + ": damaged at byte " + at +
                             " (a saved change there fails its check); the file was left as it "
                             "is. \"quillon-cli bench repair\" keeps the changes saved before "
                             "byte " +
                             at + " (the card as it was then) and drops the rest");
        EXPECT_EQ(readWholeFile(state), damaged);

        std::vector<std::string> repaired;
        ASSERT_TRUE(repairBench(dir, repaired, error)) << error;
        EXPECT_EQ(repaired,
                  std::vector<std::string>{"card-0.state: damaged at byte " + at + "; cut there (" +
                                           std::to_string(359 - c.record) +
                                           " bytes dropped), the whole file kept as "
                                           "card-0.state.damaged"});
        EXPECT_EQ(readWholeFile(state + ".damaged"), damaged);
        EXPECT_EQ(readWholeFile(state), damaged.substr(0, c.record));
        auto bench = openBench(dir);
        ASSERT_TRUE(bench);
        EXPECT_EQ(bench->card(0).readFlash(0x1000, 100), pattern(100, 1));
        EXPECT_EQ(bench->card(0).readFlash(0x3000, 100), std::vector<std::uint8_t>(100, 0xFF));
        repaired.clear();
        ASSERT_TRUE(repairBench(dir, repaired, error)) << error;
        EXPECT_TRUE(repaired.empty());
    }
}

// The CRC-32 the journal's records carry.
std::uint32_t crc32(const std::string& bytes) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (const char c : bytes) {
        crc ^= static_cast<std::uint8_t>(c);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) != 0 ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
        }
    }
    return ~crc;
}

std::string littleEndian(std::uint32_t value) {
    std::string out;
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
    return out;
}

TEST(BenchFolder, JournalsOfTheFirstFormAreReadAndRewrittenInTheSecond) {
    TempDir temp;
    fs::create_directory(temp.file("bench"));
    temp.write("bench/bench.json", benchToJson(defaultBenchConfig()));
    // The first form: a flash write of 3 bytes at 0x100, with no check on its header; then
    // half of another.
    std::string record = std::string(1, '\x01') + littleEndian(7) + littleEndian(0x100) + "abc";
    record += littleEndian(crc32(record));
    temp.write("bench/card-0.state", "QSIMCRD1" + record + record.substr(0, 10));

    for (int open = 0; open < 2; ++open) {
        auto bench = openBench(temp.file("bench"));
        ASSERT_TRUE(bench);
        const std::vector<std::uint8_t> abc{'a', 'b', 'c'};
        EXPECT_EQ(bench->card(0).readFlash(0x100, 3), abc);
        EXPECT_EQ(readWholeFile(temp.file("bench/card-0.state")).substr(0, 8), "QSIMCRD2");
    }
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

TEST(BenchFolder, LinksInPlaceOfTheBenchsFilesAreNotFollowed) {
    TempDir temp;
    const std::string dir = temp.file("bench");
    ASSERT_TRUE(openBench(dir));
    // A lock file that is a link: its target is neither truncated nor written.
    const std::string precious = temp.write("precious", "the person's own file");
    fs::remove(dir + "/bench.lock");
    fs::create_symlink(precious, dir + "/bench.lock");
    BenchLock lock;
    std::ostringstream err;
    EXPECT_FALSE(lock.acquire(dir, std::chrono::milliseconds(0), err, "test"));
    EXPECT_EQ(err.str(), "test: " + dir +
                             "/bench.lock: cannot open the bench's lock file: it is a symbolic "
                             "link; remove it, the next run makes a new one\n");
    EXPECT_EQ(readWholeFile(precious), "the person's own file");
    // Nor a FIFO.
    fs::remove(dir + "/bench.lock");
    ASSERT_EQ(::mkfifo((dir + "/bench.lock").c_str(), 0600), 0);
    err.str("");
    EXPECT_FALSE(lock.acquire(dir, std::chrono::milliseconds(0), err, "test"));
    EXPECT_NE(err.str().find("it is not a plain file"), std::string::npos) << err.str();

    // A bench.json link that leads nowhere or round in a loop stands for a bench that is not
    // the default one: refused, and left as it is.
    const std::string benchJson = dir + "/bench.json";
    for (const std::string& target : {temp.file("gone.json"), benchJson}) {
        fs::remove(benchJson);
        fs::create_symlink(target, benchJson);
        std::string error;
        EXPECT_FALSE(SimulatedBench::open(dir, noLatency(), error));
        EXPECT_EQ(error, benchJson + ": cannot be read (a symbolic link to " +
                             (target == benchJson ? "a link in a loop" : "nothing") + ")");
        EXPECT_TRUE(fs::is_symlink(fs::symlink_status(benchJson)));
        EXPECT_FALSE(initBench(dir, error));
        EXPECT_EQ(error, benchJson + ": already exists");
        EXPECT_TRUE(fs::is_symlink(fs::symlink_status(benchJson)));
    }
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
