// Sends requests to a simulated bench the way the card-access code does, so the sim tests can
// speak to a card in a line each.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "sim/simulated_bench.h"

namespace quillon::sim::testing {

class BenchClient {
  public:
    // Opens the adapter at position by the name adapter discovery would give it.
    explicit BenchClient(SimulatedBench& bench, std::size_t position = 0);
    ~BenchClient();

    card::AdapterHandle handle() const { return handle_; }
    bool isOpen() const { return handle_ != card::kInvalidAdapterHandle; }

    std::uint32_t request(std::uint32_t type, std::uint32_t oid, std::vector<std::uint8_t>& buffer);
    std::uint32_t set(std::uint32_t oid);
    // The reply words (length word first) in words.
    std::uint32_t readRid(std::uint16_t rid, std::vector<std::uint16_t>& words);
    std::uint32_t auxRead(std::uint32_t address, std::uint16_t length,
                          std::vector<std::uint8_t>& data);
    std::uint32_t auxWrite(std::uint32_t address, std::span<const std::uint8_t> data);
    std::uint32_t setupWrite(std::uint32_t address = 0x007FDE66);
    // Blocks protocols, enables the aux port and makes the setup write for the card's type.
    void prepareWrites();
    std::uint32_t finish() { return set(kOidFinish); }

  private:
    SimulatedBench& bench_;
    std::size_t position_;
    card::AdapterHandle handle_;
};

std::string openName(const SimulatedBench& bench, std::size_t position);
std::vector<std::uint8_t> pattern(std::size_t length, std::uint8_t seed);

}  // namespace quillon::sim::testing
