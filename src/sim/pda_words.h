// Builds the words of a PDA as a card stores them: the records, then the end record (2,
// 0x0000, checksum) whose CRC-16/ARC covers every record word and the end record's first two
// words, each word low byte first.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "sim/bench_config.h"

namespace quillon::sim {

inline constexpr std::size_t kPdaWords = 512;

// CRC-16/ARC (polynomial 0x8005 reflected, initial value given, no final xor).
std::uint16_t crc16Arc(std::uint16_t crc, std::span<const std::uint8_t> bytes);

// The records in the order given, each as length word (data words + 1), code, data; then the
// end record. The caller keeps the result within 512 words.
std::vector<std::uint16_t> buildPdaWords(std::span<const PdrConfig> records);

// The number of words buildPdaWords produces.
std::size_t pdaWordCount(std::span<const PdrConfig> records);

// Text packed two characters to a word, low byte first, padded with zero bytes to dataWords
// words (or to the text's own length when dataWords is smaller).
std::vector<std::uint16_t> textWords(const std::string& text, std::size_t dataWords);

}  // namespace quillon::sim
