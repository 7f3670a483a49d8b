#include "image/dump_reader.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>

#include "base/hex_digits.h"
#include "base/log.h"
#include "base/regular_file.h"
#include "image/line_source.h"

namespace quillon::image {
namespace {

// Filled addresses are appended in pieces of this many bytes.
constexpr std::size_t kFillPiece = 32;

enum class LineResult { Skipped, Parsed, Malformed };

struct DumpLine {
    std::uint32_t start = 0;
    std::uint32_t end = 0;  // 0: the values are stored once at start
    std::array<std::uint16_t, kDumpValueLimit> values{};
    std::size_t valueCount = 0;
};

bool isHex(char c) {
    return hexDigitValue(c) >= 0;
}
bool isComment(char c) {
    return c == ';' || c == '#';
}

std::size_t skipSpaces(std::string_view line, std::size_t pos) {
    while (pos < line.size() && line[pos] == ' ') {
        ++pos;
    }
    return pos;
}

// Card addresses have 32 bits: an address with more significant digits is refused (fits
// false) rather than cut to its low bits.
std::uint32_t readAddress(std::string_view line, std::size_t& pos, bool& fits) {
    std::uint32_t value = 0;
    while (pos < line.size() && isHex(line[pos])) {
        fits = fits && (value & 0xF0000000u) == 0;
        value = value << 4 | static_cast<std::uint32_t>(hexDigitValue(line[pos]));
        ++pos;
    }
    return value;
}

LineResult parseLine(std::string_view line, DumpLine& out) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) {
        line.remove_suffix(1);
    }
    if (line.empty() || isComment(line[0])) {
        return LineResult::Skipped;
    }
    std::size_t pos = 0;
    bool fits = true;
    out.start = readAddress(line, pos, fits);
    pos = skipSpaces(line, pos);
    out.end = 0;
    if (pos < line.size() && line[pos] == '-') {
        pos = skipSpaces(line, pos + 1);
        out.end = readAddress(line, pos, fits);
    }
    if (!fits) {
        return LineResult::Malformed;
    }
    // The separator: the writer's ':', but any character will do, except a digit: a line
    // that goes straight from its address to its values has none, and taking its first digit
    // for one would cut a value short.
    if (pos < line.size()) {
        if (isHex(line[pos])) {
            return LineResult::Malformed;
        }
        ++pos;
    }
    while (pos < line.size() && !isHex(line[pos]) && !isComment(line[pos])) {
        ++pos;
    }

    out.valueCount = 0;
    while (pos < line.size() && isHex(line[pos])) {
        if (out.valueCount == kDumpValueLimit) {
            return LineResult::Malformed;
        }
        unsigned value = 0;
        std::size_t digits = 0;
        while (pos < line.size() && isHex(line[pos])) {
            if (++digits > 4) {
                return LineResult::Malformed;
            }
            value = value << 4 | static_cast<unsigned>(hexDigitValue(line[pos]));
            ++pos;
        }
        out.values[out.valueCount++] = static_cast<std::uint16_t>(value);
        if (pos == line.size() || isComment(line[pos])) {
            break;
        }
        if (line[pos] != ' ' && line[pos] != ',') {
            return LineResult::Malformed;
        }
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == ',')) {
            ++pos;
        }
        // After a separator, anything but a value (a comment included) ends the list.
    }
    return out.valueCount == 0 ? LineResult::Malformed : LineResult::Parsed;
}

void store(const DumpLine& line, MemoryImage& image) {
    std::array<std::uint8_t, 2 * kDumpValueLimit> bytes{};
    if (line.end == 0) {
        for (std::size_t i = 0; i < line.valueCount; ++i) {
            bytes[2 * i] = static_cast<std::uint8_t>(line.values[i]);
            bytes[2 * i + 1] = static_cast<std::uint8_t>(line.values[i] >> 8);
        }
        // What the image refuses (it is full) is dropped, as for a card export.
        image.append(std::span(bytes.data(), 2 * line.valueCount), line.start);
        return;
    }
    // The values are a pattern repeated over start .. end inclusive, continuing from piece
    // to piece. A piece of odd length ends with the low byte of the next pattern value.
    std::size_t next = 0;
    for (std::uint64_t address = line.start; address <= line.end;) {
        const auto piece = static_cast<std::size_t>(
            std::min<std::uint64_t>(std::uint64_t{line.end} - address + 1, kFillPiece));
        for (std::size_t i = 0; i < piece; i += 2) {
            const std::uint16_t value = line.values[next++ % line.valueCount];
            bytes[i] = static_cast<std::uint8_t>(value);
            if (i + 1 < piece) {
                bytes[i + 1] = static_cast<std::uint8_t>(value >> 8);
            }
        }
        image.append(std::span(bytes.data(), piece), static_cast<std::uint32_t>(address));
        // A full image refuses every later piece; a fill over gigabytes need not try them all.
        if (image.isFull()) {
            break;
        }
        address += piece;
    }
}

template <class Lines>
std::uint16_t readLines(Lines& lines, MemoryImage& image, std::ostream* errors) {
    std::uint32_t lineNumber = 0;
    LineSlice slice;
    DumpLine line;
    while (lines.next(slice)) {
        ++lineNumber;
        if (slice.tooLong) {
            return 0;
        }
        switch (parseLine(slice.text, line)) {
            case LineResult::Skipped:
                break;
            case LineResult::Parsed:
                store(line, image);
                break;
            case LineResult::Malformed: {
                char text[40];
                std::snprintf(text, sizeof text, "\nERROR reading line %x", unsigned{lineNumber});
                writeLog("%s", text);
                if (errors != nullptr) {
                    *errors << text;
                }
                return 0;
            }
        }
    }
    if (lines.failed()) {
        return 0;
    }
    // The count saturates so that a long dump never reads as a failed one.
    return static_cast<std::uint16_t>(std::min<std::uint32_t>(lineNumber, 0xFFFF));
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

std::uint16_t readDumpFile(const std::string& path, MemoryImage& image, std::ostream* errors) {
    if (!whyNotAFile(path).empty()) {
        return 0;
    }
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return 0;
    }
    FileLineSource lines(file.get(), kDumpLineLimit);
    return readLines(lines, image, errors);
}

std::uint16_t readDumpText(std::string_view text, MemoryImage& image, std::ostream* errors) {
    TextLineSource lines(text, kDumpLineLimit);
    return readLines(lines, image, errors);
}

}  // namespace quillon::image
