#include "cli/card_access.h"

#include "cli/window_session.h"
#include "sim/bench_lock.h"
#include "sim/simulated_bench.h"

namespace quillon::cli {
namespace {

class BenchAccess : public CardAccess {
  public:
    card::AccessLibrary& library() override { return bench->library(); }
    card::Registry& registry() override { return bench->registry(); }

    // The lock outlives the bench.
    sim::BenchLock lock;
    std::unique_ptr<sim::SimulatedBench> bench;
};

}  // namespace

std::unique_ptr<CardAccess> openBenchAccess(CliIo& io, const GlobalOptions& global) {
    auto access = std::make_unique<BenchAccess>();
    access->bench = openBench(io, global, access->lock);
    if (!access->bench) {
        return nullptr;
    }
    return access;
}

}  // namespace quillon::cli
