// quillon-cli's card commands: the adapter list and choice, the reports, the export, the bench
// commands and the exit statuses.
#include <gtest/gtest.h>

#include "cli_bench.h"

namespace quillon {
namespace {

using testing::CliBench;
using testing::fastDefaultBench;
using testing::prismAdapter;
using testing::readWholeFile;
using testing::runQuillonCli;
using testing::Terminals;

sim::BenchConfig benchWithAdapters(std::vector<sim::AdapterConfig> adapters) {
    sim::BenchConfig config = fastDefaultBench();
    config.adapters = std::move(adapters);
    return config;
}

TEST(CliAdapters, ListsTheAdaptersThatOpenWithTheirNumbers) {
    sim::AdapterConfig failing = prismAdapter("0001");
    failing.openError = 2;
    struct Case {
        sim::BenchConfig config;
        std::string out;
    };
    const Case cases[] = {
        {fastDefaultBench(), "0\tPRISM 802.11b Wireless LAN PCI Adapter (simulated)\n"},
        {benchWithAdapters({prismAdapter("0000"), failing, prismAdapter("0002")}),
         "0\tAdapter 0000\n2\tAdapter 0002\n"},
    };
    for (const Case& c : cases) {
        CliBench bench(c.config);
        const auto run = bench.run({"adapters"});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, "");
    }
}

TEST(CliAdapters, SeveralAdaptersNeedAChoice) {
    sim::AdapterConfig other = prismAdapter("0002");
    other.card->driverVersion = 0x00040506;
    CliBench bench(benchWithAdapters({prismAdapter("0000"), prismAdapter("0001"), other}));

    const auto unchosen = bench.run({"driver-version"});
    EXPECT_EQ(unchosen.exitCode, 1);
    EXPECT_EQ(unchosen.err,
              "quillon-cli: several adapters are listed; pick one with --adapter N (quillon-cli "
              "adapters lists them)\n");
    EXPECT_EQ(unchosen.out.rfind("Error: Cannot continue - No adapter selected.\n", 0), 0u)
        << unchosen.out;

    const auto chosen = bench.run({"--adapter", "2", "driver-version"});
    EXPECT_EQ(chosen.exitCode, 0);
    EXPECT_EQ(chosen.out, "Driver Version for Selected Card: Version: 4. 5. 6\n");
    // The option may follow the command too.
    EXPECT_EQ(bench.run({"driver-version", "--adapter", "2"}).out, chosen.out);

    const auto missing = bench.run({"--adapter", "7", "driver-version"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err,
              "quillon-cli: no adapter 7 is listed (quillon-cli adapters lists them)\n");
    EXPECT_EQ(missing.out, "");
}

TEST(CliReports, ShowWhatTheCardSays) {
    CliBench bench;
    struct Case {
        std::vector<std::string> args;
        std::string out;
    };
    const Case cases[] = {
        {{"mac-type"}, "MAC ID: 2\n\n(Indicates 3842-based MAC)\n"},
        {{"driver-version"}, "Driver Version for Selected Card: Version: 1. 2. 3\n"},
        // The default card holds no CIS: its flash is erased there.
        {{"cis"},
         "; Attempt to read CIS from flash\n; This may not be valid data\n"
         "; -------------------------\nff \n"},
    };
    for (const Case& c : cases) {
        const auto run = bench.run(c.args);
        EXPECT_EQ(run.exitCode, 0) << c.args[0];
        EXPECT_EQ(run.out, c.out);
    }
}

TEST(CliReports, RidStressRunsUnderTheProgressWindow) {
    CliBench bench;
    const auto run = bench.run({"rid-stress"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Completed sucessfully: Get RID 0xfc01 Pass 100000/100000\n");
    EXPECT_EQ(run.err, "Get RID 0xfc01 Pass 0/100000\nGet RID 0xfc01 Pass 100000/100000 100%\n");
}

const std::string kPdaUnreadable =
    "The card's PDA could not be read: its serial number, MAC address and platform are "
    "unknown, and nothing will write its PDA. Versions, MAC type, driver version and CIS can "
    "still be read. Power-cycle the card and select it again to read its PDA once more.";

TEST(CliReports, AnUnreadableCardFailsTheReport) {
    sim::BenchConfig config = fastDefaultBench();
    config.adapters.at(0).card->faults.requests.push_back(
        sim::RequestFault::every(sim::kOidAuxRead, sim::kStatusFailure));
    CliBench bench(config);
    const auto run = bench.run({"cis"});
    EXPECT_EQ(run.out,
              "PDA read error: " + kPdaUnreadable + "\nError: Could not read from Aux Port\n");
    EXPECT_EQ(run.exitCode, 1);
}

TEST(CliReports, CommandsThatNeedNoPdaGoOnWithoutIt) {
    sim::BenchConfig config = fastDefaultBench();
    // Both copies of the PDA are damaged: a record and an end record whose checksum is wrong.
    config.adapters.at(0).card->pdaWords =
        std::vector<std::uint16_t>{3, 0x0001, 0x4141, 0x4141, 2, 0, 0xDEAD};
    CliBench bench(config);
    for (const std::string command : {"versions", "driver-version", "mac-type", "cis"}) {
        SCOPED_TRACE(command);
        const auto run = bench.run({command});
        EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
        EXPECT_NE(run.out.find("PDA read error: " + kPdaUnreadable + "\n"), std::string::npos)
            << run.out;
        EXPECT_EQ(run.out.find("No adapter selected"), std::string::npos) << run.out;
    }
    const auto show = bench.run({"pda", "show"});
    EXPECT_EQ(show.exitCode, 1);
}

const std::string kExportWarning =
    "Warning Notice: WARNING - This procedure is not guaranteed to work. This procedure only "
    "works on PRISM cards with parallel flash! Do you wish to continue?\n";

TEST(CliExport, WritesTheFormTheExtensionNames) {
    CliBench bench;
    const std::string hex = bench.file("card.HEX");
    const auto run = bench.run({"export", "--yes", hex});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, kExportWarning + "(ok)\nquillon: File Saved Successfully.\n" + hex + "\n");
    const std::string hexText = readWholeFile(hex);
    EXPECT_EQ(hexText.rfind("S315007E0000", 0), 0u);
    EXPECT_TRUE(hexText.ends_with("S70500000000FA\r\n"));
    EXPECT_EQ(std::count(hexText.begin(), hexText.end(), '\n'), 8193);

    const std::string dump = bench.file("card.dmp");
    ASSERT_EQ(bench.run({"--yes", "export", dump}).exitCode, 0);
    const std::string dumpText = readWholeFile(dump);
    EXPECT_EQ(dumpText.rfind("7e0000: ", 0), 0u);
    EXPECT_EQ(std::count(dumpText.begin(), dumpText.end(), '\n'), 8192);

    // A name without an extension gets the dialog's default one.
    ASSERT_EQ(bench.run({"export", "--yes", bench.file("plain")}).exitCode, 0);
    EXPECT_EQ(readWholeFile(bench.file("plain.hex")), hexText);

    const auto other = bench.run({"export", "--yes", bench.file("card.bin")});
    EXPECT_EQ(other.exitCode, 2);
    EXPECT_NE(other.err.find("the export writes .hex (S-records) or .dmp (text dump) files"),
              std::string::npos)
        << other.err;
}

TEST(CliExport, AsksBeforeStartingAndBeforeReplacingAFile) {
    CliBench bench;
    const std::string target = bench.dir().write("card.hex", "keep me");

    const auto piped = bench.run({"export", target});
    EXPECT_EQ(piped.exitCode, 1);
    EXPECT_EQ(piped.out, kExportWarning + "(cancel)\n");

    const auto declined =
        bench.run({"export", target}, "o\nn\n", {}, Terminals{true, false, false});
    EXPECT_EQ(declined.exitCode, 1);
    // Standard output is no terminal: it keeps the questions and answers, the terminal asks.
    EXPECT_EQ(declined.out, kExportWarning + "(ok)\nConfirm Save As: " + target +
                                " already exists.\nDo you want to replace it?\n(no)\n");
    EXPECT_EQ(declined.err, kExportWarning + "[o]k or [c]ancel? Confirm Save As: " + target +
                                " already exists.\nDo you want to replace it?\n[y]es or [n]o? ");
    EXPECT_EQ(readWholeFile(target), "keep me");

    const auto replaced = bench.run({"export", "--yes", target});
    EXPECT_EQ(replaced.exitCode, 0);
    EXPECT_NE(readWholeFile(target), "keep me");
}

TEST(CliBenchCommands, InitRefusesToReplaceWithoutForce) {
    testing::TempDir dir;
    const std::string folder = dir.file("bench");
    const auto first = runQuillonCli({"bench", "init", folder, "--no-latency"});
    EXPECT_EQ(first.exitCode, 0);
    EXPECT_EQ(first.out, "Wrote the default bench to " + folder + "\n");

    const auto again = runQuillonCli({"--bench", folder, "bench", "init"});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(again.err, "quillon-cli: " + folder +
                             "/bench.json: already exists (--force replaces it and starts its "
                             "cards afresh)\n");

    const auto show = runQuillonCli({"--bench", folder, "bench", "show"});
    EXPECT_EQ(show.exitCode, 0);
    EXPECT_NE(show.out.find("Latency: off\n"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("Firmware: primary 1.1.0, station 1.7.4\n"), std::string::npos);

    EXPECT_EQ(runQuillonCli({"bench", "init", folder, "--force"}).exitCode, 0);
    EXPECT_NE(runQuillonCli({"--bench", folder, "bench", "show"}).out.find("Latency: on ("),
              std::string::npos);
}

TEST(CliBenchCommands, TheBenchFolderComesFromTheEnvironment) {
    testing::TempDir dir;
    const std::string folder = dir.file("from-env");
    ASSERT_EQ(
        runQuillonCli({"bench", "init", "--no-latency"}, {}, {{"QUILLON_BENCH", folder}}).exitCode,
        0);
    EXPECT_TRUE(std::filesystem::exists(folder + "/bench.json"));
    ASSERT_EQ(
        runQuillonCli({"bench", "init"}, {}, {{"XDG_STATE_HOME", dir.file("state")}}).exitCode, 0);
    EXPECT_TRUE(std::filesystem::exists(dir.file("state") + "/quillon/bench/bench.json"));
    ASSERT_EQ(runQuillonCli({"bench", "init"}, {}, {{"HOME", dir.file("home")}}).exitCode, 0);
    EXPECT_TRUE(
        std::filesystem::exists(dir.file("home") + "/.local/state/quillon/bench/bench.json"));

    const auto nowhere = runQuillonCli({"versions"});
    EXPECT_EQ(nowhere.exitCode, 1);
    EXPECT_EQ(nowhere.err, "quillon-cli: no bench folder: give --bench DIR or set QUILLON_BENCH\n");
}

TEST(CliBenchCommands, ABrokenBenchIsReportedNotUsed) {
    CliBench bench;
    bench.dir().write("bench/bench.json", "{");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"versions"}, {"adapters"}, {"bench", "show"}}) {
        const auto run = bench.run(args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, "quillon-cli: bench.json: not valid JSON (line 1, column 2)\n");
    }
}

TEST(CliExitCodes, UsageErrorsExitWithTwo) {
    CliBench bench;
    for (const std::vector<std::string>& args : {
             std::vector<std::string>{"pda"},
             {"bench"},
             {"update"},
             {"update", "--yes", "--no", "a.hex"},
             {"--yes", "update", "--no", "a.hex"},
             {"--adapter", "-1", "versions"},
             {"--adapter", "one", "versions"},
             {"export"},
             {"pda", "save"},
             {"pda", "set", "--serial", "1234567890123"},
             {"pda", "set", "--mac", "00:11:22:33:44:55:66"},
             {"versions", "extra"},
         }) {
        EXPECT_EQ(bench.run(args).exitCode, 2) << ::testing::PrintToString(args);
    }
}

}  // namespace
}  // namespace quillon
