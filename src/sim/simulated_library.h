// The simulated adapter-access library: it opens the bench's adapters by the names adapter
// discovery gives them, hands every NDIS request to the card behind the adapter, logs each
// request, and spends the time the latency model asks for.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "card/access_library.h"
#include "sim/bench_config.h"
#include "sim/simulated_card.h"
#include "sim/sleeper.h"

namespace quillon::sim {

// One NDIS request as the bench saw it: for aux reads/writes and the setup write, address
// and length are the AuxBlock's (address as sent, i.e. after the 3841 read mask); else 0.
struct RequestRecord {
    std::uint32_t type = 0;
    std::uint32_t oid = 0;
    std::uint32_t address = 0;
    std::uint32_t length = 0;
    std::uint32_t status = 0;

    friend bool operator==(const RequestRecord&, const RequestRecord&) = default;
};

class SimulatedLibrary : public card::AccessLibrary {
  public:
    // Both are the bench's and outlive the library; cards[i] stands behind config.adapters[i].
    SimulatedLibrary(const BenchConfig& config,
                     const std::vector<std::unique_ptr<SimulatedCard>>& cards);

    bool W32N_IsWindowsNT() override;
    bool W32N_IsWindows95() override;
    std::uint32_t W32N_OSGetPlatformVersion(std::uint32_t selector) override;
    std::uint32_t W32N_GetAdapterRegistryInfo(card::AdapterRegistryInfo& info,
                                              std::string_view subkeyName) override;
    card::AdapterHandle W32N_OpenAdapterA(std::string_view adapterName) override;
    void W32N_CloseAdapter(card::AdapterHandle handle) override;
    std::uint32_t W32N_GetLastError() override;
    std::uint32_t W32N_MakeNdisRequest(card::AdapterHandle handle, card::AdapterRequest& request,
                                       card::Overlapped& overlapped, std::uint32_t wait) override;
    card::EventHandle createEvent() override;
    void resetEvent(card::EventHandle event) override;
    void closeEvent(card::EventHandle event) override;
    void sleepMilliseconds(std::uint32_t milliseconds) override;

    const std::vector<RequestRecord>& requests() const { return requests_; }
    void clearRequests() { requests_.clear(); }
    const std::vector<std::uint32_t>& pauses() const { return pauses_; }

    // Latency on (model.enabled) spends time through the sleeper, which must outlive the
    // library; off, nothing waits and nothing is counted.
    void setLatency(const LatencyModel& model, Sleeper* sleeper);
    const LatencyModel& latency() const { return latency_; }
    // The time the latency model has asked for so far.
    std::uint64_t latencyMicros() const { return latencyMicros_; }

    // Adapters and events opened and not yet closed, so tests can see nothing leaks.
    std::size_t openAdapterCount() const { return open_.size(); }
    std::size_t openEventCount() const { return events_.size(); }
    // The adapter position behind an open handle, or none.
    std::optional<std::size_t> adapterOf(card::AdapterHandle handle) const;

    // Indexes the adapters' names (subkeys and device names) afresh, after they changed. The
    // library looks names up in this index, so that a bench of many adapters is detected in
    // linear time.
    void indexNames();

  private:
    struct OpenAdapter {
        std::size_t position = 0;
        CardSessionState session;
    };

    std::optional<std::size_t> findAdapterByName(std::string_view name) const;
    std::optional<std::size_t> findAdapterBySubkey(std::string_view subkey) const;
    void spend(std::uint64_t micros);

    const BenchConfig& config_;
    const std::vector<std::unique_ptr<SimulatedCard>>& cards_;
    // The first adapter of each name, by its lower-case subkey and by the lower-case name
    // the NT family opens it by ("\\Device\\" and the device name, cut to 80 characters).
    std::unordered_map<std::string, std::size_t> bySubkey_;
    std::unordered_map<std::string, std::size_t> byNtOpenName_;
    std::map<card::AdapterHandle, OpenAdapter> open_;
    card::AdapterHandle nextHandle_ = 0x100;
    std::uint32_t lastError_ = 0;
    std::set<card::EventHandle> events_;
    card::EventHandle nextEvent_ = 1;
    std::vector<RequestRecord> requests_;
    std::vector<std::uint32_t> pauses_;
    LatencyModel latency_;
    Sleeper* sleeper_ = nullptr;
    std::uint64_t latencyMicros_ = 0;
};

}  // namespace quillon::sim
