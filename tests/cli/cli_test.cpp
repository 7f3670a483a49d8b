#include <gtest/gtest.h>

#include <cstdio>

#include "cli_bench.h"
#include "cli_test_support.h"
#include "sample_generator.h"
#include "temp_dir.h"

namespace quillon {
namespace {

using testing::readWholeFile;
using testing::runQuillonCli;
using testing::sourceDir;
using testing::TempDir;

TEST(Cli, VersionHelpAndUsageErrors) {
    const auto version = runQuillonCli({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "quillon-cli " QUILLON_VERSION "\n");

    const auto help = runQuillonCli({"info", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("FILE"), std::string::npos);

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"info"}, {"convert", "a.hex"}, {"frobnicate"}}) {
        EXPECT_EQ(runQuillonCli(args).exitCode, 2) << ::testing::PrintToString(args);
    }
}

// The log goes to the process's own standard error, so the program itself is run.
TEST(Cli, VerboseTwiceLogsEveryRequestToTheCard) {
    testing::CliBench bench;
    struct Case {
        const char* options;
        bool requests;
    };
    const Case cases[] = {{"-v", false}, {"-vv", true}, {"--verbose --verbose", true}};
    for (const Case& c : cases) {
        const std::string command = std::string(QUILLON_CLI_PATH) + " --bench '" + bench.folder() +
                                    "' " + c.options + " driver-version 2>&1";
        std::FILE* pipe = ::popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string said;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            said.append(buffer, n);
        }
        EXPECT_EQ(::pclose(pipe), 0) << said;
        EXPECT_NE(said.find("Adapter Names : "), std::string::npos) << c.options << said;
        EXPECT_EQ(said.find("request: query 0x00010116 GEN_VENDOR_DRIVER_VERSION, 4 bytes -> "
                            "status 0x00000000, done 4, needed 0: ") != std::string::npos,
                  c.requests)
            << c.options << said;
    }
}

TEST(Cli, SamplesAreExactlyWhatTheGeneratorMakes) {
    for (const auto& [name, content] : tools::makeSamples()) {
        EXPECT_EQ(readWholeFile(sourceDir() + "/samples/" + name), content)
            << name << " is out of date: run make_samples";
    }
}

TEST(CliInfo, DescribesTheStationSample) {
    const std::string path = sourceDir() + "/samples/station-1.8.0.hex";
    const auto run = runQuillonCli({"info", path});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, path +
                           "\n\n"
                           "Contains STATION firmware, version 1.8.0\n"
                           "Plug records: 101, 3, 300, 301, [filename]\n"
                           "Built for platforms: 8002, 8003\n"
                           "\n  Compatibility:\n"
                           "    Primary Firmware-Driver: Actor: Range=1..2 Variant=1\n"
                           "    Station Firmware-Driver: Supplier: Range=1..1 Variant=1\n"
                           "\n"
                           "Data ranges:  (7E0000 - 7E3FFF)  (7E8000 - 7E9FFF)  \n"
                           "Total data size (in decimal): 24576 bytes (6000 bytes in hex)\n"
                           "\n");
}

TEST(CliInfo, DescribesSeveralFilesWithSeparators) {
    TempDir dir;
    const std::string pda = dir.write("card.pda", "5 8 8003 0 0 0\r\n2 2 1\r\n2 1 4142\r\n");
    const std::string cis = sourceDir() + "/samples/cis-3842.hex";
    const std::string text = dir.write("notes.txt", "hello");
    const std::string missing = dir.file("missing.hex");
    const auto run = runQuillonCli({"info", pda, cis, text, missing});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out,
              pda +
                  "\n\n"
                  "A PDA file. Contains PDR's: \n\n1, 2, 8\n\n1 (part number): 4142\n2: 1\n8 "
                  "(platform): 8003 0 0 0"
                  "\n-----------------------------\n\n" +
                  cis +
                  "\n\n"
                  "File is probably a CIS for a 3842 MAC (and derivitives) based card\n"
                  "No Compatibility Information in file...\n"
                  "Data ranges:  (7EFE00 - 7EFE3B)  \n"
                  "Total data size (in decimal): 60 bytes (3C bytes in hex)\n"
                  "\n-----------------------------\n\n" +
                  text + "\n\nUnrecognized file format\n" + "\n-----------------------------\n\n" +
                  missing + "\n\nUnable to load file.\n\n");
}

TEST(CliConvert, RoundTripsBetweenSRecordsAndDumps) {
    TempDir dir;
    const std::string station = sourceDir() + "/samples/station-1.8.0.hex";
    const std::string dump = dir.file("station.DMP");
    const std::string back = dir.file("station.hex");
    ASSERT_EQ(runQuillonCli({"convert", station, dump}).exitCode, 0);
    ASSERT_EQ(runQuillonCli({"convert", dump, back}).exitCode, 0);
    const std::string dumpText = readWholeFile(dump);
    EXPECT_EQ(dumpText.substr(0, dumpText.find('\n') + 1),
              "7e0000: 4951 4244 001f 0000 0001 0008 0001 0003\r\n");
    // The dump carries the data only: the S-records written back hold the same data as the
    // original file's data records, and an S7 record without an execution address.
    const std::string hex = readWholeFile(back);
    EXPECT_EQ(hex.substr(0, 46), "S315007E0000514944421F000000010008000100030020");
    EXPECT_EQ(hex.substr(hex.size() - 16), "S70500000000FA\r\n");
    const auto info = runQuillonCli({"info", back});
    EXPECT_NE(info.out.find("Data ranges:  (7E0000 - 7E3FFF)  (7E8000 - 7E9FFF)  \n"),
              std::string::npos);
}

TEST(CliConvert, FailureSaysWhyInOneLineAndLeavesTheTargetUntouched) {
    TempDir dir;
    const std::string target = dir.write("out.hex", "keep me");
    const std::string bad =
        dir.write("bad.hex", "S1130000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFEC\r\nS1\r\n");
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string err;
    };
    const Case cases[] = {
        {{"convert", bad, target}, 1, "quillon-cli: " + bad + ": Line 1: Checksum failed.\n"},
        {{"convert", dir.file("none.dmp"), target},
         1,
         "quillon-cli: " + dir.file("none.dmp") + ": No such file.\n"},
        {{"convert", dir.file("x.bin"), target},
         2,
         "quillon-cli: " + dir.file("x.bin") +
             ": not an S-record file (.hex, .s19, .srec, .mot) or a .dmp file\n"},
        {{"convert", bad, dir.file("out.bin")},
         2,
         "quillon-cli: " + dir.file("out.bin") +
             ": can only write S-records (.hex, .s19, .srec, .mot) or .dmp files\n"},
    };
    for (const Case& c : cases) {
        const auto run = runQuillonCli(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(readWholeFile(target), "keep me");
    }
}

TEST(CliFileKinds, EverySRecordExtensionIsReadAlike) {
    TempDir dir;
    const std::string station = readWholeFile(sourceDir() + "/samples/station-1.8.0.hex");
    for (const std::string& name :
         {std::string("station.s19"), std::string("station.SREC"), std::string("station.mot")}) {
        const std::string path = dir.write(name, station);
        const auto info = runQuillonCli({"info", path});
        EXPECT_EQ(info.exitCode, 0) << name << info.err;
        EXPECT_NE(info.out.find("Contains STATION firmware, version 1.8.0"), std::string::npos)
            << info.out;
        const auto converted = runQuillonCli({"convert", path, dir.file(name + ".dmp")});
        EXPECT_EQ(converted.exitCode, 0) << name << converted.err;
    }
}

}  // namespace
}  // namespace quillon
