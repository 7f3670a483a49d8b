// Plug records: the places in a firmware image where card-specific production data (or the
// image's own file name) is written before the image is programmed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillon::image {

// The PDR code of the plug that takes the image's file name.
inline constexpr std::uint32_t kFileNamePlug = 0xFFFFFFFF;

enum PlugStatus : std::uint32_t {
    kPlugApplied = 0,
    kPlugPending = 1,     // set on insertion and by resetStatuses
    kPlugPdrMissing = 2,  // the PDR is not in the card's PDA
    kPlugNoTarget = 3,    // the target area is not in the image, or the file name did not fit
    kPlugLengthDiffers = 4,
};

struct PlugRecord {
    std::uint32_t pdrCode = 0;
    std::uint32_t targetAddress = 0;
    std::uint16_t length = 0;
    std::uint32_t status = kPlugPending;
};

// Kept in ascending order of target address; a record for an address already present
// replaces the earlier one.
class PlugList {
  public:
    // 0 when a record with the same target address was replaced, 1 when the new record went
    // before a record with a greater address (or into an empty list), 2 when it went to the end.
    int insert(std::uint32_t pdrCode, std::uint32_t targetAddress, std::uint16_t length);

    void rewind() { cursor_ = 0; }
    // The record at the cursor, which then moves on; nullptr at the end. Pointers stay valid
    // until the list is next changed by insert or clear.
    PlugRecord* next();

    std::size_t count() const { return records_.size(); }
    void clear();
    void resetStatuses();
    // Sets the status and returns the old one.
    std::uint32_t setStatus(PlugRecord& record, std::uint32_t value);

    const std::vector<PlugRecord>& records() const { return records_; }

  private:
    std::vector<PlugRecord> records_;
    std::size_t cursor_ = 0;
};

}  // namespace quillon::image
