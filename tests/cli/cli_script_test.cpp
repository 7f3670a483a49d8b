// quillon-cli as scripts use it: --json documents, the dry run, --quiet, and the man page's
// command list against --help's.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "cli_bench.h"

namespace quillon {
namespace {

using nlohmann::json;
using testing::CliBench;
using testing::readWholeFile;
using testing::sample;
using testing::sourceDir;

std::string versionsOf(const CliBench& bench) {
    const auto run = bench.run({"--json", "versions"});
    const json document = json::parse(run.out);
    return document["primary"]["version"].get<std::string>() + " " +
           document["station"]["version"].get<std::string>();
}

TEST(CliJson, EveryCommandPrintsOneDocument) {
    CliBench bench;
    // Each command and a field its document must hold.
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"info", sample("station-1.8.0.hex"), sample("mac-serial.pda")}, "files"},
        {{"versions"}, "ranges"},
        {{"adapters"}, "adapters"},
        {{"pda", "show"}, "records"},
        {{"cis"}, "tuples"},
        {{"mac-type"}, "macType"},
        {{"driver-version"}, "driverVersion"},
        {{"bench", "show"}, "bench"},
        {{"--no", "update", sample("station-1.8.0.hex")}, "report"},
        {{"--yes", "update", sample("primary-1.1.1.hex"), sample("station-1.8.0.hex")}, "report"},
    };
    for (const auto& [args, field] : cases) {
        std::vector<std::string> withJson = args;
        withJson.insert(withJson.begin(), "--json");
        const auto run = bench.run(withJson);
        SCOPED_TRACE(::testing::PrintToString(args));
        json document;
        ASSERT_NO_THROW(document = json::parse(run.out)) << run.out;
        EXPECT_TRUE(document.contains(field)) << run.out;
        EXPECT_TRUE(document["messages"].is_array());
        // An update answered No is refused; everything else succeeds.
        const bool ok = args[0] != "--no";
        EXPECT_EQ(document["ok"], ok) << run.out;
        EXPECT_EQ(run.exitCode, ok ? 0 : 1);
    }
    EXPECT_EQ(versionsOf(bench), "1.1.1 1.8.0");

    const auto updated =
        json::parse(bench.run({"--json", "--yes", "update", sample("station-1.8.0.hex")}).out);
    EXPECT_EQ(updated["files"][0]["station"]["version"], "1.8.0");
    EXPECT_EQ(updated["verdict"]["filesOk"], true);
    EXPECT_EQ(updated["report"].back()["colour"], "green");
    EXPECT_EQ(updated["messages"].back()["text"], "Update Successful!   ");
    // The station image is 24 KiB: fourteen blocks, all written.
    EXPECT_EQ(updated["images"][0]["name"], "station-1.8.0.hex");
    EXPECT_EQ(updated["images"][0]["blocks"], 14);
    EXPECT_EQ(updated["images"][0]["blocksWritten"], 14);
    EXPECT_EQ(updated["images"][0]["succeeded"], true);
    EXPECT_EQ(updated["pdaChanges"], json::array());

    // The identity an update changes is listed old and new.
    const auto renamed =
        json::parse(bench
                        .run({"--json", "--yes", "update", sample("mac-serial.pda"),
                              sample("station-1.8.0.hex")})
                        .out);
    const json mac = {{"code", 0x101},
                      {"name", "MAC address"},
                      {"change", "changed"},
                      {"before", "00-02-B3-12-34-56"},
                      {"after", "00-02-B3-AB-CD-EF"}};
    EXPECT_EQ(renamed["pdaChanges"][1], mac) << renamed["pdaChanges"];

    const auto missing = bench.run({"--json", "info", bench.file("missing.hex")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(json::parse(missing.out)["files"][0]["kind"], "unreadable");
}

TEST(CliDryRun, ReportsAndWritesTheFilesButNotTheCard) {
    CliBench bench;
    const auto flashBefore = bench.open()->card(0).readFlash(0x7E0000, 0x20000);
    const auto pdaBefore = bench.open()->card(0).pdaWords(true);
    const std::string out = bench.file("out");
    const auto run = bench.run({"update", "--dry-run", "--out", out, sample("primary-1.1.1.hex"),
                                sample("station-1.8.0.hex"), sample("mac-serial.pda")});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("Files OK - hit UPDATE to start the update process."),
              std::string::npos);
    EXPECT_EQ(versionsOf(bench), "1.1.0 1.7.4");
    EXPECT_EQ(bench.open()->card(0).readFlash(0x7E0000, 0x20000), flashBefore);
    EXPECT_EQ(bench.open()->card(0).pdaWords(true), pdaBefore);

    // The images in programming order, plugged with the card's data, then the merged PDA.
    const std::string primary = out + "/1-primary-1.1.1.hex";
    const std::string pda = out + "/3-pda.pda";
    ASSERT_TRUE(std::filesystem::exists(out + "/2-station-1.8.0.hex"));
    ASSERT_TRUE(std::filesystem::exists(pda));
    EXPECT_EQ(bench.run({"--json", "info", primary}).exitCode, 0);
    EXPECT_NE(readWholeFile(pda).find("3 5351 2d4e 3030 3030 3234"), std::string::npos);

    // Files the update refuses: nothing written, exit 1.
    const std::string refused = bench.file("refused");
    const std::string bad = bench.dir().write("bad.hex", "not S-records\n");
    const auto run2 =
        bench.run({"update", "--dry-run", "--out", refused, sample("primary-1.1.1.hex"), bad});
    EXPECT_EQ(run2.exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(refused));
}

