// CRC-16/ARC, the checksum the card keeps in the end record of its PDA.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "pda/pda_image.h"

namespace quillon::pda {
namespace {

// The byte-at-a-time table for the reflected polynomial 0x8005 (0xA001 reflected).
constexpr std::array<std::uint16_t, 256> makeTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t crc = static_cast<std::uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1U) != 0 ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001U)
                                  : static_cast<std::uint16_t>(crc >> 1);
        }
        table[i] = crc;
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> kTable = makeTable();

constexpr std::uint16_t update(std::uint16_t crc, std::uint8_t byte) {
    return static_cast<std::uint16_t>(kTable[(crc ^ byte) & 0xFFU] ^ (crc >> 8));
}

}  // namespace

std::uint16_t crc16Arc(std::uint16_t crc, std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t b : bytes) {
        crc = update(crc, b);
    }
    return crc;
}

std::uint16_t crc16ArcWords(std::uint16_t crc, std::span<const std::uint16_t> words) {
    // The card stores words low byte first, and the checksum runs over them as stored.
    for (const std::uint16_t w : words) {
        crc = update(crc, static_cast<std::uint8_t>(w & 0xFFU));
        crc = update(crc, static_cast<std::uint8_t>(w >> 8));
    }
    return crc;
}

}  // namespace quillon::pda
