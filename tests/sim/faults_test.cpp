// Fault injection: failing requests by count, flaky reads, failing writes and the faults a
// bench describes for the library, the driver and the card.
#include <gtest/gtest.h>

#include "bench_client.h"
#include "sim/simulated_bench.h"

namespace quillon::sim {
namespace {

using testing::BenchClient;
using testing::pattern;

std::vector<std::uint32_t> statusesOf(BenchClient& client, int count) {
    std::vector<std::uint32_t> statuses;
    for (int i = 0; i < count; ++i) {
        statuses.push_back(client.set(kOidEnableAux));
    }
    return statuses;
}

TEST(Faults, RequestRulesFailTheCountedRequestsOfTheirOid) {
    constexpr std::uint32_t F = 0xC0001234;
    const struct {
        const char* name;
        RequestFault rule;
        std::vector<std::uint32_t> statuses;
    } cases[] = {
        {"nth", RequestFault::nth(kOidEnableAux, 3, F), {0, 0, F, 0, 0}},
        {"every", RequestFault::every(kOidEnableAux, F), {F, F, F, F, F}},
        {"range", RequestFault::range(kOidEnableAux, 2, 4, F), {0, F, F, F, 0}},
        {"other oid", RequestFault::every(kOidAuxRead, F), {0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        BenchConfig config = defaultBenchConfig();
        config.adapters[0].card->faults.requests.push_back(c.rule);
        SimulatedBench bench(config);
        BenchClient client(bench);
        EXPECT_EQ(statusesOf(client, 5), c.statuses) << c.name;
    }
}

TEST(Faults, ARuleAddedLaterCountsFromItsAddition) {
    SimulatedBench bench(defaultBenchConfig());
    BenchClient client(bench);
    statusesOf(client, 4);
    bench.card(0).faults().requests.push_back(RequestFault::nth(kOidEnableAux, 2, 0xC0000009));
    EXPECT_EQ(statusesOf(client, 3), (std::vector<std::uint32_t>{0, 0xC0000009, 0}));
}

TEST(Faults, AFailedRequestHasNoEffect) {
    BenchConfig config = defaultBenchConfig();
    config.adapters[0].card->faults.requests.push_back(
        RequestFault::nth(kOidAuxWrite, 1, kStatusFailure));
    SimulatedBench bench(config);
    BenchClient client(bench);
    client.prepareWrites();
    const std::vector<std::uint8_t> data = pattern(16, 5);
    EXPECT_EQ(client.auxWrite(0x7E3000, data), kStatusFailure);
    EXPECT_EQ(bench.card(0).readFlash(0x7E3000, 16), std::vector<std::uint8_t>(16, 0xFF));
    EXPECT_EQ(client.auxWrite(0x7E3000, data), kStatusSuccess);
    EXPECT_EQ(bench.card(0).readFlash(0x7E3000, 16), data);
}

TEST(Faults, FlakyReadsReturnCorruptedCopiesOfTheChosenReads) {
    const struct {
        const char* name;
        FlakyReads flaky;
        std::vector<bool> corrupted;
    } cases[] = {
        {"every 2nd", FlakyReads{2, 0, 0, 0}, {false, true, false, true, false}},
        {"reads 2 to 3", FlakyReads{0, 2, 3, 0}, {false, true, true, false, false}},
    };
    for (const auto& c : cases) {
        SimulatedBench bench(defaultBenchConfig());
        bench.card(0).faults().flakyReads = c.flaky;
        BenchClient client(bench);
        client.set(kOidEnableAux);
        const std::vector<std::uint8_t> truth = bench.card(0).readAux(0x7F0000, 64);
        std::vector<bool> corrupted;
        std::vector<std::vector<std::uint8_t>> bad;
        for (int i = 0; i < 5; ++i) {
            std::vector<std::uint8_t> data;
            ASSERT_EQ(client.auxRead(0x7F0000, 64, data), kStatusSuccess);
            corrupted.push_back(data != truth);
            if (data != truth) {
                bad.push_back(data);
            }
        }
        EXPECT_EQ(corrupted, c.corrupted) << c.name;
        ASSERT_EQ(bad.size(), 2u);
        EXPECT_NE(bad[0], bad[1]) << c.name;
    }
}

TEST(Faults, AWriteTouchingTheAddressFailsAndWritesNothing) {
    SimulatedBench bench(defaultBenchConfig());
    bench.card(0).faults().writes.push_back(WriteFault{0x7E0810, 0xC0000042});
    BenchClient client(bench);
    client.prepareWrites();
    EXPECT_EQ(client.auxWrite(0x7E0800, pattern(16, 1)), kStatusSuccess);  // ends before
    EXPECT_EQ(client.auxWrite(0x7E0811, pattern(16, 1)), kStatusSuccess);  // starts after
    EXPECT_EQ(client.auxWrite(0x7E0808, pattern(16, 2)), 0xC0000042u);
    EXPECT_EQ(client.auxWrite(0x7E0810, pattern(1, 2)), 0xC0000042u);
    EXPECT_EQ(bench.card(0).readFlash(0x7E0800, 16), pattern(16, 1));
}

TEST(Faults, ASilentWriteSucceedsButStoresTheByteInverted) {
    SimulatedBench bench(defaultBenchConfig());
    bench.card(0).faults().silentWrites.push_back(0x7E0810);
    BenchClient client(bench);
    client.prepareWrites();
    EXPECT_EQ(client.auxWrite(0x7E0808, pattern(16, 2)), kStatusSuccess);
    std::vector<std::uint8_t> stored = pattern(16, 2);
    stored[8] = static_cast<std::uint8_t>(~stored[8]);
    EXPECT_EQ(bench.card(0).readFlash(0x7E0808, 16), stored);
    EXPECT_EQ(client.auxWrite(0x7E0811, pattern(16, 1)), kStatusSuccess);  // starts after
    EXPECT_EQ(bench.card(0).readFlash(0x7E0811, 16), pattern(16, 1));
}

TEST(Faults, DriverAndCardFaults) {
    SimulatedBench bench(defaultBenchConfig());
    SimulatedCard& card = bench.card(0);
    card.faults().unreadableRids.push_back(0xFD20);
    card.setKnowsProbeOid(false);
    card.setDriverVersion(0x80000001);
    card.setMacType(3);
    BenchClient client(bench);

    std::vector<std::uint16_t> words;
    EXPECT_EQ(client.readRid(0xFD20, words), kStatusFailure);
    ASSERT_EQ(client.readRid(0xFD04, words), kStatusSuccess);
    EXPECT_EQ(words[4], 3);
    std::vector<std::uint8_t> probe(8, 0);
    EXPECT_EQ(client.request(card::kQueryInformation, kOidProbe, probe), kStatusInvalidOid);
    std::vector<std::uint8_t> version(4);
    ASSERT_EQ(client.request(card::kQueryInformation, kOidDriverVersion, version), 0u);
    EXPECT_EQ(version, (std::vector<std::uint8_t>{0x01, 0x00, 0x00, 0x80}));
    card.setDriverVersion(0x00010203, false);
    EXPECT_NE(client.request(card::kQueryInformation, kOidDriverVersion, version), 0u);
}

TEST(Faults, RawRidRepliesOverrideTheCard) {
    SimulatedBench bench(defaultBenchConfig());
    bench.card(0).rids().raw.push_back({0xFFFF, {5, 0xFFFF, 0x4241, 0x4443, 0x4645, 0x4847}});
    bench.card(0).rids().raw.push_back({0xFD02, {0, 0xFD02}});
    BenchClient client(bench);
    std::vector<std::uint16_t> words;
    ASSERT_EQ(client.readRid(0xFFFF, words), kStatusSuccess);
    EXPECT_EQ(words, (std::vector<std::uint16_t>{5, 0xFFFF, 0x4241, 0x4443, 0x4645, 0x4847}));
    ASSERT_EQ(client.readRid(0xFD02, words), kStatusSuccess);
    EXPECT_EQ(words, (std::vector<std::uint16_t>{0}));
}

TEST(Faults, OpenFailuresAndUnknownNamesSetTheLastError) {
    BenchConfig config = defaultBenchConfig();
    config.adapters[0].openError = 5;
    config.unknownAdapterError = 2;
    SimulatedBench bench(config);
    card::AccessLibrary& library = bench.library();
    EXPECT_EQ(library.W32N_OpenAdapterA(testing::openName(bench, 0)), card::kInvalidAdapterHandle);
    EXPECT_EQ(library.W32N_GetLastError(), 5u);
    EXPECT_EQ(library.W32N_OpenAdapterA("Check for VXD..."), card::kInvalidAdapterHandle);
    EXPECT_EQ(library.W32N_GetLastError(), 2u);
    bench.adapter(0).openError.reset();
    EXPECT_NE(library.W32N_OpenAdapterA(testing::openName(bench, 0)), card::kInvalidAdapterHandle);
}

TEST(Faults, ClosedOrUnknownHandlesFailTheirRequests) {
    SimulatedBench bench(defaultBenchConfig());
    card::AccessLibrary& library = bench.library();
    const card::AdapterHandle handle = library.W32N_OpenAdapterA(testing::openName(bench, 0));
    library.W32N_CloseAdapter(handle);
    card::AdapterRequest request;
    request.requestType = card::kSetInformation;
    request.oid = kOidEnableAux;
    card::Overlapped overlapped;
    EXPECT_EQ(library.W32N_MakeNdisRequest(handle, request, overlapped, 1), kStatusFailure);
    EXPECT_EQ(library.W32N_MakeNdisRequest(12345, request, overlapped, 1), kStatusFailure);
    EXPECT_EQ(bench.simulatedLibrary().openAdapterCount(), 0u);
}

TEST(Faults, EventsCanBeRefused) {
    BenchConfig config = defaultBenchConfig();
    SimulatedBench working(config);
    const card::EventHandle event = working.library().createEvent();
    EXPECT_NE(event, 0u);
    EXPECT_EQ(working.simulatedLibrary().openEventCount(), 1u);
    working.library().closeEvent(event);
    EXPECT_EQ(working.simulatedLibrary().openEventCount(), 0u);

    config.createEventFails = true;
    SimulatedBench failing(config);
    EXPECT_EQ(failing.library().createEvent(), 0u);
}

TEST(Latency, SpendsPerRequestAndPerKibAndRecordsPauses) {
    SimulatedBench bench(defaultBenchConfig());
    BenchClient client(bench);
    // In memory the bench never waits, but it records every pause.
    bench.library().sleepMilliseconds(5);
    EXPECT_EQ(bench.simulatedLibrary().latencyMicros(), 0u);
    EXPECT_EQ(bench.pauses(), (std::vector<std::uint32_t>{5}));

    CountingSleeper sleeper;
    bench.setLatency(LatencyModel{true, 100, 1024, 2048}, sleeper);
    client.set(kOidEnableAux);  // 100
    std::vector<std::uint8_t> data;
    client.auxRead(0x7E0000, 512, data);          // 100 + 512
    client.prepareWrites();                       // 3 x 100
    client.auxWrite(0x7E4000, pattern(1024, 0));  // 100 + 2048
    bench.library().sleepMilliseconds(5);         // 5000
    EXPECT_EQ(sleeper.totalMicros(), 100u + 612 + 300 + 2148 + 5000);
    EXPECT_EQ(bench.simulatedLibrary().latencyMicros(), sleeper.totalMicros());
    EXPECT_EQ(bench.pauses(), (std::vector<std::uint32_t>{5, 5}));
}

}  // namespace
}  // namespace quillon::sim
