#include "image/srec_reader.h"
#include "base/file_path.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>

#include "base/log.h"
#include "base/regular_file.h"
#include "image/firmware_info.h"
#include "image/line_source.h"

namespace quillon::image {
namespace {

// Each character's value as a hex digit, or kNotHex.
constexpr unsigned kNotHex = 0x10;
constexpr std::array<std::uint8_t, 256> kHexValue = [] {
    std::array<std::uint8_t, 256> values{};
    values.fill(kNotHex);
    for (unsigned digit = 0; digit < 10; ++digit) {
        values['0' + digit] = static_cast<std::uint8_t>(digit);
    }
    for (unsigned letter = 0; letter < 6; ++letter) {
        values['A' + letter] = static_cast<std::uint8_t>(10 + letter);
        values['a' + letter] = static_cast<std::uint8_t>(10 + letter);
    }
    return values;
}();

// The byte that each pair of characters spells, plus kHexPair (indexed by the first character
// plus 256 times the second), or 0 when either is not a hex digit: one lookup checks and
// decodes a pair, and a record's pairs are most of a firmware file. 128 KiB, of which a file
// touches the few rows of the hex digits. Only the 22 x 22 pairs of digits are set, so that
// compilers evaluate the table in few steps.
constexpr unsigned kHexPair = 0x100;
constexpr std::array<std::uint16_t, 65536> kPairValue = [] {
    std::array<std::uint16_t, 65536> values{};
    constexpr std::string_view kDigits = "0123456789ABCDEFabcdef";
    for (const char first : kDigits) {
        for (const char second : kDigits) {
            const auto high = kHexValue[static_cast<unsigned char>(first)];
            const auto low = kHexValue[static_cast<unsigned char>(second)];
            values[static_cast<unsigned char>(first) | static_cast<unsigned char>(second) << 8] =
                static_cast<std::uint16_t>(kHexPair | high << 4 | low);
        }
    }
    return values;
}();

// The pair's byte plus kHexPair, or 0.
unsigned pairValue(const unsigned char* pair) {
    return kPairValue[pair[0] | unsigned{pair[1]} << 8];
}

enum class RecordKind { Ignored, Data, Termination };

// What a record's type digit (the character after the 'S') says about the record.
struct RecordShape {
    bool known = false;
    RecordKind kind = RecordKind::Data;
    std::size_t addressBytes = 0;
};

RecordShape shapeOf(char type) {
    switch (type) {
        case '0':
        case '5':
            return {true, RecordKind::Ignored, 0};
        case '1':
            return {true, RecordKind::Data, 2};
        case '2':
            return {true, RecordKind::Data, 3};
        case '3':
            return {true, RecordKind::Data, 4};
        case '7':
            return {true, RecordKind::Termination, 4};
        case '8':
            return {true, RecordKind::Termination, 3};
        case '9':
            return {true, RecordKind::Termination, 2};
        default:
            return {};
    }
}

// bytes[0] is the count, then the address, the data and the checksum.
struct DecodedRecord {
    std::array<std::uint8_t, 256> bytes;
    std::size_t byteCount = 0;
    unsigned sum = 0;  // its low byte is the bytes' sum
};

// Decodes a record whose characters, type and length are all sound, in one pass. False when
// any of them is not; the reader's ordered checks then say which.
bool decodeSoundRecord(std::string_view line, const RecordShape& shape, DecodedRecord& record) {
    const auto* chars = reinterpret_cast<const unsigned char*>(line.data());
    if (line.size() < 4 || chars[0] != 'S' || !shape.known) {
        return false;
    }
    const unsigned count = pairValue(chars + 2);
    if (count == 0) {
        return false;
    }
    const std::size_t byteCount = count & 0xFF;
    const std::size_t headed = 2 * shape.addressBytes + 6;  // type, count, address, checksum
    if (line.size() != 2 * byteCount + 4 ||
        (shape.kind == RecordKind::Termination && line.size() != headed) ||
        (shape.kind == RecordKind::Data && line.size() < headed)) {
        return false;
    }
    // The count byte and everything after it: exactly the rest of the line.
    const unsigned char* pairs = chars + 2;
    unsigned sum = 0;
    for (std::size_t i = 0; i <= byteCount; ++i) {
        const unsigned value = pairValue(pairs + 2 * i);
        // Leaving at the first bad pair also keeps the compiler from turning the lookups
        // into slower vector code.
        if (value == 0) {
            return false;
        }
        record.bytes[i] = static_cast<std::uint8_t>(value);
        // kHexPair leaves the low byte, the only one the checksum looks at, as it is.
        sum += value;
    }
    record.byteCount = byteCount;
    record.sum = sum;
    return true;
}

// Why a line that did not decode is refused, checked in the order the person is told: a bad
// character anywhere first, then the 'S', the type and the length.
void refuseUnsoundRecord(FirmwareInfo& info, std::string_view line, const RecordShape& shape,
                         unsigned number) {
    const bool badCharacter =
        std::any_of(line.begin() + std::min<std::size_t>(line.size(), 1), line.end(),
                    [](char c) { return kHexValue[static_cast<unsigned char>(c)] == kNotHex; });
    if (badCharacter) {
        writeLog("Error: Line %u: Bad character found. Cannot process file.\n", number);
        info.noteRefusal(number, "Bad character found.");
    } else if (line.empty() || line[0] != 'S') {
        writeLog("Error: Line %u: record does not begin with 'S'\n", number);
        info.noteRefusal(number, "Record does not begin with 'S'.");
    } else if (!shape.known) {
        writeLog("ERROR: Line %u: record type invalid or unsupported.\n", number);
        info.noteRefusal(number, "Record type invalid or unsupported.");
    } else {
        if (shape.kind == RecordKind::Ignored) {
            writeLog("Info records ignored.\n");
        }
        writeLog("ERROR: Line %u: line length invalid.\n", number);
        info.noteRefusal(number, "Line length invalid.");
    }
}

std::uint32_t littleEndian32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

// 204800 as "204,800".
std::string groupedDigits(std::uint64_t value) {
    std::string digits = std::to_string(value);
    for (std::size_t at = digits.size(); at > 3; at -= 3) {
        digits.insert(at - 3, ",");
    }
    return digits;
}

// A UTF-8 byte-order mark, as some editors put at the start of a text file.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

template <class Lines>
std::uint16_t readLines(FirmwareInfo& info, Lines& lines, MemoryImage* image, PlugList* plugs,
                        ui::UserInterface& ui) {
    // Counted wide: empty lines past the limit are read on, and must not wrap the count.
    std::uint32_t lineCount = 0;
    LineSlice slice;
    for (;;) {
        const bool got = lines.next(slice);
        // The attempt that meets the end of the input counts as one more, empty, line.
        ++lineCount;
        if (!got) {
            break;
        }
        if (lineCount == 1 && slice.text.starts_with(kByteOrderMark)) {
            slice.text.remove_prefix(kByteOrderMark.size());
        }
        if (slice.text.empty()) {
            continue;
        }
        // Past the limit the file is refused rather than read in part: half an image must
        // never pass for a whole one. Empty lines there lose nothing and are passed over.
        if (lineCount > kSrecLineLimit + 1u) {
            writeLog("Error: Line %u: The file has more than %u lines. Cannot process file.\n",
                     unsigned{lineCount}, unsigned{kSrecLineLimit} + 1);
            info.noteRefusal(lineCount, "The file has more than " +
                                            groupedDigits(kSrecLineLimit + 1u) +
                                            " lines; nothing of it was read.");
            return 0;
        }
        // A piece of an over-long line is parsed like any line; no record is that long, so
        // it is refused with the reason the checks find.
        if (info.parseRecord(image, plugs, slice.text, static_cast<std::uint16_t>(lineCount), ui) ==
            kRecordRefused) {
            return 0;
        }
    }
    if (lines.failed()) {
        writeLog("Error: Line %u: File could not be read.\n", unsigned{lineCount});
        info.noteRefusal(lineCount, "File could not be read.");
        return 0;
    }
    if (image != nullptr && !image->hasExecutionAddress()) {
        writeLog("Error: Line %u: End reached without an execution address record.\n",
                 unsigned{lineCount});
        info.noteRefusal(lineCount, "End reached without an execution address record.");
        return 0;
    }
    return static_cast<std::uint16_t>(std::min<std::uint32_t>(lineCount, 0xFFFF));
}

void tellAllocationFailure(ui::UserInterface& ui) {
    ui::MessageBox box;
    box.text = "Memory allocation error. Cannot continue";
    box.caption = "Internal Error.";
    box.owner = ui::Owner::None;
    box.buttons = ui::Buttons::Ok;
    box.icon = ui::Icon::Error;
    ui.messageBox(box);
}

}  // namespace

std::uint16_t FirmwareInfo::readFile(const std::string& path, MemoryImage* image, PlugList* plugs,
                                     ui::UserInterface& ui) {
    clear();
    if (image != nullptr) {
        image->clearExecutionAddress();
    }
    if (whyNotAFile(path) == kNotRegularFile) {
        writeLog("Not a regular file.\n");
        ui.fileNotRead(path, kNotRegularFile);
        return 0;
    }
    std::unique_ptr<std::FILE, FileCloser> file(openFile(path, "rb"));
    if (!file) {
        const int error = errno;
        writeLog("File not found. ");
        ui.fileNotRead(path, std::generic_category().message(error) + ".");
        return 0;
    }
    FileLineSource lines(file.get(), kSrecLinePiece);
    const std::uint16_t read = readLines(*this, lines, image, plugs, ui);
    if (read == 0 && !refusal_.empty()) {
        ui.fileNotRead(path, refusal_);
    }
    return read;
}

std::uint16_t FirmwareInfo::readSrecText(std::string_view text, MemoryImage* image, PlugList* plugs,
                                         ui::UserInterface& ui) {
    clear();
    if (image != nullptr) {
        image->clearExecutionAddress();
    }
    TextLineSource lines(text, kSrecLinePiece);
    return readLines(*this, lines, image, plugs, ui);
}

int FirmwareInfo::parseRecord(MemoryImage* image, PlugList* plugs, std::string_view line,
                              std::uint16_t lineNumber, ui::UserInterface& ui) {
    const unsigned number = lineNumber;
    const RecordShape shape = shapeOf(line.size() > 1 ? line[1] : '\0');
    DecodedRecord record;
    if (!decodeSoundRecord(line, shape, record)) {
        refuseUnsoundRecord(*this, line, shape, number);
        return kRecordRefused;
    }
    if (shape.kind == RecordKind::Ignored) {
        writeLog("Info records ignored.\n");
    }
    if ((record.sum & 0xFF) != 0xFF) {
        writeLog("ERROR: Line %u: Checksum failed.\n", number);
        noteRefusal(number, "Checksum failed.");
        return kRecordRefused;
    }
    if (shape.kind == RecordKind::Ignored) {
        return kRecordIgnored;
    }

    const auto& bytes = record.bytes;
    const std::size_t addressBytes = shape.addressBytes;
    const std::size_t byteCount = record.byteCount;
    std::uint32_t address = 0;
    for (std::size_t i = 1; i <= addressBytes; ++i) {
        address = address << 8 | bytes[i];
    }

    if (shape.kind == RecordKind::Termination) {
        if (image == nullptr) {
            return kRecordTermination;
        }
        if (!image->hasExecutionAddress()) {
            image->setExecutionAddress(address);
        } else if (image->executionAddress() != address) {
            writeLog("ERROR: Line %u: 2nd execution address found!\n", number);
            noteRefusal(number, "A second execution address found.");
            return kRecordRefused;
        }
        return kRecordTermination;
    }

    const std::span<const std::uint8_t> data(bytes.data() + 1 + addressBytes,
                                             byteCount - addressBytes - 1);
    if (address < kReservedAddressStart) {
        if (image != nullptr && !data.empty() && !image->append(data, address)) {
            // The image is full (or memory ran out): the person must know why the file is
            // refused, but one oversized file is no reason to end the program.
            const bool full = image->isFull();
            const bool ranges = image->rangeCount() >= kMaxRanges;
            const std::uint64_t size = std::uint64_t{image->totalBytes()} + data.size();
            tellAllocationFailure(ui);
            noteRefusal(number, full ? "The image holds at most " +
                                           groupedDigits(std::uint64_t{kChunkLimit} * kChunkSize) +
                                           " bytes; with this record the file's data takes " +
                                           groupedDigits(size) + " bytes."
                                : ranges ? "The image holds at most " + std::to_string(kMaxRanges) +
                                               " runs of consecutive addresses; this record starts "
                                               "one more."
                                         : std::string("The image does not fit in memory."));
            return kRecordRefused;
        }
        return kRecordData;
    }
    if (address == kPlugRecordAddress || address == kMarkerRecordAddress) {
        // Both carry three 32-bit values; a shorter record has no defined meaning.
        if (data.size() < kPlugRecordBytes) {
            writeLog("Line %u: Invalid record format. \n", number);
            noteRefusal(number, "Invalid record format.");
            return kRecordRefused;
        }
        const std::uint32_t first = littleEndian32(data.data());
        const std::uint32_t second = littleEndian32(data.data() + 4);
        const std::uint32_t third = littleEndian32(data.data() + 8);
        if (address == kPlugRecordAddress) {
            if (plugs != nullptr) {
                plugs->insert(first, second, static_cast<std::uint16_t>(third));
            }
        } else if (third != 0 && image != nullptr) {
            // The marker word goes just below the marker's address, so the address must
            // leave room for it.
            if (first < 2) {
                writeLog("Line %u: Marker address below 2.\n", number);
                noteRefusal(number,
                            "The marker record's address is below 2: its marker word "
                            "would have to go below address 0.");
                return kRecordRefused;
            }
            // When that area has not been read yet the word becomes a range of its own.
            const std::uint32_t target = first - 2;
            const std::array<std::uint8_t, 2> word{kMarkerWord & 0xFF, kMarkerWord >> 8};
            if (!image->overwrite(word, target)) {
                image->append(word, target);
            }
        }
        return kRecordData;
    }
    if ((address & kInfoRecordMask) == kInfoRecordBase) {
        return applyInformation(data, number);
    }
    writeLog("Line %u: Unknown record type\n", number);
    noteRefusal(number, "Unknown record type.");
    return kRecordRefused;
}

int FirmwareInfo::applyInformation(std::span<const std::uint8_t> data, unsigned number) {
    const auto word = [&data](std::size_t i) {
        return static_cast<std::uint16_t>(data[2 * i] | data[2 * i + 1] << 8);
    };
    if (data.size() < 2 || data.size() != 2 * std::size_t{word(0)} + 2) {
        writeLog("Line %u: Record length does not correspond to size field.\n", number);
        noteRefusal(number, "Record length does not correspond to the size field.");
        return kRecordRefused;
    }
    const std::uint16_t size = word(0);
    if (size > 20) {
        writeLog("Line %u: Record length too long.\n", number);
        noteRefusal(number, "Record length too long.");
        return kRecordRefused;
    }
    // A record without its type word, or a build sequence without its value, says nothing
    // that could be stored.
    if (size == 0 || (word(1) == 3 && size < 2)) {
        writeLog("Line %u: Invalid record format. \n", number);
        noteRefusal(number, "Invalid record format.");
        return kRecordRefused;
    }
    switch (word(1)) {
        case 1: {
            if (size != 5) {
                break;
            }
            const ComponentIdentity identity{true, word(2), word(4), word(5), word(3)};
            if (identity.componentId == kPrimaryComponentId) {
                primary = identity;
            } else if (identity.componentId == kStationComponentId) {
                station = identity;
            }
            return kRecordData;
        }
        case 2:
            if (size != 6 || word(3) >= kCompatibilitySlots) {
                break;
            }
            compatibility[word(3)] =
                ComponentRange{true, word(2), word(3), word(4), word(5), word(6)};
            return kRecordData;
        case 3:
            buildSequence = word(2);
            writeLog("Build sequence: %u\n", unsigned{buildSequence});
            return kRecordData;
        case 4: {
            if (size != 5) {
                break;
            }
            std::size_t slot = 0;
            while (slot + 1 < kPlatformSlots && platforms[slot].present) {
                ++slot;
            }
            platforms[slot] = PlatformEntry{true, word(2), {word(3), word(4), word(5)}};
            return kRecordData;
        }
        default: {
            std::string text = "Unknown firmware info record - size: ";
            char number16[8];
            std::snprintf(number16, sizeof number16, "%x", unsigned{size});
            text += number16;
            std::snprintf(number16, sizeof number16, "%x", unsigned{word(1)});
            text += ", type ";
            text += number16;
            text += "; Data:  ";
            for (std::size_t i = 2; i <= size; ++i) {
                std::snprintf(number16, sizeof number16, "%x ", unsigned{word(i)});
                text += number16;
            }
            text += "\n";
            writeLog("%s", text.c_str());
            return kRecordData;
        }
    }
    writeLog("Line %u: Invalid record format. \n", number);
    noteRefusal(number, "Invalid record format.");
    return kRecordRefused;
}

}  // namespace quillon::image

namespace quillon::image {

void FirmwareInfo::noteRefusal(unsigned lineNumber, std::string_view reason) {
    refusal_ = "Line " + std::to_string(lineNumber) + ": " + std::string(reason);
}

}  // namespace quillon::image
