#include "card/flash_programming.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include "base/log.h"
#include "ui/message.h"

namespace quillon::card {
namespace {

enum class CardContent { Unreadable, Differs, Same };

// Reads the card at the block's address and length and compares. A read that returns fewer
// bytes than the block cannot vouch for the rest, so it counts as a difference.
CardContent compareWithCard(AdapterSession& session, const AuxBlock& block,
                            std::uint32_t readBit = 0) {
    AuxBlock card;
    card.address = block.address | readBit;
    card.length = block.length;
    if (!session.auxRead(card)) {
        return CardContent::Unreadable;
    }
    if (card.length < block.length ||
        !std::equal(block.data.begin(), block.data.begin() + block.length, card.data.begin())) {
        return CardContent::Differs;
    }
    return CardContent::Same;
}

}  // namespace

std::string blockErrorQuestion(std::uint32_t address, std::string_view imageName) {
    char where[16];
    std::snprintf(where, sizeof where, "0x%06X", static_cast<unsigned>(address));
    std::string text = "Error programming block at ";
    text += where;
    if (!imageName.empty()) {
        text += " of \"";
        text += imageName;
        text += "\"";
    }
    // Going on skips the block: the image is then incomplete whatever follows.
    text += ".\n\nGoing on leaves that block unwritten and the image incomplete. Continue anyway?";
    return text;
}

bool writeBlock(AdapterSession& session, const AuxBlock& block, bool force, bool verify) {
    if (!force) {
        const CardContent before = compareWithCard(session, block);
        if (before == CardContent::Unreadable) {
            return false;
        }
        if (before == CardContent::Same) {
            return true;
        }
    }
    if (!session.auxWrite(block)) {
        return false;
    }
    return !verify || compareWithCard(session, block) == CardContent::Same;
}

bool programImage(AdapterSession& session, image::MemoryImage& image, ui::ProgressBar* progress,
                  bool forceAllBlocks, bool verifyDownloads, bool askOnBlockError,
                  ui::UserInterface& ui, std::string_view imageName) {
    session.resetEvent();
    if (progress != nullptr) {
        const std::uint16_t count =
            image.countBlocks(static_cast<std::uint16_t>(AuxBlock::kMaxData), kBlockAlignment);
        progress->setRange(0, count);
        progress->setPosition(1);
        progress->setPosition(0);
    }
    if (!session.setProtocolBlock(true)) {
        ui::tellOwnerless(ui, "Attempt to block protocols failed.", "Setup Error");
        ui::tellOwnerless(ui, "Update not attempted.", "Card Communication Failed");
        return false;
    }
    if (!session.enableAux()) {
        ui::tellOwnerless(ui, "Enable Aux failed.", "Setup Error");
        ui::tellOwnerless(ui, "Update not attempted.", "Card Communication Failed");
        return false;
    }
    session.setupWrite();

    image.rewind();
    std::uint16_t blockNumber = 0;
    bool failed = false;
    AuxBlock block;
    std::uint32_t address = 0;
    std::uint16_t count = 0;
    while (image.nextBlock(block.data, &address, &count,
                           static_cast<std::uint16_t>(AuxBlock::kMaxData), kBlockAlignment)) {
        // A stop the person asked for comes between blocks, never inside one.
        if (blockNumber > 0 && ui.stopRequested()) {
            failed = true;
            break;
        }
        block.address = address;
        block.length = count;
        ++blockNumber;
        if (!writeBlock(session, block, forceAllBlocks, verifyDownloads)) {
            failed = true;
            if (!askOnBlockError) {
                break;
            }
            if (ui.messageBox(ui::ownerlessBox(blockErrorQuestion(block.address, imageName),
                                               "Programming error.", ui::Icon::None,
                                               ui::Buttons::YesNo)) != ui::Answer::Yes) {
                break;
            }
        }
        if (progress != nullptr) {
            progress->setPosition(blockNumber);
        }
    }
    return !failed;
}

bool writePda(AdapterSession& session, const pda::PdaImage& pda, bool forceAllBlocks,
              bool verifyDownloads) {
    std::array<std::uint16_t, pda::kFlatPdaWords> words{};
    const std::size_t count = pda.flatten(words);
    // The card reads back 512 words; a longer PDA would no longer read, so it is refused too.
    if (count == 0 || count > pda::kPdaWordLimit) {
        // Writing an empty block would leave the card's PDA as it was and still report
        // success; a PDA that cannot be flattened is refused instead.
        writeLog("PDA not written: it does not fit the card's PDA area\n");
        return false;
    }
    AuxBlock block;
    block.address = session.pdaAddress();
    block.length = static_cast<std::uint16_t>(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        block.data[2 * i] = static_cast<std::uint8_t>(words[i] & 0xFF);
        block.data[2 * i + 1] = static_cast<std::uint8_t>(words[i] >> 8);
    }

    session.resetEvent();
    std::array<std::uint8_t, 8> probe{};
    session.setProtocolBlock(true);
    session.probeDriver(probe);
    session.enableAux();
    session.setupWrite();
    // A plain read of the PDA returns the copy the card runs, which changes only when the card
    // loads the new one; what was written is read back from the NVRAM copy.
    const bool written =
        writeBlock(session, block, forceAllBlocks, false) &&
        (!verifyDownloads || compareWithCard(session, block, kNvramBit) == CardContent::Same);
    session.probeDriver(probe);
    return written;
}

}  // namespace quillon::card
