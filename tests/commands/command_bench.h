// A bench for whole commands: an in-memory simulated bench, the scripted face, the session,
// the window's PDA and options, and the test host with the bench's first adapter selected.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "card/adapter_session.h"
#include "fake_user_interface.h"
#include "pda/pda_image.h"
#include "sim/simulated_bench.h"
#include "temp_dir.h"
#include "test_host.h"
#include "ui/command_host.h"

namespace quillon::testing {

class CommandBenchTest : public ::testing::Test {
  protected:
    explicit CommandBenchTest(sim::BenchConfig config = sim::defaultBenchConfig())
        : bench(std::move(config)),
          session(bench.library(), bench.registry(), ui),
          host(session, pda, ui) {
        options.pdaBackupFolder = backups.file("pda-backups");
    }

    // Selects the first adapter, then forgets the requests and boxes of the selection.
    void SetUp() override {
        ASSERT_TRUE(host.select(0));
        ASSERT_EQ(ui.boxes.size(), 0u);
        bench.clearRequests();
        host.refreshes = 0;
    }

    sim::SimulatedCard& card() { return bench.card(0); }

    std::vector<sim::RequestRecord> requestsOf(std::uint32_t oid) const {
        std::vector<sim::RequestRecord> out;
        for (const auto& r : bench.requests()) {
            if (r.oid == oid) {
                out.push_back(r);
            }
        }
        return out;
    }

    // Nothing of the card is left open after a command.
    void expectAdapterReleased() const {
        EXPECT_FALSE(session.isOpen());
        EXPECT_EQ(bench.simulatedLibrary().openAdapterCount(), 0u);
    }

    // The first words of the card's NVRAM copy of its PDA.
    std::vector<std::uint16_t> nvramPda(std::size_t words) const {
        const auto all = bench.card(0).pdaWords(true);
        return {all.begin(), all.begin() + static_cast<std::ptrdiff_t>(words)};
    }

    TempDir backups;
    sim::SimulatedBench bench;
    FakeUserInterface ui;
    card::AdapterSession session;
    pda::PdaImage pda;
    ui::ProgrammingOptions options;
    TestHost host;
};

}  // namespace quillon::testing
