#include "image/plug_list.h"

#include <algorithm>

namespace quillon::image {

int PlugList::insert(std::uint32_t pdrCode, std::uint32_t targetAddress, std::uint16_t length) {
    const PlugRecord record{pdrCode, targetAddress, length, kPlugPending};
    const auto at = std::lower_bound(
        records_.begin(), records_.end(), targetAddress,
        [](const PlugRecord& r, std::uint32_t address) { return r.targetAddress < address; });
    if (at == records_.end()) {
        const bool wasEmpty = records_.empty();
        records_.push_back(record);
        return wasEmpty ? 1 : 2;
    }
    // One target address takes one plug: the record read later wins.
    if (at->targetAddress == targetAddress) {
        *at = record;
        return 0;
    }
    records_.insert(at, record);
    return 1;
}

PlugRecord* PlugList::next() {
    if (cursor_ >= records_.size()) {
        return nullptr;
    }
    return &records_[cursor_++];
}

void PlugList::clear() {
    records_.clear();
    cursor_ = 0;
}

void PlugList::resetStatuses() {
    for (PlugRecord& r : records_) {
        r.status = kPlugPending;
    }
}

std::uint32_t PlugList::setStatus(PlugRecord& record, std::uint32_t value) {
    const std::uint32_t old = record.status;
    record.status = value;
    return old;
}

}  // namespace quillon::image
