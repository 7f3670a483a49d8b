// Builds S-record lines for the tests, with their byte counts and checksums worked out.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace quillon::image::testing {

inline std::string hexByte(unsigned value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[(value >> 4) & 0xF], kDigits[value & 0xF]};
}

inline int addressBytesOf(char type) {
    switch (type) {
        case '1':
        case '9':
            return 2;
        case '2':
        case '8':
            return 3;
        case '3':
        case '7':
            return 4;
        default:
            return 0;
    }
}

// One record line (without a line end). checksumDelta spoils the checksum when nonzero.
inline std::string srec(char type, std::uint32_t address, const std::vector<std::uint8_t>& data,
                        int checksumDelta = 0) {
    const int addressBytes = addressBytesOf(type);
    const unsigned count = static_cast<unsigned>(addressBytes + data.size() + 1);
    unsigned sum = count;
    std::string line = std::string("S") + type + hexByte(count);
    for (int i = addressBytes - 1; i >= 0; --i) {
        const unsigned byte = (address >> (8 * i)) & 0xFF;
        sum += byte;
        line += hexByte(byte);
    }
    for (std::uint8_t b : data) {
        sum += b;
        line += hexByte(b);
    }
    line += hexByte((~sum + static_cast<unsigned>(checksumDelta)) & 0xFF);
    return line;
}

inline std::vector<std::uint8_t> le32(std::initializer_list<std::uint32_t> values) {
    std::vector<std::uint8_t> out;
    for (std::uint32_t v : values) {
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        }
    }
    return out;
}

// An information record: W0 (the number of words after it) is added in front.
inline std::string infoRecord(std::vector<std::uint16_t> words,
                              std::uint32_t address = 0xFF200000) {
    std::vector<std::uint8_t> data;
    words.insert(words.begin(), static_cast<std::uint16_t>(words.size()));
    for (std::uint16_t w : words) {
        data.push_back(static_cast<std::uint8_t>(w));
        data.push_back(static_cast<std::uint8_t>(w >> 8));
    }
    return srec('3', address, data);
}

// The raw words, W0 included, for records whose size word lies.
inline std::string rawInfoRecord(const std::vector<std::uint16_t>& words) {
    std::vector<std::uint8_t> data;
    for (std::uint16_t w : words) {
        data.push_back(static_cast<std::uint8_t>(w));
        data.push_back(static_cast<std::uint8_t>(w >> 8));
    }
    return srec('3', 0xFF200000, data);
}

inline std::string plugRecord(std::uint32_t code, std::uint32_t target, std::uint32_t length) {
    return srec('3', 0xFF000000, le32({code, target, length}));
}

inline std::string markerRecord(std::uint32_t address, std::uint32_t length, std::uint32_t flag) {
    return srec('3', 0xFF100000, le32({address, length, flag}));
}

inline std::vector<std::uint8_t> counting(std::size_t size, std::uint8_t first = 0) {
    std::vector<std::uint8_t> out(size);
    for (std::size_t i = 0; i < size; ++i) {
        out[i] = static_cast<std::uint8_t>(first + i);
    }
    return out;
}

// Lines joined with the given line end, each line ended.
inline std::string lines(std::initializer_list<std::string> items, const char* end = "\n") {
    std::string out;
    for (const std::string& item : items) {
        out += item;
        out += end;
    }
    return out;
}

inline const std::string kEnd = "S70500000000FA";

}  // namespace quillon::image::testing
