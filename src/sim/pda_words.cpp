#include "sim/pda_words.h"

#include <array>
#include <string>

namespace quillon::sim {

std::uint16_t crc16Arc(std::uint16_t crc, std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
        crc = static_cast<std::uint16_t>(crc ^ byte);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) != 0 ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                                 : static_cast<std::uint16_t>(crc >> 1);
        }
    }
    return crc;
}

namespace {

std::uint16_t crcWord(std::uint16_t crc, std::uint16_t word) {
    const std::array<std::uint8_t, 2> bytes{static_cast<std::uint8_t>(word & 0xFF),
                                            static_cast<std::uint8_t>(word >> 8)};
    return crc16Arc(crc, bytes);
}

}  // namespace

std::size_t pdaWordCount(std::span<const PdrConfig> records) {
    std::size_t count = 3;
    for (const PdrConfig& record : records) {
        count += 2 + record.data.size();
    }
    return count;
}

std::vector<std::uint16_t> buildPdaWords(std::span<const PdrConfig> records) {
    std::vector<std::uint16_t> words;
    words.reserve(pdaWordCount(records));
    for (const PdrConfig& record : records) {
        words.push_back(static_cast<std::uint16_t>(record.data.size() + 1));
        words.push_back(record.code);
        words.insert(words.end(), record.data.begin(), record.data.end());
    }
    words.push_back(2);
    words.push_back(0);
    std::uint16_t crc = 0;
    for (const std::uint16_t word : words) {
        crc = crcWord(crc, word);
    }
    words.push_back(crc);
    return words;
}

std::vector<std::uint16_t> textWords(const std::string& text, std::size_t dataWords) {
    std::vector<std::uint16_t> words((text.size() + 1) / 2, 0);
    if (words.size() < dataWords) {
        words.resize(dataWords, 0);
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<std::uint16_t>(static_cast<unsigned char>(text[i]));
        words[i / 2] = static_cast<std::uint16_t>(words[i / 2] | (i % 2 == 0 ? byte : byte << 8));
    }
    return words;
}

}  // namespace quillon::sim
