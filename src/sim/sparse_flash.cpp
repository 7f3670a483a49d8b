#include "sim/sparse_flash.h"

#include <algorithm>

namespace quillon::sim {

void SparseFlash::read(std::uint32_t address, std::span<std::uint8_t> out) const {
    std::size_t done = 0;
    while (done < out.size()) {
        const std::uint32_t at = address + static_cast<std::uint32_t>(done);
        const std::uint32_t offset = at % kPageSize;
        const std::size_t count = std::min<std::size_t>(kPageSize - offset, out.size() - done);
        const auto page = pages_.find(at / kPageSize);
        if (page == pages_.end()) {
            std::fill_n(out.begin() + static_cast<std::ptrdiff_t>(done), count, kErased);
        } else {
            std::copy_n(page->second.begin() + offset, count,
                        out.begin() + static_cast<std::ptrdiff_t>(done));
        }
        done += count;
    }
}

std::vector<std::uint8_t> SparseFlash::read(std::uint32_t address, std::size_t length) const {
    std::vector<std::uint8_t> out(length);
    read(address, out);
    return out;
}

void SparseFlash::write(std::uint32_t address, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::uint32_t at = address + static_cast<std::uint32_t>(done);
        const std::uint32_t offset = at % kPageSize;
        const std::size_t count = std::min<std::size_t>(kPageSize - offset, bytes.size() - done);
        auto [page, created] = pages_.try_emplace(at / kPageSize);
        if (created) {
            page->second.fill(kErased);
        }
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(done), count,
                    page->second.begin() + offset);
        done += count;
    }
}

}  // namespace quillon::sim
