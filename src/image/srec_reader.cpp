// Reading S-record firmware files into a MemoryImage, a PlugList and a FirmwareInfo.
#include "image/srec_reader.h"

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

// Written as comparisons and arithmetic rather than table lookups so that the compiler can
// check and decode many characters at once: reading firmware files is the hot path.
bool isHexChar(unsigned char c) {
    const bool digit = static_cast<unsigned char>(c - '0') < 10;
    const bool letter = static_cast<unsigned char>((c | 0x20) - 'a') < 6;
    return digit | letter;
}

// The value of a character already known to be a hex digit: 'A'-'F' and 'a'-'f' have bit 6
// set and their low four bits run from 1 to 6.
unsigned hexNibble(unsigned char c) {
    return (c & 0xFu) + 9u * (c >> 6);
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
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
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

    const auto* chars = reinterpret_cast<const unsigned char*>(line.data());
    unsigned char bad = 0;
    for (std::size_t i = 1; i < line.size(); ++i) {
        bad |= static_cast<unsigned char>(!isHexChar(chars[i]));
    }
    if (bad != 0) {
        writeLog("Error: Line %u: Bad character found. Cannot process file.\n", number);
        noteRefusal(number, "Bad character found.");
        return kRecordRefused;
    }
    if (line.empty() || line[0] != 'S') {
        writeLog("Error: Line %u: record does not begin with 'S'\n", number);
        noteRefusal(number, "Record does not begin with 'S'.");
        return kRecordRefused;
    }

    enum class Kind { Ignored, Data, Termination };
    Kind kind = Kind::Data;
    std::size_t addressBytes = 0;
    switch (line.size() > 1 ? line[1] : '\0') {
        case '0':
        case '5':
            kind = Kind::Ignored;
            writeLog("Info records ignored.\n");
            break;
        case '1':
            addressBytes = 2;
            break;
        case '2':
            addressBytes = 3;
            break;
        case '3':
            addressBytes = 4;
            break;
        case '7':
            kind = Kind::Termination;
            addressBytes = 4;
            break;
        case '8':
            kind = Kind::Termination;
            addressBytes = 3;
            break;
        case '9':
            kind = Kind::Termination;
            addressBytes = 2;
            break;
        default:
            writeLog("ERROR: Line %u: record type invalid or unsupported.\n", number);
            noteRefusal(number, "Record type invalid or unsupported.");
            return kRecordRefused;
    }

    std::size_t byteCount = 0;
    bool lengthOk = line.size() >= 4;
    if (lengthOk) {
        byteCount = hexNibble(chars[2]) << 4 | hexNibble(chars[3]);
        lengthOk = line.size() == 2 * byteCount + 4;
        if (kind == Kind::Termination) {
            lengthOk = lengthOk && line.size() == 2 * addressBytes + 6;
        } else if (kind == Kind::Data) {
            lengthOk = lengthOk && line.size() >= 2 * addressBytes + 6;
        }
    }
    if (!lengthOk) {
        writeLog("ERROR: Line %u: line length invalid.\n", number);
        noteRefusal(number, "Line length invalid.");
        return kRecordRefused;
    }

    // bytes[0] is the count, then the address, the data and the checksum.
    std::array<std::uint8_t, 256> bytes;
    unsigned sum = 0;
    const unsigned char* digits = chars + 2;
    for (std::size_t i = 0; i <= byteCount; ++i) {
        const auto value =
            static_cast<std::uint8_t>(hexNibble(digits[2 * i]) << 4 | hexNibble(digits[2 * i + 1]));
        bytes[i] = value;
        sum += value;
    }
    if ((sum & 0xFF) != 0xFF) {
        writeLog("ERROR: Line %u: Checksum failed.\n", number);
        noteRefusal(number, "Checksum failed.");
        return kRecordRefused;
    }
    if (kind == Kind::Ignored) {
        return kRecordIgnored;
    }

    std::uint32_t address = 0;
    for (std::size_t i = 1; i <= addressBytes; ++i) {
        address = address << 8 | bytes[i];
    }

    if (kind == Kind::Termination) {
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
