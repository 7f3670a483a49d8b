// The S-record format as firmware files use it. Records at addresses from 0x00F00000 up lie
// above the card's address space and carry plug, marker and information records instead of
// image data. The reader itself is FirmwareInfo::readFile (firmware_info.h), because the
// information records it decodes belong to the FirmwareInfo.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quillon::image {

inline constexpr std::uint32_t kReservedAddressStart = 0x00F00000;
inline constexpr std::uint32_t kPlugRecordAddress = 0xFF000000;
inline constexpr std::uint32_t kMarkerRecordAddress = 0xFF100000;
// Information records use any address from 0xFF200000 to 0xFF2FFFFF.
inline constexpr std::uint32_t kInfoRecordBase = 0xFF200000;
inline constexpr std::uint32_t kInfoRecordMask = 0xFFF00000;

// Plug and marker records carry three 32-bit little-endian values.
inline constexpr std::size_t kPlugRecordBytes = 12;
// The marker word placed just below the marker's address.
inline constexpr std::uint16_t kMarkerWord = 0xC0DE;

// Lines are read in pieces of at most this many characters; no record is that long
// (the longest, with a byte count of 255, has 514), so a longer line is always refused.
inline constexpr std::size_t kSrecLinePiece = 519;
// A file may hold this many lines and one more; a longer file is refused, never read in part.
inline constexpr std::uint16_t kSrecLineLimit = 32000;

}  // namespace quillon::image
