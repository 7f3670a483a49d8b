#include "card/card_identity.h"

namespace quillon::card {

void determineMacType(AdapterSession& session, ui::UserInterface& ui) {
    RidRecord record;
    std::uint16_t reported = kMacType3842;
    if (session.readRid(record, kRidMacIdentity)) {
        reported = record.word(2);
    } else {
        ui::MessageBox box;
        box.text = "getRid failure! Quillon will continue, assuming a 3842-based card.";
        box.caption = "DEBUG OPTION - unable to determine card type";
        box.icon = ui::Icon::Warning;
        ui.messageBox(box);
    }
    session.setMacType(reported);
}

bool readIdentText(AdapterSession& session, std::string& text) {
    text.clear();
    RidRecord record;
    if (!session.readRid(record, kRidIdentText)) {
        return false;
    }
    // The data bytes the record claims, in unsigned 32-bit arithmetic: a length word of 1 wraps
    // round and lets every position through. The 26 positions always lie inside the buffer.
    const std::uint32_t limit = static_cast<std::uint32_t>(record.length) * 2u - 4u;
    text.assign(kIdentTextLength, ' ');
    for (std::size_t i = 0; i < kIdentTextLength; ++i) {
        const std::uint16_t word = record.data[i / 2];
        const auto byte = static_cast<std::uint8_t>((i % 2 == 0) ? (word & 0xFF) : (word >> 8));
        if (byte >= 0x20 && byte <= 0x7E && i < limit) {
            text[i] = static_cast<char>(byte);
        }
    }
    return true;
}

}  // namespace quillon::card
