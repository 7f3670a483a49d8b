#include "pda/pda_file.h"

#include <filesystem>
#include <fstream>
#include <span>
#include <system_error>

#include "base/atomic_file.h"
#include "base/hex_digits.h"
#include "base/regular_file.h"

namespace quillon::pda {

std::size_t readPdaFile(const std::string& path, std::array<std::uint16_t, 512>& words,
                        std::string* reason) {
    if (const std::string why = whyNotAFile(path); !why.empty()) {
        if (reason != nullptr) {
            *reason = why;
        }
        return 0;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (reason != nullptr) {
            *reason = "The file could not be opened.";
        }
        return 0;
    }
    PdaTextReader reader(words);
    std::array<char, 4096> buffer{};
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const std::streamsize got = in.gcount();
        if (got <= 0) {
            break;
        }
        if (!reader.feed(std::string_view(buffer.data(), static_cast<std::size_t>(got)))) {
            break;
        }
    }
    const std::size_t count = reader.finish();
    if (reason != nullptr) {
        *reason = reader.reason();
    }
    return count;
}

std::string formatPdaFile(const PdaImage& pda) {
    std::string text;
    for (const PdrRecord& record : pda.records()) {
        for (const std::uint16_t word : record.words()) {
            bool leading = true;
            for (int shift = 12; shift >= 0; shift -= 4) {
                const unsigned nibble = (word >> shift) & 0xFU;
                if (leading && nibble == 0 && shift != 0) {
                    continue;
                }
                leading = false;
                text += hexDigitChar(nibble, false);
            }
            text += ' ';
        }
        text += "\r\n";
    }
    return text;
}

bool writePdaFile(const PdaImage& pda, const std::string& path) {
    return writeFileAtomically(path, formatPdaFile(pda));
}

bool loadPdaFile(PdaImage& pda, const std::string& path, ui::UserInterface& ui) {
    std::array<std::uint16_t, 512> words{};
    std::string reason;
    const std::size_t count = readPdaFile(path, words, &reason);
    if (count == 0) {
        ui.fileNotRead(path, reason.empty() ? "Not a valid PDA file." : reason);
        ui.messageBox({.text = "File not loaded. Format invalid?",
                       .caption = std::nullopt,
                       .owner = ui::Owner::MainWindow,
                       .buttons = ui::Buttons::Ok,
                       .icon = ui::Icon::None});
        return false;
    }
    if (pda.parseWords(std::span<const std::uint16_t>(words.data(), count)) == 0) {
        ui.fileNotRead(path, "Not a valid PDA file.");
        ui.messageBox({.text = "Unable to load items from file: " + path,
                       .caption = "Error",
                       .owner = ui::Owner::MainWindow,
                       .buttons = ui::Buttons::Ok,
                       .icon = ui::Icon::Error});
        return false;
    }
    return true;
}

}  // namespace quillon::pda
