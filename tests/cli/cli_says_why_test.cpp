// What quillon-cli says when something goes wrong, and what its answers and exit statuses mean
// to a script: one table per behaviour a person would notice, each through the command line.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "cli/terminal_ui.h"
#include "cli_bench.h"
#include "image/srec_lines.h"
#include "sim/bench_lock.h"

namespace quillon {
namespace {

using testing::CliBench;
using testing::readWholeFile;
using testing::runQuillonCli;
using testing::sample;
using testing::TempDir;
using testing::Terminals;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The text with every time in seconds ("0.3 s") written as "T s".
std::string withoutTimes(const std::string& text) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (!isDigit(text[i])) {
            out += text[i++];
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && isDigit(text[end])) {
            ++end;
        }
        std::size_t fraction = end + 1;
        while (end < text.size() && text[end] == '.' && fraction < text.size() &&
               isDigit(text[fraction])) {
            ++fraction;
        }
        if (fraction > end + 1 && text.compare(fraction, 2, " s") == 0) {
            out += "T";
            i = fraction;
        } else {
            out.append(text, i, end - i);
            i = end;
        }
    }
    return out;
}

TEST(CliSaysWhy, AFileThatDoesNotLoadIsExplained) {
    TempDir dir;
    struct Case {
        std::string name;
        std::string content;  // none written when empty
        std::string reason;
    };
    const Case cases[] = {
        {"sum.hex", "S1030000FC\r\nS1030000FD\r\n", "Line 2: Checksum failed."},
        {"char.hex", "S1030000ZZ\r\n", "Line 1: Bad character found."},
        {"open.hex", "S1030000FC\r\n", "Line 2: End reached without an execution address record."},
        {"missing.hex", "", "No such file or directory."},
        {"notes.txt", "hello", "Not a firmware (.hex), dump (.dmp) or PDA (.pda) file."},
        {"bad.dmp", "7e0000: 0001\r\n7e0010: 12345\r\n", "Line 0x2: Not a dump line."},
    };
    for (const Case& c : cases) {
        const std::string path =
            c.content.empty() ? dir.file(c.name) : dir.write(c.name, c.content);
        const auto info = runQuillonCli({"info", sample("cis-3842.hex"), path});
        EXPECT_EQ(info.exitCode, 1) << c.name;
        EXPECT_EQ(info.err, "quillon-cli: " + path + ": " + c.reason + "\n");
    }
    // The update names the reason once, though it reads the file to queue it and to load it.
    CliBench bench;
    const std::string bad = dir.file("sum.hex");
    const auto run = bench.run({"update", "--yes", sample("station-1.8.0.hex"), bad});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "quillon-cli: " + bad + ": Line 2: Checksum failed.\n");
}

TEST(CliSaysWhy, ConvertNeverDestroys) {
    TempDir dir;
    const std::string station = sample("station-1.8.0.hex");
    const std::string kept = dir.write("kept.dmp", "keep me");
    const std::string copy = dir.write("copy.hex", readWholeFile(station));
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string err;
        std::string keptAfter;  // what kept.dmp holds afterwards ("" = it was replaced)
    };
    const std::string lost =
        " cannot hold the station firmware version 1.8.0, the compatibility ranges, the "
        "platform records";
    const Case cases[] = {
        {{"convert", station, kept}, 1, "quillon-cli: " + kept + ": not replaced\n", "keep me"},
        {{"convert", copy, copy},
         2,
         "quillon-cli: " + copy + ": is the file to convert; give another output file\n",
         "keep me"},
        {{"convert", "--yes", station, kept},
         0,
         "quillon-cli: warning: " + kept + lost +
             ", the build sequence and the 5 plug records of " + station + "; they are left out\n",
         ""},
        {{"convert", station, dir.file("new.hex")},
         0,
         "quillon-cli: warning: " + dir.file("new.hex") + lost + " and the build sequence of " +
             station + "; they are left out\n",
         "keep me"},
    };
    for (const Case& c : cases) {
        dir.write("kept.dmp", "keep me");
        const auto run = runQuillonCli(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << ::testing::PrintToString(c.args);
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(readWholeFile(kept) == "keep me", !c.keptAfter.empty());
    }
    EXPECT_EQ(readWholeFile(copy), readWholeFile(station));
    // S-records written back keep the plug records.
    EXPECT_NE(runQuillonCli({"info", dir.file("new.hex")}).out.find("Plug records: "),
              std::string::npos);
}

