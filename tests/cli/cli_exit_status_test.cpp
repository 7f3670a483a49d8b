// Every command's exit status, with and without --json: 0 done, 1 failed, refused or
// cancelled, 2 a usage error. A --json run prints one document whose "ok" says the same.
#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>

#include "cli_bench.h"

namespace quillon {
namespace {

using nlohmann::json;
using testing::CliBench;
using testing::fastDefaultBench;
using testing::sample;

sim::BenchConfig with(const std::function<void(sim::CardConfig&)>& change) {
    sim::BenchConfig config = fastDefaultBench();
    change(*config.adapters.at(0).card);
    return config;
}

struct Situation {
    const char* name;
    sim::BenchConfig bench;
    // The arguments after --bench FOLDER; "@" stands for the test's own folder.
    std::vector<std::string> args;
    int exitCode;
};

std::vector<Situation> situations() {
    const sim::BenchConfig fine = fastDefaultBench();
    sim::BenchConfig none = fastDefaultBench();
    none.adapters.clear();
    const auto failingWrites =
        with([](sim::CardConfig& card) { card.faults.writes = {sim::WriteFault{0x7E0000}}; });
    const auto failingAuxReads = with([](sim::CardConfig& card) {
        card.faults.requests.push_back(
            sim::RequestFault::every(sim::kOidAuxRead, sim::kStatusFailure));
    });
    const std::string station = sample("station-1.8.0.hex");
    return {
        {"versions", fine, {"versions"}, 0},
        {"versions, a range unread",
         with([](sim::CardConfig& card) { card.faults.unreadableRids = {0xFD21}; }),
         {"versions"},
         1},
        {"mac-type", fine, {"mac-type"}, 0},
        {"driver-version", fine, {"driver-version"}, 0},
        {"driver-version, no answer",
         with([](sim::CardConfig& card) { card.answersDriverVersion = false; }),
         {"driver-version"},
         1},
        {"cis", fine, {"cis"}, 0},
        {"cis, unreadable", failingAuxReads, {"cis"}, 1},
        {"adapters", fine, {"adapters"}, 0},
        {"adapters, none", none, {"adapters"}, 1},
        {"no such adapter", fine, {"--adapter", "7", "versions"}, 1},
        {"pda show", fine, {"pda", "show"}, 0},
        {"pda save", fine, {"pda", "save", "@/saved.pda"}, 0},
        {"pda clear, declined", fine, {"pda", "clear", "--no"}, 1},
        {"pda clear", fine, {"pda", "clear", "--yes"}, 0},
        {"pda set", fine, {"pda", "set", "--serial", "ABC123", "--yes"}, 0},
        {"pda set, nothing to set", fine, {"pda", "set"}, 2},
        {"pda restore, no file", fine, {"pda", "restore", "--yes", "@/missing.pda"}, 1},
        {"export", fine, {"export", "--yes", "@/card.hex"}, 0},
        {"export, declined", fine, {"export", "--no", "@/card.hex"}, 1},
        {"update", fine, {"update", "--yes", station}, 0},
        {"update, declined", fine, {"update", "--no", station}, 1},
        {"update, refused by the checks",
         fine,
         {"update", "--yes", sample("primary-1.1.1.hex")},
         1},
        {"update, a block fails", failingWrites, {"update", "--yes", station}, 1},
        {"update --dry-run", fine, {"update", "--dry-run", station}, 0},
        {"update, no file", fine, {"update"}, 2},
        {"unknown command", fine, {"frobnicate"}, 2},
    };
}

TEST(CliExitStatus, TheSameWithAndWithoutJson) {
    for (const Situation& s : situations()) {
        for (const bool asJson : {false, true}) {
            CliBench bench(s.bench);
            std::vector<std::string> args = s.args;
            for (std::string& arg : args) {
                if (arg.rfind("@/", 0) == 0) {
                    arg = bench.file(arg.substr(2));
                }
            }
            if (asJson) {
                args.insert(args.begin(), "--json");
            }
            const auto run = bench.run(args);
            const std::string mode = asJson ? " (--json)" : "";
            EXPECT_EQ(run.exitCode, s.exitCode) << s.name << mode << "\n" << run.out << run.err;
            if (!asJson || s.exitCode == 2) {
                continue;
            }
            const json document = json::parse(run.out, nullptr, false);
            ASSERT_FALSE(document.is_discarded()) << s.name << mode << "\n" << run.out;
            EXPECT_EQ(document["ok"], s.exitCode == 0) << s.name << mode << "\n" << run.out;
            EXPECT_EQ(document["outcome"] == "done", s.exitCode == 0) << s.name << mode;
        }
    }
}

TEST(CliQuiet, KeepsWhatTheCommandWasAskedFor) {
    CliBench bench;
    for (const std::vector<std::string>& command : std::vector<std::vector<std::string>>{
             {"versions"}, {"mac-type"}, {"driver-version"}, {"pda", "show"}, {"cis"}}) {
        std::vector<std::string> quiet = command;
        quiet.insert(quiet.begin(), "--quiet");
        const auto said = bench.run(command);
        const auto kept = bench.run(quiet);
        EXPECT_EQ(kept.exitCode, 0) << command[0];
        EXPECT_FALSE(kept.out.empty()) << command[0];
        EXPECT_NE(said.out.find(kept.out), std::string::npos) << said.out << kept.out;
    }
}

TEST(CliRefuses, FoldersWhereAFileOrAnEmptyFolderBelongs) {
    CliBench bench;
    std::filesystem::create_directories(bench.file("preview"));
    bench.dir().write("preview/1-old.hex", "S9030000FC\r\n");
    const std::string station = sample("station-1.8.0.hex");
    struct Case {
        std::vector<std::string> args;
        std::string said;
    };
    const Case cases[] = {
        {{"pda", "save", "."}, ". is a folder; give the name of the file to write"},
        {{"pda", "save", bench.file("preview")}, "is a folder"},
        {{"update", "--dry-run", "--out", bench.file("preview"), station},
         "already holds files; give a new or empty folder"},
    };
    for (const Case& c : cases) {
        const auto run = bench.run(c.args);
        EXPECT_EQ(run.exitCode, 2) << run.err;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(bench.file("..pda")));
}

TEST(CliJson, InfoSaysWhyAFileIsUnreadable) {
    CliBench bench;
    const std::string bad =
        bench.dir().write("bad.hex", "S1130000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFEC\r\nS1\r\n");
    const auto run = bench.run({"--json", "info", bad, bench.file("missing.pda")});
    EXPECT_EQ(run.exitCode, 1);
    const json document = json::parse(run.out);
    EXPECT_EQ(document["files"][0]["reason"], "Line 1: Checksum failed.");
    EXPECT_EQ(document["files"][0]["line"], 1);
    EXPECT_EQ(document["files"][1]["reason"], "No such file.");
    EXPECT_TRUE(document["files"][1]["line"].is_null());
}

}  // namespace
}  // namespace quillon
