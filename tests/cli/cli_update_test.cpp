// quillon-cli update: whole runs on a bench folder, read back as the next run finds the card.
#include <gtest/gtest.h>

#include "cli_bench.h"

namespace quillon {
namespace {

using testing::CliBench;
using testing::sample;
using testing::Terminals;

// The five samples that make a whole update of the default card.
std::vector<std::string> allSamples() {
    return {sample("primary-1.1.1.hex"), sample("station-1.8.0.hex"), sample("cis-3842.hex"),
            sample("mac-serial.pda"), sample("set-point.pda")};
}

std::vector<std::string> updateArgs(std::vector<std::string> options,
                                    const std::vector<std::string>& files) {
    options.insert(options.begin(), "update");
    options.insert(options.end(), files.begin(), files.end());
    return options;
}

const std::string kCardHeader =
    "Product Part Number: QN-3842-01\n"
    "  Serial Number: SIM0001\n"
    "  MAC Address: 00-02-B3-12-34-56\n"
    "  Platform: 8003\n"
    "  Current firmware version: Primary: 1.1.0   Station: 1.7.4\n";

std::string versionsBox(const std::string& versions) {
    return "Current Firmware Versions: " + versions +
           "\n\nPRISM 3842 SIMULATED CARD \n\n"
           "Primary Supplier Range=1..2\nModem Supplier Range=1..1\n"
           "Controller Supplier Range=1..1\nStation Supplier Range=1..1\n"
           "Modem Actor Range=1..1\nController Actor Range=1..1\n\n";
}

TEST(CliUpdate, UpdatesTheDefaultCardFromTheSamples) {
    CliBench bench;
    const auto run = bench.run(updateArgs({"--yes"}, allSamples()));
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(run.out, kCardHeader +
                           "---------------------\n"
                           "2 PDA file(s) Loaded OK\n"
                           "Set Point and Integrator Values Calculated.\n"
                           "The update changes the card's PDA:\n"
                           "  Serial number: SIM0001 becomes QSN-000042\n"
                           "  MAC address: 00-02-B3-12-34-56 becomes 00-02-B3-AB-CD-EF\n"
                           "  Record 300 (set-point values): added\n"
                           "  Record 301 (integrator values): added\n"
                           "  Record 900 (set-point sources): changed\n"
                           "  Record 901 (integrator sources): changed\n"
                           "---------------------\n"
                           "Source File: \"" +
                           sample("primary-1.1.1.hex") +
                           "\"\n"
                           "Version information: Primary: 1.1.1\n"
                           "---------------------\n"
                           "Source File: \"" +
                           sample("station-1.8.0.hex") +
                           "\"\n"
                           "Version information: Station: 1.8.0\n"
                           "---------------------\n"
                           "Source File: \"" +
                           sample("cis-3842.hex") +
                           "\"\n"
                           "WARNING! - No platform information in file.\n"
                           " This image may not work on the selected card.\n"
                           "Version information: <unknown file contents>\n"
                           "\n"
                           "Files OK - hit UPDATE to start the update process.\n"
                           "UPDATE? [y/N] yes\n"
                           "Update Complete: Update Successful!   \n");
    // The copy of the PDA is named before anything is written.
    const std::string copy = "A copy of the card's PDA was saved to " +
                             bench.file("state/quillon/pda-backups/SIM0001_00-02-B3-12-34-56_");
    EXPECT_EQ(run.err.rfind(copy, 0), 0u) << run.err;
    // Standard error is no terminal: a line as each image ends.
    const std::string images = run.err.substr(run.err.find('\n') + 1);
    EXPECT_TRUE(
        images.starts_with("primary-1.1.1.hex, image 1 of 3, 8.0 KiB, verifying each "
                           "block: written and verified in "))
        << run.err;
    EXPECT_NE(images.find("\ncis-3842.hex, image 3 of 3, 60 bytes, verifying each block: "
                          "written and verified in "),
              std::string::npos);

    // The next run finds the new firmware, the new PDA and the CIS on the card.
    EXPECT_EQ(bench.run({"versions"}).out, versionsBox("Primary: 1.1.1   Station: 1.8.0"));
    const auto pda = bench.run({"pda", "show"});
    EXPECT_NE(pda.out.find("\n4 101 200 abb3 efcd \n"), std::string::npos) << pda.out;
    EXPECT_NE(pda.out.find("\n7 3 5351 2d4e 3030 3030 3234 0 \n"), std::string::npos);
    EXPECT_NE(pda.out.find("\nf 300 1100 "), std::string::npos);
    const auto card = bench.open();
    EXPECT_EQ(card->card(0).readFlash(0x7EFE00, 5),
              (std::vector<std::uint8_t>{0x01, 0x03, 0xD9, 0x01, 0xFF}));
}

TEST(CliUpdate, WithoutYesOnAPipeShowsTheReportAndWritesNothing) {
    CliBench bench;
    const auto before = bench.open()->card(0).readFlash(0x7E0000, 0x20000);
    const std::vector<std::string> files = {sample("primary-1.1.1.hex"),
                                            sample("station-1.8.0.hex")};
    for (const std::vector<std::string>& options :
         {std::vector<std::string>{}, std::vector<std::string>{"--no"}}) {
        const auto run = bench.run(updateArgs(options, files));
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, kCardHeader +
                               "---------------------\n"
                               "Source File: \"" +
                               files[0] +
                               "\"\n"
                               "Version information: Primary: 1.1.1\n"
                               "---------------------\n"
                               "Source File: \"" +
                               files[1] +
                               "\"\n"
                               "Version information: Station: 1.8.0\n"
                               "\n"
                               "Files OK - hit UPDATE to start the update process.\n"
                               "UPDATE? [y/N] no\n");
        EXPECT_EQ(run.err, "");
    }
    EXPECT_EQ(bench.open()->card(0).readFlash(0x7E0000, 0x20000), before);
    EXPECT_EQ(bench.run({"versions"}).out, versionsBox("Primary: 1.1.0   Station: 1.7.4"));
}

TEST(CliUpdate, AsksOnAnInteractiveTerminal) {
    const std::vector<std::string> files = {sample("station-1.8.0.hex")};
    struct Case {
        std::string input;
        int exitCode;
        std::string versions;
    };
    for (const Case& c : {Case{"\n", 1, "Primary: 1.1.0   Station: 1.7.4"},
                          Case{"", 1, "Primary: 1.1.0   Station: 1.7.4"},
                          Case{"y\n", 0, "Primary: 1.1.0   Station: 1.8.0"}}) {
        CliBench bench;
        const auto run = bench.run(updateArgs({}, files), c.input, {}, Terminals{true});
        EXPECT_EQ(run.exitCode, c.exitCode) << c.input;
        EXPECT_NE(run.out.find("\nUPDATE? [y/N] "), std::string::npos);
        EXPECT_EQ(bench.run({"versions"}).out, versionsBox(c.versions)) << c.input;
    }
}

TEST(CliUpdate, RefusalsAndStopsExitWithOne) {
    CliBench bench;
    bench.dir().write("notes.txt", "not firmware");
    struct Case {
        std::vector<std::string> args;
        std::string out;
    };
    const Case cases[] = {
        // A primary file without station code is refused before the card is opened.
        {updateArgs({"--yes"}, {sample("primary-1.1.1.hex")}),
         "Error: Error - Card requires Station code when updating Primary.\n"
         "Status: Add Station code to the list.\n"},
        // Production data without station code asks first; nobody answers on a pipe.
        {updateArgs({}, {sample("mac-serial.pda")}),
         "Warning: Please note that PDA changes will not take effect without updating station "
         "code.\n\nFor cards using Small Serial Flash: disconnect and reconnect\nthe device (or "
         "reboot) so the driver will unload and reload.\n\nFor other cards, Station firmware "
         "must be reloaded.\n\nContinue?\n(no)\nStatus: User cancelled download.\n"},
        // A folder is not queued at all.
        {updateArgs({"--yes"}, {bench.dir().path().string()}),
         "No files selected: You must select at least one file to update card\n"},
    };
    for (const Case& c : cases) {
        const auto run = bench.run(c.args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, c.out);
    }
    // A file that is no firmware is refused when it is loaded.
    const std::string notes = bench.file("notes.txt");
    const auto run = bench.run(updateArgs({"--yes"}, {sample("station-1.8.0.hex"), notes}));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("Cannot Continue: Error - Unable to load file  \"" + notes +
                           "\"\n\nCannot Continue.\n"),
              std::string::npos)
        << run.out;
}

