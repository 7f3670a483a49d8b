#include "cli/card_access.h"

#include "card/request_log.h"
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

// The card behind a log of every request made to it.
class LoggedAccess : public CardAccess {
  public:
    explicit LoggedAccess(std::unique_ptr<CardAccess> card)
        : card_(std::move(card)), log_(card_->library()) {}
    card::AccessLibrary& library() override { return log_; }
    card::Registry& registry() override { return card_->registry(); }

  private:
    std::unique_ptr<CardAccess> card_;
    card::RequestLog log_;
};

}  // namespace

std::unique_ptr<CardAccess> openCardAccess(CliIo& io, const GlobalOptions& global) {
    std::unique_ptr<CardAccess> card = openPlatformCardAccess(io, global);
    if (card && global.verbose >= 2) {
        return std::make_unique<LoggedAccess>(std::move(card));
    }
    return card;
}

std::unique_ptr<CardAccess> openBenchAccess(CliIo& io, const GlobalOptions& global) {
    auto access = std::make_unique<BenchAccess>();
    access->bench = openBench(io, global, access->lock);
    if (!access->bench) {
        return nullptr;
    }
    return access;
}

}  // namespace quillon::cli
