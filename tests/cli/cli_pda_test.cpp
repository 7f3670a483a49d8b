// quillon-cli pda show|save|clear|set on a bench folder.
#include <gtest/gtest.h>

#include "cli_bench.h"

namespace quillon {
namespace {

using testing::CliBench;
using testing::readWholeFile;

// The default card's PDA as the display lists it.
const std::string kDefaultRecords =
    "7 1 4e51 332d 3438 2d32 3130 0 \n"
    "7 3 4953 304d 3030 31 0 0 \n"
    "5 8 8003 0 0 0 \n"
    "4 101 200 12b3 5634 \n"
    "7 103 1 10 0 0 0 0 \n"
    "1f 900 100 101 102 103 104 105 106 107 108 109 10a 10b 10c 10d 10e 10f 110 111 112 113 "
    "114 115 116 117 118 119 11a 11b 11c 11d \n"
    "22 901 200 201 202 203 204 205 206 207 208 209 20a 20b 20c 20d 20e 20f 210 211 212 213 "
    "214 215 216 217 218 219 21a 21b 21c 21d 21e 21f 220 \n";

TEST(CliPda, ShowListsTheCardsPda) {
    CliBench bench;
    const auto run = bench.run({"pda", "show"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, kDefaultRecords + "2 0 74dd \n");
}

TEST(CliPda, SetWritesTheMacAddressAndSerialNumber) {
    struct Case {
        std::vector<std::string> options;
        std::string dialog;
        std::string macRecord;
        std::string serialRecord;
    };
    const Case cases[] = {
        {{"--mac", "00:11:22:33:44:55", "--serial", "ab12"},
         "MAC Address 00-11-22-33-44-55 and Serial Number AB12",
         "4 101 1100 3322 5544 \n",
         "7 3 4241 3231 0 0 0 0 \n"},
        {{"--mac", "001122334455", "--serial", "ab12", "--keep-case"},
         "MAC Address 00-11-22-33-44-55 and Serial Number ab12",
         "4 101 1100 3322 5544 \n",
         "7 3 6261 3231 0 0 0 0 \n"},
        // The serial number alone: the MAC address stays.
        {{"--serial", "SIM0002"},
         "MAC Address 00-02-B3-12-34-56 and Serial Number SIM0002",
         "4 101 200 12b3 5634 \n",
         "7 3 4953 304d 3030 32 0 0 \n"},
    };
    for (const Case& c : cases) {
        CliBench bench;
        std::vector<std::string> args = {"pda", "set", "--yes"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const auto run = bench.run(args);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out, "View / Modify PDA Settings: Write " + c.dialog +
                               " to the card's PDA?\n(yes)\nPDA Update: PDA Update Successful! "
                               "You MUST reload station "
                               "code for changes to take effect.\n");
        const std::string pda = bench.run({"pda", "show"}).out;
        EXPECT_NE(pda.find(c.macRecord), std::string::npos) << pda;
        EXPECT_NE(pda.find(c.serialRecord), std::string::npos) << pda;
    }
}

TEST(CliPda, SetAsksFirstAndRefusesTheAllZeroAddress) {
    CliBench bench;
    const std::string question =
        "View / Modify PDA Settings: Write MAC Address 00-11-22-33-44-55 and Serial Number "
        "SIM0001 to the card's PDA?\n";
    for (const std::vector<std::string>& answer :
         {std::vector<std::string>{}, std::vector<std::string>{"--no"}}) {
        std::vector<std::string> args = {"pda", "set", "--mac", "00-11-22-33-44-55"};
        args.insert(args.end(), answer.begin(), answer.end());
        const auto run = bench.run(args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, question + "(no)\n");
    }
    const auto zero = bench.run({"pda", "set", "--yes", "--mac", "00-00-00-00-00-00"});
    EXPECT_EQ(zero.exitCode, 2);
    EXPECT_EQ(zero.err,
              "quillon-cli: --mac: 00-00-00-00-00-00 is the all-zero address, which names no "
              "card; --force writes it all the same (quillon-cli pda set --help tells more)\n");
    EXPECT_EQ(bench.run({"pda", "show"}).out, kDefaultRecords + "2 0 74dd \n");
    EXPECT_EQ(bench.run({"pda", "set", "--yes", "--force", "--mac", "000000000000"}).exitCode, 0);
    EXPECT_NE(bench.run({"pda", "show"}).out.find("4 101 0 0 0 \n"), std::string::npos);
}

TEST(CliPda, ABadMacAddressChangesNothing) {
    CliBench bench;
    const auto run = bench.run({"pda", "set", "--mac", "00:11:22:33:44", "--serial", "NEW"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(bench.run({"pda", "show"}).out, kDefaultRecords + "2 0 74dd \n");
}

TEST(CliPda, ClearAsksFirst) {
    CliBench bench;
    const std::string question =
        "Warning: Are you sure you want to clear the PDA? The card loses its MAC address and "
        "calibration data.\n";
    const auto piped = bench.run({"pda", "clear"});
    EXPECT_EQ(piped.exitCode, 1);
    EXPECT_EQ(piped.out, question + "(cancel)\n");
    EXPECT_EQ(bench.run({"pda", "show"}).out, kDefaultRecords + "2 0 74dd \n");

    const auto confirmed = bench.run({"pda", "clear", "--yes"});
    EXPECT_EQ(confirmed.exitCode, 0);
    EXPECT_EQ(confirmed.out, question +
                                 "(ok)\nquillon: PDA cleared. Set a valid MAC address before "
                                 "programming station code.\n");
    EXPECT_EQ(bench.run({"pda", "show"}).out, "2 0 b801 \n");
}

TEST(CliPda, SaveWritesTheRecordsToAFile) {
    CliBench bench;
    const std::string file = bench.file("card");
    const auto run = bench.run({"pda", "save", file});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
    const std::string saved = readWholeFile(file + ".pda");
    EXPECT_EQ(saved.rfind("7 1 4e51 332d 3438 2d32 3130 0 \r\n7 3 ", 0), 0u) << saved;

    // An existing file is replaced only when the person says so.
    const auto kept = bench.run({"pda", "save", file + ".pda"});
    EXPECT_EQ(kept.exitCode, 1);
    EXPECT_EQ(kept.out, "Confirm Save As: " + file +
                            ".pda already exists.\nDo you want to replace it?\n(no)\n");
    EXPECT_EQ(bench.run({"pda", "save", "--yes", file + ".pda"}).exitCode, 0);

    // An empty PDA is not saved.
    ASSERT_EQ(bench.run({"pda", "clear", "--yes"}).exitCode, 0);
    const auto empty = bench.run({"pda", "save", bench.file("empty.pda")});
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_EQ(empty.out, "Error saving PDA: Error - invalid PDA; File cannot be saved\n");
    EXPECT_FALSE(std::filesystem::exists(bench.file("empty.pda")));
}

}  // namespace
}  // namespace quillon
