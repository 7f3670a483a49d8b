// Programming a 200 KiB firmware image block by block, with the simulated card's latency off.
//
// Two backends: the simulated bench (what a person rehearsing an update waits for), and a
// library that answers every request at once, which leaves only the program's own cost per
// block. The counters compare the requests sent with the minimum: one aux write per block of
// at most 2042 bytes that crosses no 64 KiB boundary.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "card/adapter_session.h"
#include "card/flash_programming.h"
#include "image/memory_image.h"
#include "sim/simulated_bench.h"

namespace {

using namespace quillon;

constexpr std::uint32_t kImageBytes = 200 * 1024;
constexpr std::uint32_t kImageAddress = 0x00100000;

// A 200 KiB image of one range, appended in runs as the S-record reader would.
void fillImage(image::MemoryImage& image) {
    std::vector<std::uint8_t> run(2048);
    for (std::uint32_t offset = 0; offset < kImageBytes; offset += run.size()) {
        for (std::size_t i = 0; i < run.size(); ++i) {
            run[i] = static_cast<std::uint8_t>((offset + i) * 13 + 5);
        }
        image.append(run, kImageAddress + offset);
    }
}

class SilentFace : public ui::UserInterface {
  public:
    ui::Answer messageBox(const ui::MessageBox&) override { return ui::Answer::Yes; }
};

// A driver that takes every request at once and answers reads with the bytes it was sent,
// behind a registry of one enabled adapter.
class InstantLibrary : public card::AccessLibrary {
  public:
    std::uint64_t requests = 0;

    bool W32N_IsWindowsNT() override { return false; }
    bool W32N_IsWindows95() override { return true; }
    std::uint32_t W32N_OSGetPlatformVersion(std::uint32_t) override { return 4; }
    std::uint32_t W32N_GetAdapterRegistryInfo(card::AdapterRegistryInfo& info,
                                              std::string_view) override {
        info.bytes.fill('\0');
        return 0;
    }
    card::AdapterHandle W32N_OpenAdapterA(std::string_view) override { return 1; }
    void W32N_CloseAdapter(card::AdapterHandle) override {}
    std::uint32_t W32N_GetLastError() override { return 0; }
    std::uint32_t W32N_MakeNdisRequest(card::AdapterHandle, card::AdapterRequest& request,
                                       card::Overlapped&, std::uint32_t) override {
        ++requests;
        benchmark::DoNotOptimize(request.buffer);
        return card::kNdisStatusSuccess;
    }
    card::EventHandle createEvent() override { return 1; }
    void resetEvent(card::EventHandle) override {}
    void closeEvent(card::EventHandle) override {}
    void sleepMilliseconds(std::uint32_t) override {}
};

class OneAdapterRegistry : public card::Registry {
  public:
    std::optional<card::RegistryKey> openKey(card::RegistryKey, std::string_view) override {
        return 0x1000;
    }
    bool enumKey(card::RegistryKey, std::uint32_t index, std::span<char> name) override {
        if (index != 0 || name.size() < 5) {
            return false;
        }
        std::memcpy(name.data(), "0000", 5);
        return true;
    }
    bool queryValue(card::RegistryKey, std::string_view, std::span<std::uint8_t>,
                    std::size_t&) override {
        return false;
    }
    void closeKey(card::RegistryKey) override {}
};

void report(benchmark::State& state, image::MemoryImage& image, std::uint64_t requests) {
    const auto blocks =
        image.countBlocks(static_cast<std::uint16_t>(card::AuxBlock::kMaxData), 0x10000);
    state.counters["blocks"] = blocks;
    state.counters["requests_per_run"] =
        static_cast<double>(requests) / static_cast<double>(state.iterations());
    state.counters["minimum_requests"] = blocks;
    state.counters["per_block"] =
        benchmark::Counter(static_cast<double>(blocks) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kImageBytes);
}

// force: every block written; otherwise the card already holds the image and is only read.
void programOnSimulatedCard(benchmark::State& state, bool force) {
    sim::SimulatedBench bench(sim::defaultBenchConfig());
    SilentFace face;
    card::AdapterSession session(bench.library(), bench.registry(), face);
    if (!session.openAdapter(0)) {
        state.SkipWithError("the simulated adapter does not open");
        return;
    }
    session.setMacType(card::kMacType3842);
    image::MemoryImage image;
    fillImage(image);
    card::programImage(session, image, nullptr, true, false, false, face);
    std::uint64_t requests = 0;
    for (auto _ : state) {
        bench.clearRequests();
        const bool ok = card::programImage(session, image, nullptr, force, false, false, face);
        requests += bench.requests().size();
        if (!ok) {
            state.SkipWithError("programming failed");
            return;
        }
    }
    report(state, image, requests);
}

void BM_ProgramSimulatedCardForced(benchmark::State& state) {
    programOnSimulatedCard(state, true);
}
BENCHMARK(BM_ProgramSimulatedCardForced)->Unit(benchmark::kMillisecond);

void BM_ProgramSimulatedCardUnchanged(benchmark::State& state) {
    programOnSimulatedCard(state, false);
}
BENCHMARK(BM_ProgramSimulatedCardUnchanged)->Unit(benchmark::kMillisecond);

// The program's own cost: cutting blocks from the image, packing the requests, the loop.
void BM_ProgramInstantDriver(benchmark::State& state) {
    InstantLibrary library;
    OneAdapterRegistry registry;
    SilentFace face;
    card::AdapterSession session(library, registry, face);
    if (!session.openAdapter(0)) {
        state.SkipWithError("the adapter does not open");
        return;
    }
    session.setMacType(card::kMacType3842);
    image::MemoryImage image;
    fillImage(image);
    const std::uint64_t before = library.requests;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            card::programImage(session, image, nullptr, true, false, false, face));
    }
    report(state, image, library.requests - before);
}
BENCHMARK(BM_ProgramInstantDriver)->Unit(benchmark::kMicrosecond);

// What copying the image's bytes costs on its own, for comparison.
void BM_CopyImageBytes(benchmark::State& state) {
    std::vector<std::uint8_t> from(kImageBytes, 0x5A);
    std::vector<std::uint8_t> to(kImageBytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kImageBytes);
}
BENCHMARK(BM_CopyImageBytes)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
