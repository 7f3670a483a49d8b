// The firmware identity block: 24 bytes that a firmware image carries at a fixed place in
// flash and that the simulated card reads when it resets, to learn which primary and station
// firmware it now runs. The sample firmware files carry these blocks.
//
// Layout, little-endian: the bytes 'Q' 'I' 'D' 'B', then 16-bit words: component id (21
// primary, 31 station), variant, major, minor, range role (0 supplier, 1 actor), range
// interface id, range variant, range bottom, range top, reserved (0).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace quillon::sim {

inline constexpr std::size_t kIdentityBlockSize = 24;
inline constexpr std::uint16_t kPrimaryComponentId = 21;
inline constexpr std::uint16_t kStationComponentId = 31;
// Where the blocks sit, relative to the card's image base.
inline constexpr std::uint32_t kStationBlockOffset = 0;
inline constexpr std::uint32_t kPrimaryBlockOffset = 0x11800;

struct IdentityBlock {
    std::uint16_t componentId = 0;
    std::uint16_t variant = 0;
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    std::uint16_t rangeRole = 0;
    std::uint16_t rangeInterface = 0;
    std::uint16_t rangeVariant = 0;
    std::uint16_t rangeBottom = 0;
    std::uint16_t rangeTop = 0;

    friend bool operator==(const IdentityBlock&, const IdentityBlock&) = default;
};

std::array<std::uint8_t, kIdentityBlockSize> encodeIdentityBlock(const IdentityBlock& block);

// The block in bytes, or none when they are too few or do not start with the magic.
std::optional<IdentityBlock> decodeIdentityBlock(std::span<const std::uint8_t> bytes);

}  // namespace quillon::sim
