#include "sim/identity_block.h"

namespace quillon::sim {

namespace {

constexpr std::array<std::uint8_t, 4> kMagic{'Q', 'I', 'D', 'B'};

void putWord(std::array<std::uint8_t, kIdentityBlockSize>& out, std::size_t offset,
             std::uint16_t value) {
    out[offset] = static_cast<std::uint8_t>(value & 0xFF);
    out[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

std::uint16_t getWord(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

}  // namespace

std::array<std::uint8_t, kIdentityBlockSize> encodeIdentityBlock(const IdentityBlock& block) {
    std::array<std::uint8_t, kIdentityBlockSize> out{};
    for (std::size_t i = 0; i < kMagic.size(); ++i) {
        out[i] = kMagic[i];
    }
    putWord(out, 4, block.componentId);
    putWord(out, 6, block.variant);
    putWord(out, 8, block.major);
    putWord(out, 10, block.minor);
    putWord(out, 12, block.rangeRole);
    putWord(out, 14, block.rangeInterface);
    putWord(out, 16, block.rangeVariant);
    putWord(out, 18, block.rangeBottom);
    putWord(out, 20, block.rangeTop);
    putWord(out, 22, 0);
    return out;
}

std::optional<IdentityBlock> decodeIdentityBlock(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kIdentityBlockSize) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < kMagic.size(); ++i) {
        if (bytes[i] != kMagic[i]) {
            return std::nullopt;
        }
    }
    IdentityBlock block;
    block.componentId = getWord(bytes, 4);
    block.variant = getWord(bytes, 6);
    block.major = getWord(bytes, 8);
    block.minor = getWord(bytes, 10);
    block.rangeRole = getWord(bytes, 12);
    block.rangeInterface = getWord(bytes, 14);
    block.rangeVariant = getWord(bytes, 16);
    block.rangeBottom = getWord(bytes, 18);
    block.rangeTop = getWord(bytes, 20);
    return block;
}

}  // namespace quillon::sim
