// A simulated bench for the card tests, with the session and the scripted face on it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench_adapters.h"
#include "card/adapter_session.h"
#include "fake_user_interface.h"
#include "sim/simulated_bench.h"

namespace quillon::testing {

// One PRISM card of the given MAC type.
inline sim::BenchConfig oneCardBench(std::uint16_t macType = card::kMacType3842) {
    sim::BenchConfig config = sim::defaultBenchConfig();
    config.adapters.at(0).card->macType = macType;
    return config;
}

inline sim::RequestRecord aux(std::uint32_t oid, std::uint32_t address, std::uint32_t length,
                              std::uint32_t status = 0) {
    const std::uint32_t type =
        oid == card::OID_PRIV_AUX_READ ? card::kQueryInformation : card::kSetInformation;
    return sim::RequestRecord{type, oid, address, length, status};
}

inline sim::RequestRecord plain(std::uint32_t oid, std::uint32_t status = 0) {
    const bool query = oid == card::OID_PRIV_READ_RID || oid == card::OID_PRIV_PROBE ||
                       oid == card::OID_802_3_PERMANENT_ADDRESS ||
                       oid == card::OID_GEN_VENDOR_DRIVER_VERSION;
    return sim::RequestRecord{query ? card::kQueryInformation : card::kSetInformation, oid, 0, 0,
                              status};
}

// A bench, a face and a session on the bench's first adapter.
class CardBenchTest : public ::testing::Test {
  protected:
    explicit CardBenchTest(sim::BenchConfig config = sim::defaultBenchConfig())
        : bench(std::move(config)), session(bench.library(), bench.registry(), ui) {}

    // Opens adapter 0 with the MAC type set as selecting it would, and forgets the requests.
    void open(std::uint16_t macType = card::kMacType3842) {
        ASSERT_TRUE(session.openAdapter(0));
        session.setMacType(macType);
        bench.clearRequests();
    }

    // The requests of one OID, in order.
    std::vector<sim::RequestRecord> requestsOf(std::uint32_t oid) const {
        std::vector<sim::RequestRecord> out;
        for (const auto& r : bench.requests()) {
            if (r.oid == oid) {
                out.push_back(r);
            }
        }
        return out;
    }

    // Aux writes that carry data; the setup's empty write is left out.
    std::vector<sim::RequestRecord> blockWrites() const {
        std::vector<sim::RequestRecord> out;
        for (const auto& r : requestsOf(card::OID_PRIV_AUX_WRITE)) {
            if (r.length > 0) {
                out.push_back(r);
            }
        }
        return out;
    }

    sim::SimulatedBench bench;
    FakeUserInterface ui;
    card::AdapterSession session;
};

}  // namespace quillon::testing

namespace quillon::sim {
// So that failed comparisons of request logs say what was sent.
inline void PrintTo(const RequestRecord& r, std::ostream* os) {
    *os << "{type " << r.type << ", oid 0x" << std::hex << r.oid << ", address 0x" << r.address
        << std::dec << ", length " << r.length << ", status 0x" << std::hex << r.status << std::dec
        << "}";
}
}  // namespace quillon::sim
