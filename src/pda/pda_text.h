// The text forms of PDA values that the program shows and edits: the MAC address record
// (0x0101), the serial number record (0x0003) and other records that hold text.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "pda/pda_image.h"

namespace quillon::pda {

// The first 12 hexadecimal digits of the text (either case; every other character is
// skipped, and a character outside 7-bit ASCII ends the scan) as the three data words of the
// MAC address record: byte 0 in the low byte of the first word, byte 1 in its high byte, and
// so on. None when the text is shorter than 12 characters or holds fewer than 12 digits.
std::optional<std::array<std::uint16_t, 3>> parseMac(std::string_view text);

// The six bytes of the three words as "00-11-22-33-44-55", in lower case.
std::string formatMac(const std::array<std::uint16_t, 3>& words);

// The first 12 characters of the text, two to a word with the first of each pair in the low
// byte, as the six data words of the serial number record; unused bytes are 0.
std::array<std::uint16_t, 6> packSerial(std::string_view text);

// The text held in the record's data words (low byte of each word first), cut at the first
// zero byte, with every byte that is not printable ASCII shown as a blank.
std::string pdrText(const PdrRecord& record);

}  // namespace quillon::pda
