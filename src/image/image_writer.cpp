#include "image/image_writer.h"

#include <array>

#include "base/atomic_file.h"
#include "base/hex_digits.h"
#include "image/srec_reader.h"

namespace quillon::image {
namespace {

constexpr std::uint16_t kBlockBytes = 16;

void appendHexByte(std::string& out, std::uint8_t value, bool upperCase) {
    out.push_back(hexDigitChar(value >> 4, upperCase));
    out.push_back(hexDigitChar(value & 0xF, upperCase));
}

std::size_t addressBytesOf(char type) {
    switch (type) {
        case '2':
        case '8':
            return 3;
        case '3':
        case '7':
            return 4;
        default:
            return 2;
    }
}

void appendLittleEndian32(std::array<std::uint8_t, kPlugRecordBytes>& bytes, std::size_t at,
                          std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

}  // namespace

void appendSrecLine(std::string& out, char type, std::uint32_t address,
                    std::span<const std::uint8_t> data) {
    const std::size_t addressBytes = addressBytesOf(type);
    out += 'S';
    out += type;
    const auto count = static_cast<std::uint8_t>(data.size() + addressBytes + 1);
    unsigned sum = count;
    appendHexByte(out, count, true);
    for (std::size_t shift = 8 * addressBytes; shift > 0; shift -= 8) {
        const auto byte = static_cast<std::uint8_t>(address >> (shift - 8));
        sum += byte;
        appendHexByte(out, byte, true);
    }
    for (const std::uint8_t byte : data) {
        sum += byte;
        appendHexByte(out, byte, true);
    }
    appendHexByte(out, static_cast<std::uint8_t>(~sum), true);
}

std::string hexFileText(MemoryImage& image, PlugList* plugs, std::uint32_t* records) {
    std::string out;
    out.reserve(std::size_t{image.countBlocks(kBlockBytes, 0)} * 48 + 32);
    std::uint32_t written = 0;
    std::array<std::uint8_t, kBlockBytes> block{};
    std::uint32_t address = 0;
    std::uint16_t count = 0;
    while (image.nextBlock(block, &address, &count, kBlockBytes, 0)) {
        appendSrecLine(out, '3', address, std::span(block.data(), count));
        out += "\r\n";
        ++written;
    }
    if (plugs != nullptr) {
        for (const PlugRecord& plug : plugs->records()) {
            std::array<std::uint8_t, kPlugRecordBytes> bytes{};
            appendLittleEndian32(bytes, 0, plug.pdrCode);
            appendLittleEndian32(bytes, 4, plug.targetAddress);
            appendLittleEndian32(bytes, 8, plug.length);
            appendSrecLine(out, '3', kPlugRecordAddress, bytes);
            out += "\r\n";
        }
    }
    appendSrecLine(out, '7', image.hasExecutionAddress() ? image.executionAddress() : 0, {});
    out += "\r\n";
    if (records != nullptr) {
        *records = written + 1;
    }
    return out;
}

std::uint16_t writeHexFile(const std::string& path, MemoryImage& image, PlugList* plugs) {
    std::uint32_t records = 0;
    const std::string text = hexFileText(image, plugs, &records);
    if (!writeFileAtomically(path, text)) {
        return 0;
    }
    return static_cast<std::uint16_t>(records);
}

std::string dumpFileText(MemoryImage& image, std::uint32_t* lines) {
    std::string out;
    std::uint32_t written = 0;
    std::array<std::uint8_t, kBlockBytes> block{};
    std::uint32_t address = 0;
    std::uint16_t count = 0;
    while (image.nextBlock(block, &address, &count, kBlockBytes, 0)) {
        bool leading = true;
        for (int shift = 28; shift >= 0; shift -= 4) {
            const unsigned digit = (address >> shift) & 0xF;
            if (leading && digit == 0 && shift != 0) {
                continue;
            }
            leading = false;
            out += hexDigitChar(digit, false);
        }
        for (std::size_t i = 0; i < count; i += 2) {
            out += i == 0 ? ": " : " ";
            // An odd byte at the end of a block makes the low byte of a word whose high
            // byte the data does not define; it is written as 0.
            const std::uint8_t high = i + 1 < count ? block[i + 1] : 0;
            appendHexByte(out, high, false);
            appendHexByte(out, block[i], false);
        }
        out += "\r\n";
        ++written;
    }
    if (lines != nullptr) {
        *lines = written;
    }
    return out;
}

std::uint16_t writeDumpFile(const std::string& path, MemoryImage& image) {
    std::uint32_t lines = 0;
    const std::string text = dumpFileText(image, &lines);
    if (lines == 0 || !writeFileAtomically(path, text)) {
        return 0;
    }
    return static_cast<std::uint16_t>(lines);
}

}  // namespace quillon::image
