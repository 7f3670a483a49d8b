#include "pda/pda_text.h"

#include "base/hex_digits.h"

namespace quillon::pda {
namespace {

constexpr std::size_t kMacDigits = 12;
constexpr std::size_t kSerialCharacters = 12;

}  // namespace

std::optional<std::array<std::uint16_t, 3>> parseMac(std::string_view text) {
    if (text.size() < kMacDigits) {
        return std::nullopt;
    }
    std::array<int, kMacDigits> digits{};
    std::size_t found = 0;
    for (const char c : text) {
        if (found == kMacDigits || static_cast<unsigned char>(c) > 0x7F) {
            break;
        }
        const int value = hexDigitValue(c);
        if (value >= 0) {
            digits[found++] = value;
        }
    }
    if (found < kMacDigits) {
        return std::nullopt;
    }
    std::array<std::uint16_t, 3> words{};
    for (std::size_t byte = 0; byte < 6; ++byte) {
        const unsigned value = static_cast<unsigned>(digits[2 * byte] * 16 + digits[2 * byte + 1]);
        const unsigned shift = (byte % 2 == 0) ? 0 : 8;
        words[byte / 2] = static_cast<std::uint16_t>(words[byte / 2] | (value << shift));
    }
    return words;
}

std::string formatMac(const std::array<std::uint16_t, 3>& words) {
    std::string text;
    text.reserve(17);
    for (std::size_t byte = 0; byte < 6; ++byte) {
        const unsigned value = (byte % 2 == 0) ? (words[byte / 2] & 0xFFU) : (words[byte / 2] >> 8);
        if (byte != 0) {
            text += '-';
        }
        text += hexDigitChar(value >> 4, false);
        text += hexDigitChar(value & 0xFU, false);
    }
    return text;
}

std::array<std::uint16_t, 6> packSerial(std::string_view text) {
    std::array<std::uint16_t, 6> words{};
    const std::size_t used = text.size() < kSerialCharacters ? text.size() : kSerialCharacters;
    for (std::size_t i = 0; i < used; ++i) {
        const unsigned value = static_cast<unsigned char>(text[i]);
        const unsigned shift = (i % 2 == 0) ? 0 : 8;
        words[i / 2] = static_cast<std::uint16_t>(words[i / 2] | (value << shift));
    }
    return words;
}

std::string pdrText(const PdrRecord& record) {
    std::string text;
    for (const std::uint16_t word : record.data()) {
        for (const unsigned byte : {word & 0xFFU, static_cast<unsigned>(word >> 8)}) {
            if (byte == 0) {
                return text;
            }
            const bool printable = byte >= 0x20 && byte <= 0x7E;
            text += printable ? static_cast<char>(byte) : ' ';
        }
    }
    return text;
}

}  // namespace quillon::pda
