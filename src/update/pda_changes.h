// What an update does to the card's identity: every PDA record the merged ".pda" files and the
// derived values change, with the MAC address and the serial number told old and new in words.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pda/pda_image.h"

namespace quillon::update {

struct PdaChange {
    enum class Kind { Added, Changed, Removed };
    std::uint16_t code = 0;
    Kind kind = Kind::Changed;
    std::string before;  // the record's value as the card holds it (empty when added)
    std::string after;   // its value once written (empty when removed)
};

// What a record is, for the codes this program knows ("MAC address"), or empty.
std::string pdrName(std::uint16_t code);
// A record's value in words: the MAC address as 00-02-B3-AB-CD-EF, texts (part and serial
// number) as their characters, anything else as its data words in hex.
std::string pdrValueText(const pda::PdrRecord& record);

// The records that differ between the PDA as read and the PDA to be written, in code order.
std::vector<PdaChange> pdaChanges(const pda::PdaImage& before, const pda::PdaImage& after);

// The report's section on them (ReportText, magenta), or empty when nothing changes.
std::string pdaChangesReport(const std::vector<PdaChange>& changes);

}  // namespace quillon::update