TEST(CliSaysWhy, NoSuccessBeforeTheOutcome) {
    const std::vector<std::string> files = {sample("primary-1.1.1.hex"),
                                            sample("station-1.8.0.hex")};
    struct Case {
        sim::BenchConfig config;
        Terminals terminals;
        std::string err;  // times written as "T s"
        std::string outEnd;
    };
    sim::BenchConfig failing = testing::fastDefaultBench();
    failing.adapters[0].card->faults.writes = {sim::WriteFault{0x7E0000}};
    const std::string time = "T s";
    const Case cases[] = {
        {testing::fastDefaultBench(),
         {},
         "primary-1.1.1.hex, image 1 of 2, 8.0 KiB, verifying each block: written and "
         "verified in " +
             time +
             "\nstation-1.8.0.hex, image 2 of 2, 24.0 KiB, verifying each block: written and "
             "verified in " +
             time + "\n",
         "UPDATE? [y/N] yes\nUpdate Complete: Update Successful!   \n"},
        {failing,
         {},
         "primary-1.1.1.hex, image 1 of 2, 8.0 KiB, verifying each block: written and "
         "verified in " +
             time +
             "\nstation-1.8.0.hex, image 2 of 2, 24.0 KiB, verifying each block: FAILED after " +
             time + "\n",
         "(no: --yes does not go on after a failure; --force does)\n"
         "quillon: Update failed while writing to card!\n\nWritten: \"" +
             files[0] + "\".\nNot completely written: \"" + files[1] +
             "\".\nThe card's firmware is incomplete and the card was not reset.\n\nRun the "
             "update again before removing the card. If the card does not answer, power-cycle it "
             "(remove and insert it, or turn the computer off and on) and run the update "
             "again.\n"},
        {testing::fastDefaultBench(), Terminals{false, false, true},
         "\r\x1b[Kstation-1.8.0.hex, image 2 of 2, 24.0 KiB, verifying each block "
         "[##############################] 100%: written and verified in " +
             time + "\n",
         "Update Complete: Update Successful!   \n"},
    };
    for (const Case& c : cases) {
        CliBench bench(c.config);
        std::vector<std::string> args = {"update", "--yes"};
        args.insert(args.end(), files.begin(), files.end());
        const auto run = bench.run(args, {}, {{"COLUMNS", "200"}}, c.terminals);
        // On a terminal the line is redrawn in place; its last state stays.
        const std::string shown = c.terminals.err ? run.err.substr(run.err.rfind('\r')) : run.err;
        EXPECT_EQ(withoutTimes(shown), c.err) << run.err;
        EXPECT_TRUE(run.out.ends_with(c.outEnd)) << run.out;
        EXPECT_FALSE(contains(run.out, "Status: Update")) << run.out;
    }
}

