#include "card/card_identity.h"
#include "ui/message.h"

#include <algorithm>

namespace quillon::card {
namespace {

constexpr std::size_t kVersionTextLimit = 60;

}  // namespace

void determineMacType(AdapterSession& session, ui::UserInterface& ui) {
    RidRecord record;
    std::uint16_t reported = kMacType3842;
    if (session.readRid(record, kRidMacIdentity)) {
        reported = record.word(2);
    } else {
        ui::tellOwnerless(ui, "getRid failure! Quillon will continue, assuming a 3842-based card.",
                          "DEBUG OPTION - unable to determine card type", ui::Icon::Warning);
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

bool readIdentity(AdapterSession& session, std::uint16_t rid, image::ComponentIdentity& identity) {
    RidRecord record;
    if (!session.readRid(record, rid)) {
        return false;
    }
    identity.present = true;
    identity.variant = record.word(1);
    identity.major = record.word(2);
    identity.minor = record.word(3);
    return true;
}

bool readRange(AdapterSession& session, std::uint16_t rid, image::ComponentRange& range) {
    RidRecord record;
    if (!session.readRid(record, rid)) {
        return false;
    }
    range.present = true;
    range.bottom = record.word(3);
    range.top = record.word(4);
    return true;
}

bool readCardVersions(AdapterSession& session, std::uint32_t index, std::string& text) {
    text.clear();
    const bool wasOpen = session.isOpen();
    if (!session.openAdapter(index)) {
        return false;
    }
    image::ComponentIdentity primary;
    if (!readIdentity(session, kRidPrimaryIdentity, primary)) {
        text = "(Primary RID read failure)";
        return false;
    }
    text = "Primary: " + image::formatVersion(primary);
    image::ComponentIdentity station;
    bool ok = readIdentity(session, kRidStationIdentity, station);
    if (ok) {
        text += "   Station: " + image::formatVersion(station);
    } else {
        text += " (Station RID read failure)";
    }
    text.resize(std::min(text.size(), kVersionTextLimit));
    if (ok && !wasOpen) {
        session.closeAdapter();
    }
    return ok;
}

bool readCardInfo(AdapterSession& session, CardInfo& info) {
    bool ok = readIdentity(session, kRidPrimaryIdentity, info.primary);
    ok = readIdentity(session, kRidStationIdentity, info.station) && ok;
    RidRecord record;
    if (session.readRid(record, kRidMacIdentity)) {
        info.macType = record.word(2);
    } else {
        ok = false;
    }
    ok = readRange(session, kRidPrimarySupplierRange, info.primarySupplier) && ok;
    ok = readRange(session, kRidModemSupplierRange, info.modemSupplier) && ok;
    ok = readRange(session, kRidControllerSupplierRange, info.controllerSupplier) && ok;
    ok = readRange(session, kRidStationSupplierRange, info.stationSupplier) && ok;
    ok = readRange(session, kRidModemActorRange, info.modemActor) && ok;
    ok = readRange(session, kRidControllerActorRange, info.controllerActor) && ok;
    ok = readIdentText(session, info.identText) && ok;
    info.driverVersion = session.getDriverVersion();
    return ok;
}

}  // namespace quillon::card
