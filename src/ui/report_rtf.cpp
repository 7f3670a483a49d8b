#include "ui/report_rtf.h"

#include <array>
#include <cstdint>

#include "ui/report_text.h"

namespace quillon::ui {
namespace {

// The colour table, in the markup's order; \cf1 is black, \cf0 the reader's own default.
constexpr std::array<std::string_view, 7> kColourNames{"black",    "red",     "green", "blue",
                                                       "darkblue", "magenta", "cyan"};

int colourIndex(const std::string& name) {
    for (std::size_t i = 0; i < kColourNames.size(); ++i) {
        if (kColourNames[i] == name) {
            return static_cast<int>(i) + 1;
        }
    }
    return 1;
}

constexpr char32_t kReplacement = 0xFFFD;

// The code point at text[i], advancing i past it; a byte that starts no valid UTF-8 sequence
// becomes the replacement character, so that any report gives a well-formed document.
char32_t nextCodePoint(std::string_view text, std::size_t& i) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    char32_t point = 0;
    char32_t smallest = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, point = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, point = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, point = lead & 0x07, smallest = 0x10000;
    } else {
        ++i;
        return kReplacement;
    }
    if (i + length > text.size()) {
        ++i;
        return kReplacement;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        point = (point << 6) | (byte(i + k) & 0x3F);
    }
    if (point < smallest || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += length;
    return point;
}

// RTF gives \u a signed 16-bit number; "?" is what a reader without Unicode shows instead.
void appendUnicode(std::string& rtf, char32_t unit) {
    rtf += "\\u";
    rtf += std::to_string(static_cast<std::int16_t>(static_cast<std::uint16_t>(unit)));
    rtf += '?';
}

void appendText(std::string& rtf, std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const char32_t point = nextCodePoint(text, i);
        switch (point) {
            case '\\':
            case '{':
            case '}':
                rtf += '\\';
                rtf += static_cast<char>(point);
                break;
            case '\n':
                rtf += "\\par\n";
                break;
            case '\r':
                break;
            case '\t':
                rtf += "\\tab ";
                break;
            default:
                if (point < 0x20 || point == 0x7F) {
                    rtf += ' ';
                } else if (point < 0x80) {
                    rtf += static_cast<char>(point);
                } else if (point < 0x10000) {
                    appendUnicode(rtf, point);
                } else {
                    const char32_t v = point - 0x10000;
                    appendUnicode(rtf, 0xD800 + (v >> 10));
                    appendUnicode(rtf, 0xDC00 + (v & 0x3FF));
                }
        }
    }
}

}  // namespace

std::string reportRtf(std::string_view text) {
    std::string rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss MS Sans Serif;}}{\\colortbl;";
    for (const std::string_view name : kColourNames) {
        Colour colour;
        std::string longName;
        colourOfName(name, colour, longName);
        rtf += "\\red" + std::to_string(colour.red) + "\\green" + std::to_string(colour.green) +
               "\\blue" + std::to_string(colour.blue) + ';';
    }
    rtf += "}\\f0\\fs16";
    int current = 0;
    for (const ReportSegment& segment : parseReportText(text)) {
        const int index = colourIndex(segment.colourName);
        if (index != current) {
            rtf += "\\cf" + std::to_string(index) + ' ';
            current = index;
        }
        appendText(rtf, segment.text);
    }
    rtf += "}";
    return rtf;
}

}  // namespace quillon::ui