TEST(CliUpdate, AFailedDriverCheckStopsBeforeTheReport) {
    sim::BenchConfig config = testing::fastDefaultBench();
    config.adapters.at(0).card->driverVersion = 0x80000000;
    CliBench bench(config);
    const auto run = bench.run(updateArgs({"--yes"}, {sample("station-1.8.0.hex")}));
    EXPECT_EQ(run.exitCode, 1);
    // Selecting the adapter checks the driver too, and says so once at start-up.
    const std::string refusal =
        "quillon: This program requires a newer driver version to update cards. Updating is "
        "disabled.\n";
    EXPECT_EQ(run.out, refusal + refusal);
    EXPECT_EQ(bench.run({"versions"}).out,
              refusal + versionsBox("Primary: 1.1.0   Station: 1.7.4"));
}

TEST(CliUpdate, ReportColoursOnlyOnATerminalWithoutNoColor) {
    const std::vector<std::string> files = {sample("station-1.8.0.hex"), sample("cis-3842.hex")};
    CliBench bench;
    const auto coloured = bench.run(updateArgs({"--no"}, files), {}, {}, Terminals{false, true});
    EXPECT_EQ(coloured.out.rfind("\x1b[34mProduct Part Number: QN-3842-01\n", 0), 0u)
        << coloured.out;
    EXPECT_NE(coloured.out.find("7.4\n\x1b[39m---------------------\n"), std::string::npos);
    EXPECT_NE(coloured.out.find("\x1b[35mWARNING! - No platform information in file.\n"
                                "\x1b[39m \x1b[35mThis image may not work on the selected card."
                                "\x1b[39m\nVersion"),
              std::string::npos);
    EXPECT_NE(
        coloured.out.find("\x1b[32mFiles OK - hit UPDATE to start the update process.\x1b[0m\n"
                          "UPDATE? [y/N] no\n"),
        std::string::npos);

    const auto plain = bench.run(updateArgs({"--no"}, files));
    for (const auto& run :
         {plain, bench.run(updateArgs({"--no"}, files), {}, {{"NO_COLOR", "1"}}, {false, true})}) {
        EXPECT_EQ(run.out, plain.out);
        EXPECT_EQ(run.out.find('\x1b'), std::string::npos);
        EXPECT_EQ(run.out.find("{+"), std::string::npos);
        EXPECT_EQ(run.out.rfind("Product Part Number: QN-3842-01\n", 0), 0u);
    }
}

