// The RID stress test's 100,001 passes on the simulated card with its latency off, under a
// face that draws nothing: what is left is the program's own cost per pass (the request, the
// bench's request log, the progress text). It should stay well under a second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "card/adapter_session.h"
#include "card/card_identity.h"
#include "commands/card_reports.h"
#include "sim/simulated_bench.h"
#include "ui/command_host.h"
#include "ui/user_interface.h"

namespace {

using namespace quillon;

class SilentFace : public ui::UserInterface {
  public:
    ui::Answer messageBox(const ui::MessageBox& box) override {
        lastText = box.text;
        return ui::Answer::Ok;
    }
    std::string lastText;
};

// Opens the bench's first adapter for each command and closes it again, as the window does.
class BenchHost : public ui::CommandHost {
  public:
    explicit BenchHost(card::AdapterSession& session) : session_(session) {}
    bool ensureAdapterOpen(bool) override { return session_.openAdapter(0); }
    void releaseAdapter() override { session_.closeAdapter(); }
    std::uint32_t selectedAdapterIndex() const override { return 0; }
    void refreshControls() override {}
    void setStatusText(const std::string&) override {}
    std::string pdaMacText() const override { return {}; }
    std::string pdaSerialText() const override { return {}; }
    std::string partNumberText() const override { return {}; }
    std::string platformText() const override { return {}; }

  private:
    card::AdapterSession& session_;
};

void BM_RidStressTest(benchmark::State& state) {
    sim::SimulatedBench bench(sim::defaultBenchConfig());
    SilentFace face;
    card::AdapterSession session(bench.library(), bench.registry(), face);
    BenchHost host(session);
    session.openAdapter(0);
    card::determineMacType(session, face);
    session.closeAdapter();
    for (auto _ : state) {
        bench.clearRequests();
        card::ridStressTest(host, session, face);
    }
    state.counters["requests"] = static_cast<double>(bench.requests().size());
    if (face.lastText != "Get RID 0xfc01 Pass 100000/100000") {
        state.SkipWithError("the stress test did not finish its passes");
    }
}
BENCHMARK(BM_RidStressTest)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
