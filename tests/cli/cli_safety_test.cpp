// quillon-cli keeps the card whole: one process at a time on a bench, a copy of the PDA that can
// be written back, and an update that is interrupted stops between blocks and says so.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <filesystem>
#include <thread>

#include "card/card_identity.h"
#include "cli_bench.h"
#include "sim/bench_lock.h"

namespace quillon {
namespace {

using testing::CliBench;

std::string cardPdaListing(const CliBench& bench) {
    return bench.run({"pda", "show"}).out;
}

TEST(CliSafety, ACardInUseByAnotherProcessIsLeftAlone) {
    CliBench bench;
    const std::string before = cardPdaListing(bench);
    sim::BenchLock other;
    std::ostringstream ignored;
    ASSERT_TRUE(other.acquire(bench.folder(), std::chrono::milliseconds(0), ignored, "test"));

    const std::vector<std::vector<std::string>> commands = {
        {"pda", "set", "--mac", "00-11-22-33-44-55"},
        {"versions"},
        {"bench", "show"},
    };
    for (const auto& command : commands) {
        SCOPED_TRACE(command[0]);
        const auto run = bench.run(command, {}, {}, {}, std::chrono::milliseconds(150));
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("the card is in use by process " + std::to_string(::getpid()) +
                               " (another quillon-cli or the Quillon window); nothing was done."),
                  std::string::npos)
            << run.err;
    }
    other.release();
    EXPECT_EQ(cardPdaListing(bench), before);
    EXPECT_EQ(bench.run({"pda", "set", "--yes", "--mac", "00-11-22-33-44-55"}).exitCode, 0);
    EXPECT_NE(cardPdaListing(bench), before);
}

TEST(CliSafety, PdaRestoreWritesBackTheCopyKeptBeforeAChange) {
    CliBench bench;
    const std::string before = cardPdaListing(bench);
    const auto set = bench.run({"pda", "set", "--yes", "--mac", "00-11-22-33-44-55"});
    ASSERT_EQ(set.exitCode, 0);
    const std::string saved = "A copy of the card's PDA was saved to ";
    const auto at = set.err.find(saved);
    ASSERT_NE(at, std::string::npos) << set.err;
    const std::string copy =
        set.err.substr(at + saved.size(), set.err.find('\n', at) - at - saved.size());
    EXPECT_EQ(std::filesystem::path(copy).parent_path(),
              std::filesystem::path(bench.file("state/quillon/pda-backups")));

    // Without --yes the question takes its safe answer.
    EXPECT_EQ(bench.run({"pda", "restore", copy}).exitCode, 1);
    EXPECT_NE(cardPdaListing(bench), before);

    const auto restore = bench.run({"pda", "restore", "--yes", copy});
    EXPECT_EQ(restore.exitCode, 0) << restore.out << restore.err;
    EXPECT_EQ(cardPdaListing(bench), before);
}

// Runs the real quillon-cli with its output in two pipes; returns its pid.
pid_t spawn(const std::vector<std::string>& args, int& out, int& err) {
    int outPipe[2];
    int errPipe[2];
    if (::pipe(outPipe) != 0 || ::pipe(errPipe) != 0) {
        return -1;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(outPipe[1], 1);
        ::dup2(errPipe[1], 2);
        ::close(outPipe[0]);
        ::close(errPipe[0]);
        std::vector<char*> argv;
        for (const std::string& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        ::execv(QUILLON_CLI_PATH, argv.data());
        ::_exit(127);
    }
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    out = outPipe[0];
    err = errPipe[0];
    return pid;
}

std::string readAll(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return text;
}

TEST(CliSafety, ASecondInterruptStopsTheUpdateAfterTheCurrentBlock) {
    // A card that writes slowly, so that the interrupts come while the image is written.
    sim::BenchConfig config = sim::defaultBenchConfig();
    config.latency.enabled = true;
    config.latency.perRequestMicros = 0;
    config.latency.perKiBReadMicros = 0;
    config.latency.perKiBWrittenMicros = 100000;
    CliBench bench(config);
    int out = -1;
    int err = -1;
    const pid_t pid = spawn({"quillon-cli", "--bench", bench.folder(), "update", "--yes",
                             testing::sample("station-1.8.0.hex")},
                            out, err);
    ASSERT_GT(pid, 0);
    // The answer to UPDATE marks the start of the writes; the image then takes seconds.
    std::string outText;
    char c = 0;
    while (outText.find("UPDATE? [y/N] yes") == std::string::npos && ::read(out, &c, 1) == 1) {
        outText += c;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ::kill(pid, SIGINT);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ::kill(pid, SIGTERM);
    outText += readAll(out);
    const std::string errText = readAll(err);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);

    ASSERT_TRUE(WIFEXITED(status)) << errText;
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_NE(errText.find("stopping now leaves the card's firmware incomplete. Interrupt again "
                           "to stop after the current block."),
              std::string::npos)
        << errText;
    EXPECT_NE(errText.find("stopping after the current block..."), std::string::npos);
    EXPECT_NE(
        outText.find("Update Stopped: Update stopped: \"" + testing::sample("station-1.8.0.hex") +
                     "\" was not completely written, so the card's firmware is "
                     "incomplete.\n\nRun the update again before removing the card."),
        std::string::npos)
        << outText;
    EXPECT_EQ(outText.find("Update Successful!"), std::string::npos);
    // The card was not reset: it still reports its old station firmware.
    const auto versions = bench.run({"versions"});
    EXPECT_NE(versions.out.find("Station: 1.7.4"), std::string::npos) << versions.out;
}

TEST(CliSafety, AStoppedUpdateExits130WithJsonToo) {
    sim::BenchConfig config = sim::defaultBenchConfig();
    config.latency.enabled = true;
    config.latency.perRequestMicros = 0;
    config.latency.perKiBReadMicros = 0;
    config.latency.perKiBWrittenMicros = 100000;
    CliBench bench(config);
    int out = -1;
    int err = -1;
    // The log on standard error says when the image is plugged; the writes follow at once.
    const pid_t pid = spawn({"quillon-cli", "--bench", bench.folder(), "--json", "--verbose",
                             "update", "--yes", testing::sample("station-1.8.0.hex")},
                            out, err);
    ASSERT_GT(pid, 0);
    std::string errText;
    char c = 0;
    while (errText.find("[filename]") == std::string::npos && ::read(err, &c, 1) == 1) {
        errText += c;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ::kill(pid, SIGINT);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ::kill(pid, SIGTERM);
    const std::string outText = readAll(out);
    errText += readAll(err);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);

    ASSERT_TRUE(WIFEXITED(status)) << errText;
    EXPECT_EQ(WEXITSTATUS(status), 130);
    const auto document = nlohmann::json::parse(outText, nullptr, false);
    ASSERT_FALSE(document.is_discarded()) << outText;
    EXPECT_EQ(document["ok"], false);
    EXPECT_EQ(document["outcome"], "stopped");
    EXPECT_EQ(document["ending"], "stopped");
    EXPECT_TRUE(document["imagesWritten"].empty());
}

TEST(CliSafety, CompletionNeitherWritesNorWaits) {
    // An empty folder stays empty.
    testing::TempDir empty;
    const auto none = testing::runQuillonCli({"--bench", empty.path().string(), "adapters"}, {},
                                             {{"QUILLON_COMPLETION", "1"}});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(std::filesystem::is_empty(empty.path()));

    // A bench in use answers at once.
    CliBench bench;
    sim::BenchLock other;
    std::ostringstream said;
    ASSERT_TRUE(other.acquire(bench.folder(), std::chrono::milliseconds(0), said, "test"));
    const auto start = std::chrono::steady_clock::now();
    const auto listed = bench.run({"adapters"}, {}, {{"QUILLON_COMPLETION", "1"}});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(listed.out, "0\tPRISM 802.11b Wireless LAN PCI Adapter (simulated)\n");
}

}  // namespace
}  // namespace quillon
