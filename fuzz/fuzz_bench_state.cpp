// A card state file lies on disk beside bench.json and may be cut short or damaged: replaying
// it must stop cleanly at the first bad record, and a snapshot of the result must replay to
// the same card.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sim/card_state_file.h"
#include "sim/simulated_bench.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillon::sim;
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    const BenchConfig config = defaultBenchConfig();
    SimulatedCard card(config.adapters[0].card);
    const CardStateReplay replay = replayCardState(content, card);
    if (replay.validLength > content.size()) {
        std::abort();
    }
    SimulatedCard copy(config.adapters[0].card);
    const std::string snapshot = cardStateSnapshot(card);
    const CardStateReplay again = replayCardState(snapshot, copy);
    if (!again.valid || again.validLength != snapshot.size() || !(copy.flash() == card.flash()) ||
        copy.ramPda() != card.ramPda() || !(copy.rids() == card.rids())) {
        std::abort();
    }
    return 0;
}