TEST(CliQuiet, PrintsNothingButProblems) {
    CliBench bench;
    const auto quiet = bench.run({"--quiet", "--yes", "update", sample("station-1.8.0.hex")});
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.out, "UPDATE? [y/N] yes\n");
    EXPECT_EQ(quiet.err, "");
    const auto failed = bench.run({"--quiet", "update", bench.file("missing.hex")});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_NE(failed.out, "");
}

// The command names a listing holds: the first word of every entry.
std::set<std::string> helpCommands(const std::string& help) {
    std::set<std::string> names;
    std::istringstream in(help);
    std::string line;
    bool inList = false;
    while (std::getline(in, line)) {
        std::string lower = line;
        for (char& c : lower) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        if (!line.empty() && line[0] != ' ') {
            inList = lower.find("commands") != std::string::npos && lower.back() == ':';
            continue;
        }
        std::istringstream words(line);
        std::string first;
        // A description's further lines stand deeper than the names.
        const bool named = line.size() > 2 && line[2] != ' ';
        if (inList && named && (words >> first) && first[0] != '-') {
            names.insert(first);
        }
    }
    return names;
}

std::set<std::string> manPageCommands(const std::string& page) {
    std::set<std::string> names;
    std::istringstream in(page);
    std::string line;
    bool inSection = false;
    bool afterTp = false;
    int nested = 0;  // the options of a command, indented under it
    while (std::getline(in, line)) {
        if (line.rfind(".SH", 0) == 0) {
            inSection = line.find("COMMANDS") != std::string::npos;
            continue;
        }
        nested += line.rfind(".RS", 0) == 0 ? 1 : line.rfind(".RE", 0) == 0 ? -1 : 0;
        if (!inSection || nested > 0) {
            continue;
        }
        if (line.rfind(".TP", 0) == 0) {
            afterTp = true;
            continue;
        }
        if (afterTp && line.rfind(".B", 0) == 0) {
            std::istringstream words(line);
            std::string macro;
            std::string first;
            words >> macro >> first;
            if (!first.empty() && first.front() == '"') {
                first.erase(0, 1);
            }
            names.insert(first.substr(0, first.find('"')));
        }
        afterTp = false;
    }
    return names;
}

TEST(CliManPage, ListsTheCommandsOfHelp) {
    const std::set<std::string> help = helpCommands(testing::runQuillonCli({"--help"}).out);
    const std::set<std::string> page =
        manPageCommands(readWholeFile(sourceDir() + "/docs/man/quillon-cli.1"));
    EXPECT_GE(help.size(), 10u);
    EXPECT_EQ(help, page);
    // The commands of pda and bench are named in full ("pda save").
    const std::string text = readWholeFile(sourceDir() + "/docs/man/quillon-cli.1");
    for (const std::string group : {"pda", "bench"}) {
        const std::set<std::string> sub =
            helpCommands(testing::runQuillonCli({group, "--help"}).out);
        EXPECT_FALSE(sub.empty()) << group;
        for (const std::string& name : sub) {
            EXPECT_NE(text.find(group + " " + name), std::string::npos) << group << ' ' << name;
        }
    }
}

}  // namespace
}  // namespace quillon
