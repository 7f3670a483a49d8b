#include "card/card_memory.h"
#include "ui/message.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

namespace quillon::card {
namespace {

using PdaWords = std::array<std::uint16_t, pda::kPdaWordLimit>;

PdaWords wordsOf(const AuxBlock& block) {
    PdaWords words{};
    for (std::size_t i = 0; i < words.size(); ++i) {
        words[i] = static_cast<std::uint16_t>(block.data[2 * i] | (block.data[2 * i + 1] << 8));
    }
    return words;
}

// The words of a block as " a 1234 ...": lower-case hexadecimal without leading zeros, over
// the bytes the read returned.
void appendWords(std::string& text, const AuxBlock& block) {
    const std::size_t bytes = std::min<std::size_t>(block.length, kPdaReadBytes);
    for (std::size_t offset = 0; offset < bytes; offset += 2) {
        const unsigned word = block.data[offset] | (block.data[offset + 1] << 8);
        char hex[8];
        std::snprintf(hex, sizeof hex, " %x", word);
        text += hex;
    }
}

AuxBlock pdaBlock(std::uint32_t address) {
    AuxBlock block;
    block.address = address;
    block.length = kPdaReadBytes;
    return block;
}

}  // namespace

bool readPda(AdapterSession& session, pda::PdaImage& image, ui::UserInterface& ui) {
    AuxBlock ram = pdaBlock(session.pdaAddress());
    if (!session.auxRead(ram)) {
        image.setReadFromCard(false);
        return false;
    }
    image.clear();
    bool nvramRead = false;
    AuxBlock nvram = pdaBlock(session.pdaAddress() | kNvramBit);
    bool parsed = image.parseWords(wordsOf(ram)) > 0;
    if (!parsed) {
        // The card keeps a second copy of its PDA in NVRAM; the plain copy may not have been
        // loaded from it yet.
        nvramRead = session.auxRead(nvram);
        image.clear();
        parsed = nvramRead && image.parseWords(wordsOf(nvram)) > 0;
    }
    if (parsed && image.loadedChecksum() == image.storedChecksum()) {
        image.setReadFromCard(true);
        return true;
    }
    image.clear();
    // The NVRAM part stays empty when that copy was not read, or its read failed: its buffer
    // then holds nothing that came from the card.
    std::string text = " From RAM:\r\n";
    appendWords(text, ram);
    text += "\r\n From NVRAM:\r\n";
    if (nvramRead) {
        appendWords(text, nvram);
    }
    ui::tellOwnerless(ui, std::move(text), "Invalid PDA data");
    return false;
}

bool readAuxPort(AdapterSession& session, std::span<std::uint8_t> destination,
                 std::uint32_t address, std::uint16_t length, ui::UserInterface& ui) {
    if (length > AuxBlock::kMaxData || destination.size() < length) {
        return false;
    }
    AuxBlock block;
    block.address = address;
    block.length = length;
    // A short read would leave part of the destination without card data; it fails like a
    // read the driver refused.
    if (!session.auxRead(block) || block.length < length) {
        ui::tellOwnerless(ui, "Could not read from Aux Port");
        return false;
    }
    std::copy(block.data.begin(), block.data.begin() + length, destination.begin());
    return true;
}

}  // namespace quillon::card
