// The bench's own files, as whole quillon-cli runs meet them: a damaged card state stops every
// command until the person repairs it.
#include <gtest/gtest.h>

#include "cli_bench.h"

namespace quillon {
namespace {

using testing::CliBench;
using testing::readWholeFile;
using testing::sample;

TEST(CliBenchFiles, ADamagedCardStateStopsEveryCommandUntilRepaired) {
    CliBench bench;
    ASSERT_EQ(
        bench.run({"update", "--yes", sample("primary-1.1.1.hex"), sample("station-1.8.0.hex")})
            .exitCode,
        0);
    const std::string state = bench.folder() + "/card-0.state";
    std::string damaged = readWholeFile(state);
    ASSERT_GT(damaged.size(), 30000u);
    // One byte in the middle of the update's blocks.
    const std::size_t flipped = damaged.size() / 2;
    damaged[flipped] = static_cast<char>(damaged[flipped] ^ 0x01);
    bench.dir().write("bench/card-0.state", damaged);

    const auto refused = bench.run({"versions"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.out, "");
    const std::string prefix = "quillon-cli: " + state + ": damaged at byte ";
    ASSERT_EQ(refused.err.rfind(prefix, 0), 0u) << refused.err;
    const std::size_t at = std::stoul(refused.err.substr(prefix.size()));
    EXPECT_LE(at, flipped);
    EXPECT_GT(at + 2100, flipped);  // the start of the block's record
    EXPECT_NE(refused.err.find("\"quillon-cli bench repair\" keeps the changes saved before"),
              std::string::npos);
    EXPECT_EQ(readWholeFile(state), damaged);

    const auto repair = bench.run({"bench", "repair"});
    EXPECT_EQ(repair.exitCode, 0) << repair.err;
    EXPECT_EQ(repair.out, "card-0.state: damaged at byte " + std::to_string(at) + "; cut there (" +
                              std::to_string(damaged.size() - at) +
                              " bytes dropped), the whole file kept as card-0.state.damaged\n");
    // The card is as it was before the damaged block: written in part, never reset.
    const auto versions = bench.run({"versions"});
    EXPECT_EQ(versions.exitCode, 0) << versions.err;
    EXPECT_NE(versions.out.find("Primary: 1.1.0   Station: 1.7.4"), std::string::npos);
    EXPECT_EQ(bench.run({"bench", "repair"}).out,
              "Nothing to repair: the saved state of every card is whole.\n");
}

}  // namespace
}  // namespace quillon
