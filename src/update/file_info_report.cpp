#include "update/file_info_report.h"

#include <array>
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <system_error>
#include <vector>

#include "base/log.h"
#include "base/regular_file.h"
#include "image/dump_reader.h"
#include "image/file_kind.h"
#include "image/firmware_info.h"
#include "image/memory_image.h"
#include "image/plug_list.h"
#include "pda/pda_file.h"
#include "pda/pda_image.h"
#include "update/pda_changes.h"
#include "update/update_file_list.h"

namespace quillon::update {
namespace {

constexpr std::uint32_t kCis3841Address = 0x3EFE00;
constexpr std::uint32_t kCis3842Address = 0x7EFE00;
// Images whose data starts below this address are loaded into the card's RAM, not its flash.
constexpr std::uint32_t kFlashStart = 0x300000;
// The report reads the image in large blocks; spans that continue each other list as one.
constexpr std::uint16_t kReportBlock = 0xF000;

std::string format(const char* fmt, ...) QUILLON_PRINTF_FORMAT(1, 2);

std::string format(const char* fmt, ...) {
    std::array<char, 160> buffer{};
    va_list args;
    va_start(args, fmt);
    const int n = std::vsnprintf(buffer.data(), buffer.size(), fmt, args);
    va_end(args);
    return n < 0 ? std::string() : std::string(buffer.data());
}

enum class Reader { SRecords, Dump, Pda, None };

Reader readerFor(const std::string& path) {
    if (image::isSRecordName(path)) {
        return Reader::SRecords;
    }
    if (path.size() < 4) {
        return Reader::None;
    }
    std::string ext = path.substr(path.size() - 4);
    for (char& c : ext) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    if (ext == ".hex")
        return Reader::SRecords;
    if (ext == ".dmp")
        return Reader::Dump;
    if (ext == ".pda")
        return Reader::Pda;
    return Reader::None;
}

std::string describePdaFile(const std::string& path, ui::UserInterface& ui) {
    std::array<std::uint16_t, 512> words{};
    pda::PdaImage pda;
    std::string reason;
    const std::size_t count = pda::readPdaFile(path, words, &reason);
    if (count == 0 || pda.parseWords(std::span(words.data(), count)) == 0) {
        ui.fileNotRead(path, count == 0 && !reason.empty() ? reason : "Not a valid PDA file.");
        return "An invalid PDA file\n";
    }
    std::string r = "A PDA file. Contains PDR's: \n\n";
    bool first = true;
    for (std::uint16_t code = pda.nextCodeAfter(0); code != 0; code = pda.nextCodeAfter(code)) {
        if (!first) {
            r += ", ";
        }
        first = false;
        r += format("%x", code);
    }
    // Each record's value, the identity decoded, so that the file says what it would write.
    r += "\n";
    for (const pda::PdrRecord& record : pda.records()) {
        const std::string name = pdrName(record.code());
        r += "\n" + format("%x", record.code()) + (name.empty() ? "" : " (" + name + ")") + ": " +
             pdrValueText(record);
    }
    return r;
}

std::string describeDataRanges(image::MemoryImage& image, std::uint32_t& total) {
    std::string r = "Data ranges:  ";
    image.rewind();
    total = 0;
    int entries = 0;
    bool open = false;
    std::uint32_t spanStart = 0;
    std::uint32_t spanLength = 0;
    auto closeSpan = [&]() {
        ++entries;
        if (entries % 5 == 0) {
            r += "\n";
        }
        r += format("(%06X - %06X)  ", spanStart, spanStart + spanLength - 1);
    };
    std::uint32_t address = 0;
    std::uint16_t count = 0;
    while (image.nextBlock({}, &address, &count, kReportBlock, 0)) {
        total += count;
        if (open && spanStart + spanLength == address) {
            spanLength += count;
            continue;
        }
        if (open) {
            closeSpan();
        }
        open = true;
        spanStart = address;
        spanLength = count;
    }
    if (open) {
        closeSpan();
    }
    return r;
}

}  // namespace

std::string describeFile(const std::string& path, ui::UserInterface& ui) {
    const Reader reader = readerFor(path);
    if (reader == Reader::None) {
        ui.fileNotRead(path, "Not a firmware (.hex), dump (.dmp) or PDA (.pda) file.");
        return "Unrecognized file format\n";
    }
    if (reader == Reader::Pda) {
        return describePdaFile(path, ui);
    }
    // The report names the file's addresses, never its bytes.
    image::MemoryImage image(image::ImageContents::AddressesOnly);
    image::FirmwareInfo info;
    image::PlugList plugs;
    std::ostringstream dumpError;
    const std::uint16_t lines = reader == Reader::SRecords
                                    ? info.readFile(path, &image, &plugs, ui)
                                    : image::readDumpFile(path, image, &dumpError);
    if (lines == 0 && reader != Reader::SRecords) {
        // The dump reader names the line in hex ("ERROR reading line 1a"), as its log does.
        const std::string said = dumpError.str();
        const std::size_t number = said.rfind(' ');
        const std::string why = whyNotAFile(path);
        const std::string reason = !why.empty() ? why
                                   : number == std::string::npos
                                       ? "Not a valid text dump."
                                       : "Line 0x" + said.substr(number + 1) + ": Not a dump line.";
        ui.fileNotRead(path, reason);
    }
    if (lines == 0) {
        return "Unable to load file.\n";
    }
    std::string r;
    if (info.primary.present) {
        r += format("Contains PRIMARY firmware, version %d.%d.%d\n", info.primary.major,
                    info.primary.minor, info.primary.variant);
    }
    if (info.station.present) {
        r += format("Contains STATION firmware, version %d.%d.%d\n", info.station.major,
                    info.station.minor, info.station.variant);
    }

    image.rewind();
    std::uint32_t first = 0;
    std::uint16_t none = 0;
    image.nextBlock({}, &first, &none, 0, 0);
    // A dump carries no execution address; the test then sees the address of an image whose
    // address was never set, 0, so a dump of the CIS area is still recognised.
    const std::uint32_t execution = image.hasExecutionAddress() ? image.executionAddress() : 0;
    if ((first == kCis3841Address || first == kCis3842Address) && execution == 0) {
        r += "File is probably a CIS ";
        r += first == kCis3841Address ? "for a 3841 MAC based card\n"
                                      : "for a 3842 MAC (and derivitives) based card\n";
    }
    if (image.hasExecutionAddress() && (execution != 0 || first < kFlashStart)) {
        r += "File intended for RAM download\n";
    }

    if (plugs.count() > 0) {
        r += "Plug records: ";
        bool firstPlug = true;
        for (const image::PlugRecord& plug : plugs.records()) {
            if (!firstPlug) {
                r += ", ";
            }
            firstPlug = false;
            r += plug.pdrCode == image::kFileNamePlug ? std::string("[filename]")
                                                      : format("%X", plug.pdrCode);
        }
        r += "\n";
    }

    if (info.platforms[0].present) {
        r += "Built for platforms: ";
        for (std::size_t i = 0; i < info.platforms.size() && info.platforms[i].present; ++i) {
            if (i > 0) {
                r += ", ";
            }
            r += format("%X", info.platforms[i].platformId);
        }
        r += "\n";
    }

    std::string compatibility;
    if (!info.listCompatibility(compatibility)) {
        compatibility = "No Compatibility Information in file...";
    }
    r += compatibility + "\n";

    std::uint32_t total = 0;
    r += describeDataRanges(image, total);
    r += format("\nTotal data size (in decimal): %d bytes (%X bytes in hex)\n",
                static_cast<int>(total), total);
    return r;
}

ui::MessageBox fileInfoBox(std::span<const FileInfoItem> items, ui::UserInterface& ui) {
    std::string report;
    int printed = 0;
    for (const FileInfoItem& item : items) {
        if (!item.selected && items.size() != 1) {
            continue;
        }
        if (printed > 0) {
            report += "\n-----------------------------\n\n";
        }
        ++printed;
        report += item.path + "\n\n";
        report += describeFile(item.path, ui);
    }
    ui::MessageBox box;
    box.owner = ui::Owner::MainWindow;
    box.caption = "No File Info";
    box.icon = ui::Icon::Warning;
    if (items.empty()) {
        box.text = "There were no files in the list. Add a file and try again.";
    } else if (printed == 0) {
        box.text = "There were no files selected. Select a file from the list and try again.";
    } else {
        box.text = std::move(report);
        box.caption = "File Info";
        box.icon = ui::Icon::None;
    }
    return box;
}

void showFileInfo(const UpdateFileList& list, ui::UserInterface& ui) {
    std::vector<FileInfoItem> items;
    items.reserve(list.rows().size());
    for (const ui::FileListRow& row : list.rows()) {
        items.push_back({row.path, row.selected});
    }
    ui.messageBox(fileInfoBox(items, ui));
}

}  // namespace quillon::update