TEST(CliUpdate, ProgressBarOnATerminal) {
    CliBench bench;
    const auto run = bench.run(updateArgs({"--yes"}, {sample("station-1.8.0.hex")}), {},
                               {{"COLUMNS", "200"}}, Terminals{false, false, true});
    EXPECT_EQ(run.exitCode, 0);
    // Drawn in place: each state starts with a carriage return and a line erase.
    EXPECT_EQ(
        run.err.rfind("\r\x1b[Kstation-1.8.0.hex, image 1 of 1, 24.0 KiB, verifying each block", 0),
        0u)
        << run.err;
    EXPECT_NE(run.err.find("[..............................] 0%"), std::string::npos);
    const std::string last =
        "\r\x1b[Kstation-1.8.0.hex, image 1 of 1, 24.0 KiB, verifying each block "
        "[##############################] 100%: written and verified in ";
    EXPECT_NE(run.err.find(last), std::string::npos) << run.err;

    // --no-verify writes without reading back, and the progress says nothing of verifying.
    const auto unverified =
        bench.run(updateArgs({"--yes", "--no-verify"}, {sample("station-1.8.0.hex")}), {},
                  {{"COLUMNS", "200"}}, Terminals{false, false, true});
    EXPECT_EQ(unverified.exitCode, 0);
    EXPECT_NE(unverified.err.find("24.0 KiB [##############################] 100%: written in "),
              std::string::npos)
        << unverified.err;
}

TEST(CliUpdate, ABlockTheCardStoredWronglyFailsTheUpdate) {
    sim::BenchConfig config = testing::fastDefaultBench();
    config.adapters[0].card->faults.silentWrites = {0x7E0100};
    CliBench bench(config);
    const auto run = bench.run(updateArgs({"--yes"}, {sample("station-1.8.0.hex")}));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("Programming error.: Error programming block at 0x7E0000 of "
                           "\"station-1.8.0.hex\".\n\nGoing on leaves that block unwritten and "
                           "the image incomplete. Continue anyway?\n(no: "
                           "--yes does not go on after a failure; --force does)\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("quillon: Update failed while writing to card!\n\nNot completely "
                           "written: \"" +
                           sample("station-1.8.0.hex") + "\"."),
              std::string::npos)
        << run.out;
    // Unverified, the card's wrong byte passes for a success.
    EXPECT_EQ(
        bench.run(updateArgs({"--yes", "--no-verify"}, {sample("station-1.8.0.hex")})).exitCode, 0);
}

TEST(CliUpdate, ProgressFitsTheTerminalAndNeverRunsBackwards) {
    CliBench bench;
    const auto narrow = bench.run(updateArgs({"--yes"}, {sample("station-1.8.0.hex")}), {},
                                  {{"COLUMNS", "60"}}, Terminals{false, false, true});
    EXPECT_EQ(narrow.exitCode, 0);
    int last = -1;
    std::size_t at = 0;
    while ((at = narrow.err.find("\r\x1b[K", at)) != std::string::npos) {
        at += 4;
        const std::string line = narrow.err.substr(at, narrow.err.find_first_of("\r\n", at) - at);
        EXPECT_LE(line.size(), 59u) << line;
        const auto percent = line.find("] ");
        if (percent == std::string::npos) {
            continue;  // the image named before its bar starts
        }
        const int shown = std::stoi(line.substr(percent + 2));
        EXPECT_GE(shown, last) << narrow.err;
        last = shown;
    }
    EXPECT_EQ(last, 100);
    EXPECT_NE(narrow.err.find("100%: written"), std::string::npos) << narrow.err;

    // A terminal that takes no escape sequences gets none.
    const auto dumb = bench.run(updateArgs({"--yes"}, {sample("station-1.8.0.hex")}), {},
                                {{"TERM", "dumb"}}, Terminals{false, false, true});
    EXPECT_EQ(dumb.exitCode, 0);
    EXPECT_EQ(dumb.err.find('\x1b'), std::string::npos) << dumb.err;
}

}  // namespace
}  // namespace quillon
