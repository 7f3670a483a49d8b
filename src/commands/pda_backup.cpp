#include "commands/pda_backup.h"

#include <array>
#include <chrono>
#include <filesystem>
#include <system_error>

#include "pda/pda_file.h"
#include "pda/pda_text.h"

namespace quillon::pda {
namespace {

std::string fileNamePart(std::string text, const char* missing) {
    if (text.empty()) {
        return missing;
    }
    for (char& c : text) {
        const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                           (c >= 'a' && c <= 'z') || c == '-' || c == '.';
        if (!plain) {
            c = '_';
        }
    }
    return text;
}

void refuse(ui::UserInterface& ui, const std::string& why) {
    ui::MessageBox box;
    box.text = why + "\n\nThe card's PDA was not written.";
    box.caption = "PDA backup";
    box.owner = ui::Owner::MainWindow;
    box.icon = ui::Icon::Error;
    ui.messageBox(box);
}

// A copy whose writing was cut off by a killed run leaves its temporary file
// ("<name>.pda.tmp-XXXXXX") beside the copies; the copy it was meant to be was never made, so
// the leftover is only clutter. Several programs may keep copies in this folder at once (one
// for each card): only those left alone for a while are taken as left over.
void removeStaleTemporaryFiles(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    constexpr auto kStale = std::chrono::minutes(10);
    const auto now = fs::file_time_type::clock::now();
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const std::size_t tmp = name.rfind(".pda.tmp-");
        std::error_code ignored;
        if (tmp == std::string::npos || name.size() != tmp + 15 || !it->is_regular_file(ignored) ||
            ignored) {
            continue;
        }
        const auto written = fs::last_write_time(it->path(), ignored);
        if (!ignored && now - written > kStale) {
            fs::remove(it->path(), ignored);
        }
    }
}

}  // namespace

std::string pdaBackupName(const PdaImage& pda, std::time_t when) {
    std::string serial;
    if (const PdrRecord* record = pda.findRecord(kPdrSerialNumber); record != nullptr) {
        serial = pdrText(*record);
    }
    std::string mac;
    if (const PdrRecord* record = pda.findRecord(kPdrMacAddress);
        record != nullptr && record->data().size() == 3) {
        const auto data = record->data();
        mac = formatMac({data[0], data[1], data[2]});
        for (char& c : mac) {
            if (c >= 'a' && c <= 'f') {
                c = static_cast<char>(c - 'a' + 'A');
            }
        }
    }
    std::array<char, 32> stamp{};
    const std::tm* utc = std::gmtime(&when);
    if (utc == nullptr || std::strftime(stamp.data(), stamp.size(), "%Y%m%dT%H%M%SZ", utc) == 0) {
        stamp[0] = '\0';
    }
    return fileNamePart(serial, "no-serial") + "_" + fileNamePart(mac, "no-mac") + "_" +
           stamp.data() + ".pda";
}

std::optional<std::string> backUpPda(const PdaImage& pda, const std::string& folder,
                                     ui::UserInterface& ui) {
    if (folder.empty()) {
        refuse(ui, "Error - no folder for a copy of the card's PDA is known.");
        return std::nullopt;
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    removeStaleTemporaryFiles(folder);
    const std::filesystem::path base =
        std::filesystem::path(folder) / pdaBackupName(pda, std::time(nullptr));
    // Two copies within one second get a number rather than replace each other.
    std::filesystem::path path = base;
    for (int n = 2; std::filesystem::exists(path, error) && n < 1000; ++n) {
        path = base;
        path.replace_extension();
        path += "-" + std::to_string(n) + ".pda";
    }
    if (std::filesystem::exists(path, error) || !writePdaFile(pda, path.string())) {
        refuse(ui, "Error - Unable to save a copy of the card's PDA to \"" + path.string() + "\".");
        return std::nullopt;
    }
    ui.notice("A copy of the card's PDA was saved to " + path.string());
    return path.string();
}

}  // namespace quillon::pda