TEST(CliSaysWhy, YesConfirmsAndForceGoesOnAfterAFailure) {
    // A block that fails to program asks whether to go on; only --force says yes to it.
    sim::BenchConfig failing = testing::fastDefaultBench();
    failing.adapters[0].card->faults.writes = {sim::WriteFault{0x7E0000}};
    struct Case {
        std::vector<std::string> flags;
        std::string answer;
        bool laterBlocksWritten;
    };
    const Case cases[] = {
        {{"--yes"}, "(no: --yes does not go on after a failure; --force does)", false},
        {{"--yes", "--force"}, "(yes)", true},
        {{"--force"}, "UPDATE? [y/N] no", false},
    };
    for (const Case& c : cases) {
        CliBench bench(failing);
        std::vector<std::string> args = {"update"};
        args.insert(args.end(), c.flags.begin(), c.flags.end());
        args.push_back(sample("station-1.8.0.hex"));
        const auto run = bench.run(args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(contains(run.out, c.answer + "\n")) << run.out;
        // The station image's second range lies past the failing block.
        EXPECT_EQ(bench.open()->card(0).readFlash(0x7E8000, 0x2000) !=
                      CliBench().open()->card(0).readFlash(0x7E8000, 0x2000),
                  c.laterBlocksWritten)
            << ::testing::PrintToString(c.flags);
    }
    // The three kinds of question take the same answers, and ask again on anything else.
    struct Typed {
        std::vector<std::string> args;
        std::string input;
        int exitCode;
        std::string prompt;
        int prompts;
    };
    const std::string okCancel = "[o]k or [c]ancel? ";
    const std::string update = "UPDATE? [y/N] ";
    const Typed typed[] = {
        {{"pda", "clear"}, "maybe\nYES\n", 0, okCancel, 2},
        {{"pda", "clear"}, " ok \n", 0, okCancel, 1},
        {{"pda", "clear"}, "c\n", 1, okCancel, 1},
        {{"update", sample("station-1.8.0.hex")}, "what\nok\n", 0, update, 2},
        {{"update", sample("station-1.8.0.hex")}, "cancel\n", 1, update, 1},
        {{"export", "x.hex"}, "y\n", 0, okCancel, 1},
    };
    for (const Typed& t : typed) {
        CliBench bench;
        std::vector<std::string> args = t.args;
        if (args[0] == "export") {
            args[1] = bench.file(args[1]);
        }
        const auto run = bench.run(args, t.input, {}, Terminals{true});
        EXPECT_EQ(run.exitCode, t.exitCode) << t.input;
        int prompts = 0;
        // Standard output is not the terminal: the questions go to the terminal.
        for (std::size_t at = run.err.find(t.prompt); at != std::string::npos;
             at = run.err.find(t.prompt, at + 1)) {
            ++prompts;
        }
        EXPECT_EQ(prompts, t.prompts) << run.err;
    }
}

TEST(CliSaysWhy, UsageErrorsNameWhatWasWrong) {
    CliBench bench;
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string err;
    };
    const Case cases[] = {
        {{"frob"},
         2,
         "quillon-cli: unknown command 'frob' (quillon-cli --help lists the commands)\n"},
        {{"pda", "frob"},
         2,
         "quillon-cli: unknown command 'pda frob' (quillon-cli --help lists the commands)\n"},
        {{"--adapter", "x", "versions"},
         2,
         "quillon-cli: --adapter: takes an adapter's number (0, 1, ...; quillon-cli adapters "
         "lists them), not 'x' (quillon-cli versions --help tells more)\n"},
        {{"pda", "set", "--mac", "00:11:22:33:44"},
         2,
         "quillon-cli: --mac: '00:11:22:33:44' is not a MAC address (six bytes in hex, e.g. "
         "00-02-B3-AB-CD-EF) (quillon-cli pda set --help tells more)\n"},
        {{"pda", "set"},
         2,
         "quillon-cli: pda set: give --mac, --serial or both (quillon-cli pda set --help tells "
         "more)\n"},
        {{"pda", "set", "--mac"},
         2,
         "quillon-cli: --mac needs a value (MAC) (quillon-cli pda set --help tells more)\n"},
        {{"update"}, 2, "quillon-cli: FILE is missing (quillon-cli update --help tells more)\n"},
        {{"versions", "x"},
         2,
         "quillon-cli: unexpected argument: x (quillon-cli versions --help tells more)\n"},
        {{"export", "card.bin"},
         2,
         "quillon-cli: FILE: the export writes .hex (S-records) or .dmp (text dump) files "
         "(quillon-cli export --help tells more)\n"},
        {{"--bench", bench.file("nowhere"), "versions"},
         1,
         "quillon-cli: " + bench.file("nowhere") +
             ": no such bench folder (quillon-cli --bench DIR bench init makes one)\n"},
    };
    for (const Case& c : cases) {
        const auto run = c.args[0] == "--bench" ? runQuillonCli(c.args) : bench.run(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << ::testing::PrintToString(c.args);
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.out, "");
    }
    EXPECT_FALSE(std::filesystem::exists(bench.file("nowhere")));
    sim::BenchConfig empty = testing::fastDefaultBench();
    empty.adapters.clear();
    const auto none = CliBench(empty).run({"adapters"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err, "quillon-cli: no adapters detected\n");
}

TEST(CliSaysWhy, ValuesTheCardShouldNotGet) {
    struct Case {
        std::vector<std::string> options;
        int exitCode;
        std::string err;
    };
    const std::string tail = " (quillon-cli pda set --help tells more)\n";
    const Case cases[] = {
        {{"--mac", "FF-FF-FF-FF-FF-FF"},
         2,
         "quillon-cli: --mac: FF-FF-FF-FF-FF-FF is a group (multicast or broadcast) address, "
         "which no card may send from; --force writes it all the same" +
             tail},
        {{"--mac", "01:00:5e:00:00:01"},
         2,
         "quillon-cli: --mac: 01:00:5e:00:00:01 is a group (multicast or broadcast) address, "
         "which no card may send from; --force writes it all the same" +
             tail},
        {{"--mac", "01:00:5e:00:00:01", "--force", "--yes"}, 0, ""},
        {{"--serial", ""}, 2, "quillon-cli: --serial: the serial number may not be empty" + tail},
        {{"--serial",
          "S\xC3\x9C"
          "D"},
         2,
         "quillon-cli: --serial: the serial number takes ASCII letters, digits and signs only" +
             tail},
        {{"--serial", "1234567890123"},
         2,
         "quillon-cli: --serial: the serial number takes at most 12 characters, not 13" + tail},
        {{"--serial", "123456789012", "--yes"}, 0, ""},
    };
    for (const Case& c : cases) {
        CliBench bench;
        std::vector<std::string> args = {"pda", "set"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const auto run = bench.run(args);
        EXPECT_EQ(run.exitCode, c.exitCode) << ::testing::PrintToString(c.options);
        if (c.exitCode == 0) {
            // A written PDA names only the copy kept of the PDA as it was.
            EXPECT_TRUE(run.err.starts_with("A copy of the card's PDA was saved to ")) << run.err;
            EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
        } else {
            EXPECT_EQ(run.err, c.err);
        }
    }
}

TEST(CliSaysWhy, WhatWasNotQueuedIsNamed) {
    CliBench bench;
    const std::string station = sample("station-1.8.0.hex");
    const std::string older = bench.dir().write("older.hex", readWholeFile(station));
    const std::string folder = bench.dir().path().string();
    std::vector<std::string> many;
    for (int i = 0; i < 10; ++i) {
        many.push_back(bench.dir().write("p" + std::to_string(i) + ".pda", "2 1 4142\r\n"));
    }
    struct Case {
        std::vector<std::string> files;
        std::string err;
    };
    const Case cases[] = {
        {{folder, station}, "quillon-cli: " + folder + ": a directory; not queued\n"},
        {{older, station},
         "quillon-cli: " + older + ": not queued; " + station +
             " replaces it (one file of each kind is kept)\n"},
        {many, "quillon-cli: 10 files queued; an update takes at most 9\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"update", "--no"};
        args.insert(args.end(), c.files.begin(), c.files.end());
        const auto run = bench.run(args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, c.err);
    }
}

TEST(CliSaysWhy, ColourFollowsTheConventions) {
    struct Case {
        std::map<std::string, std::string> environment;
        bool outIsTerminal;
        std::string option;
        bool coloured;
    };
    const Case cases[] = {
        {{}, true, "", true},
        {{}, false, "", false},
        {{{"NO_COLOR", "1"}}, true, "", false},
        {{{"TERM", "dumb"}}, true, "", false},
        {{{"NO_COLOR", "1"}}, false, "--color=always", true},
        {{}, true, "--color=never", false},
    };
    CliBench bench;
    for (const Case& c : cases) {
        std::vector<std::string> args = {"update", "--no", sample("station-1.8.0.hex")};
        if (!c.option.empty()) {
            args.insert(args.begin(), c.option);
        }
        const auto run = bench.run(args, {}, c.environment, Terminals{false, c.outIsTerminal});
        EXPECT_EQ(contains(run.out, "\x1b["), c.coloured) << c.option;
    }
    EXPECT_EQ(bench.run({"--color=blue", "versions"}).exitCode, 2);
}

TEST(CliSaysWhy, MessagesReadAsTheTerminals) {
    CliBench bench;
    struct Case {
        std::vector<std::string> args;
        std::string out;
    };
    const Case cases[] = {
        {{"mac-type"}, "MAC ID: 2\n\n(Indicates 3842-based MAC)\n"},
        {{"pda", "clear"},
         "Warning: Are you sure you want to clear the PDA? The card loses its MAC address and "
         "calibration data.\n(cancel)\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(bench.run(c.args).out, c.out);
    }
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, {"pda", "set", "--help"}, {"update", "--help"}}) {
        const auto help = bench.run(args);
        EXPECT_FALSE(contains(help.out, "dialog")) << help.out;
        EXPECT_FALSE(contains(help.out, "window's")) << help.out;
    }
}

TEST(CliSaysWhy, HelpThatHelps) {
    const auto top = runQuillonCli({"--help"});
    EXPECT_EQ(top.exitCode, 0);
    for (const char* part :
         {"  update ",     "  versions ", "  mac-type ",   "  driver-version ", "  cis ",
          "  rid-stress ", "  export ",   "  pda ",        "  adapters ",       "  bench ",
          "  info ",       "  convert ",  "--bench DIR",   "--adapter N",       "--color WHEN",
          "--yes",         "--force",     "QUILLON_BENCH", "QUILLON_LOG",       "NO_COLOR",
          "Exit status:"}) {
        EXPECT_TRUE(contains(top.out, part)) << part;
    }
    struct Case {
        std::vector<std::string> command;
        std::vector<std::string> shown;
        std::vector<std::string> hidden;
    };
    const Case cases[] = {
        {{"pda", "set"},
         {"--mac MAC", "--serial TEXT", "--keep-case", "--force"},
         {"Exit status", "Environment:"}},
        {{"info"}, {"FILE ..."}, {"--yes", "REQUIRED"}},
        {{"bench", "init"}, {"DIR", "--force", "--no-latency"}, {"--yes"}},
        {{"convert"}, {"IN", "OUT", "--yes"}, {"TEXT"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.command;
        args.push_back("--help");
        const auto help = runQuillonCli(args);
        EXPECT_EQ(help.exitCode, 0);
        for (const std::string& part : c.shown) {
            EXPECT_TRUE(contains(help.out, part)) << part << "\n" << help.out;
        }
        for (const std::string& part : c.hidden) {
            EXPECT_FALSE(contains(help.out, part)) << part << "\n" << help.out;
        }
        for (const char* word : {"NONNEGATIVE", ":NUMBER", "TEXT:", "length"}) {
            EXPECT_FALSE(contains(help.out, word)) << word << "\n" << help.out;
        }
    }
    EXPECT_EQ(cli::parseAnswer(" OK "), true);
    EXPECT_EQ(cli::parseAnswer("Cancel"), false);
    EXPECT_EQ(cli::parseAnswer("yep"), std::nullopt);
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

using testing::CliBench;
using testing::runQuillonCli;
using testing::sample;
using testing::TempDir;

std::string repeated(const std::string& line, std::size_t times) {
    std::string text;
    for (std::size_t i = 0; i < times; ++i) {
        text += line;
    }
    return text;
}

// A file of S3 records of 250 bytes from 0x300000 on, until bytes are written.
std::string bigImage(std::size_t bytes) {
    std::string text;
    const std::vector<std::uint8_t> data(250, 0x5A);
    for (std::size_t at = 0; at < bytes; at += data.size()) {
        text += image::testing::srec('3', static_cast<std::uint32_t>(0x300000 + at), data) + "\n";
    }
    return text + image::testing::srec('7', 0, {}) + "\n";
}

// Every command's help fits 80 columns in a pipe and a narrower terminal's width on it, and
// ends with the global options that command does not have of its own.
TEST(CliSaysWhy, EveryHelpFitsAndListsTheGlobalOptions) {
    const std::vector<std::vector<std::string>> commands = {{},
                                                            {"update"},
                                                            {"versions"},
                                                            {"mac-type"},
                                                            {"driver-version"},
                                                            {"cis"},
                                                            {"rid-stress"},
                                                            {"export"},
                                                            {"pda"},
                                                            {"pda", "show"},
                                                            {"pda", "save"},
                                                            {"pda", "clear"},
                                                            {"pda", "set"},
                                                            {"pda", "restore"},
                                                            {"adapters"},
                                                            {"bench"},
                                                            {"bench", "init"},
                                                            {"bench", "show"},
                                                            {"bench", "repair"},
                                                            {"info"},
                                                            {"convert"}};
    const std::string top = runQuillonCli({"--help"}).out;
    for (const std::vector<std::string>& command : commands) {
        if (command.size() == 1) {
            EXPECT_TRUE(contains(top, "\n  " + command[0] + " ")) << command[0];
        }
        for (const auto& [terminal, columns] :
             {std::pair<bool, std::size_t>{false, 80}, {true, 60}}) {
            std::vector<std::string> args = command;
            args.push_back("--help");
            const auto help = runQuillonCli(args, {}, {{"COLUMNS", std::to_string(columns)}},
                                            Terminals{false, terminal});
            const std::string name = ::testing::PrintToString(command);
            EXPECT_EQ(help.exitCode, 0) << name;
            std::istringstream lines(help.out);
            for (std::string line; std::getline(lines, line);) {
                EXPECT_LE(line.size(), columns) << name << ": " << line;
            }
            for (const char* global : {"--bench DIR", "--adapter N", "--color WHEN", "--json",
                                       "-q,--quiet", "-v,--verbose", "--no-verify"}) {
                EXPECT_TRUE(contains(help.out, global)) << name << ": " << global;
            }
            if (!command.empty()) {
                EXPECT_TRUE(contains(help.out, "Global options (before or after the command):"))
                    << name;
            }
        }
    }
}

TEST(CliSaysWhy, EveryRefusedFileSaysWhy) {
    TempDir dir;
    const std::string record = "S1030000FC\n";
    const std::string end = image::testing::srec('7', 0, {}) + "\n";
    const std::string marker =
        image::testing::srec('3', 0xFF100000, image::testing::le32({1, 0, 1})) + "\n";
    struct Case {
        std::string name;
        std::string content;
        std::string reason;
    };
    const Case cases[] = {
        {"long.hex", repeated(record, 32001) + end,
         "Line 32002: The file has more than 32,001 lines; nothing of it was read."},
        {"big.hex", bigImage(205250),
         "Line 821: The image holds at most 204,800 bytes; with this record the file's data "
         "takes 205,250 bytes."},
        {"marker.hex", record + marker + end,
         "Line 2: The marker record's address is below 2: its marker word would have to go "
         "below address 0."},
        {"wide.dmp", "1ffffffff0: 0001\n", "Line 0x1: Not a dump line."},
        {"short.pda", "2 1 4142\n4 101 200 abb3\n",
         "line 2: the record's length word says 4 words follow, but the file ends after 3"},
        {"token.pda", "2 1 41g2\n",
         "line 1: a word holds a character that is not a hex digit ('g')"},
        {"x.pda", "2 1\nx41\n", "line 2: an \"x\" that does not follow a leading 0 (as in 0x1f)"},
        {"wide.pda", "2 1 14142\n", "line 1: a word does not fit 16 bits"},
        {"after.pda", "2 0 0\n2 1 4142\n", "line 2: words follow the end record"},
        {"missing.pda", "", "No such file."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path =
            c.content.empty() ? dir.file(c.name) : dir.write(c.name, c.content);
        const std::string said = "quillon-cli: " + path + ": " + c.reason + "\n";
        const auto info = runQuillonCli({"info", path});
        EXPECT_EQ(info.exitCode, 1);
        EXPECT_EQ(info.err, said);
        const auto json = runQuillonCli({"info", "--json", path});
        EXPECT_EQ(json.exitCode, 1);
        EXPECT_EQ(json.err, said);
        if (c.name.ends_with(".hex")) {
            const auto convert = runQuillonCli({"convert", path, dir.file("out.dmp")});
            EXPECT_EQ(convert.exitCode, 1);
            EXPECT_EQ(convert.err, said);
        }
        if (c.name.ends_with(".pda")) {
            CliBench bench;
            const auto restore = bench.run({"pda", "restore", "--yes", path});
            EXPECT_EQ(restore.exitCode, 1);
            EXPECT_EQ(restore.err, said);
            if (c.content.empty()) {
                EXPECT_EQ(restore.out, "Error: Error - \"" + path +
                                           "\": No such file. Nothing was written to the card.\n");
            }
        }
    }
    // Empty lines past the limit lose nothing: the file is read as it always was.
    const std::string trailing = dir.write(
        "trailing.hex", readWholeFile(sample("station-1.8.0.hex")) + repeated("\n", 40000));
    EXPECT_EQ(runQuillonCli({"info", trailing}).exitCode, 0);
}

TEST(CliSaysWhy, AByteOrderMarkIsNotText) {
    TempDir dir;
    const std::string bom = "\xEF\xBB\xBF";
    const std::string pda = dir.write("bom.pda", bom + "2 7 1\n4 101 200 abb3 efcd\n");
    const auto info = runQuillonCli({"info", pda});
    EXPECT_EQ(info.exitCode, 0) << info.err;
    EXPECT_NE(info.out.find("A PDA file. Contains PDR's: \n\n7, 101"), std::string::npos)
        << info.out;
    const std::string hex = dir.write("bom.hex", bom + readWholeFile(sample("station-1.8.0.hex")));
    const auto station = runQuillonCli({"info", hex});
    EXPECT_EQ(station.exitCode, 0) << station.err;
    EXPECT_NE(station.out.find("Contains STATION firmware, version 1.8.0"), std::string::npos);
}

TEST(CliSaysWhy, AFifoIsRefusedBeforeTheCardIsTaken) {
    CliBench bench;
    const std::string fifo = bench.file("pipe.hex");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Another process holds the card: the refusal comes before the wait for it.
    sim::BenchLock other;
    std::ostringstream ignored;
    ASSERT_TRUE(other.acquire(bench.folder(), std::chrono::milliseconds(0), ignored, "test"));
    const std::string said = "quillon-cli: " + fifo +
                             ": Not a regular file (a FIFO, device or folder); only files are "
                             "read.";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"update", "--yes", fifo},
          std::vector<std::string>{"pda", "restore", "--yes", fifo}}) {
        const auto run = bench.run(args, {}, {}, {}, std::chrono::milliseconds(100));
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, said + " Nothing was done.\n");
    }
    const auto info = runQuillonCli({"info", fifo});
    EXPECT_EQ(info.exitCode, 1);
    EXPECT_EQ(info.err, said + "\n");
}

}  // namespace
}  // namespace quillon
