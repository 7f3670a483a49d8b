// The card's flash over its whole 32-bit address space, kept as the 4 KiB pages that were ever
// written. Bytes never written read as 0xFF, as erased flash does.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <vector>

namespace quillon::sim {

class SparseFlash {
  public:
    static constexpr std::uint32_t kPageSize = 4096;
    static constexpr std::uint8_t kErased = 0xFF;
    using Page = std::array<std::uint8_t, kPageSize>;

    // Addresses wrap at the end of the 32-bit space.
    void read(std::uint32_t address, std::span<std::uint8_t> out) const;
    std::vector<std::uint8_t> read(std::uint32_t address, std::size_t length) const;
    void write(std::uint32_t address, std::span<const std::uint8_t> bytes);

    // Pages by page number (address / kPageSize), in address order.
    const std::map<std::uint32_t, Page>& pages() const { return pages_; }
    void clear() { pages_.clear(); }

    friend bool operator==(const SparseFlash&, const SparseFlash&) = default;

  private:
    std::map<std::uint32_t, Page> pages_;
};

}  // namespace quillon::sim
