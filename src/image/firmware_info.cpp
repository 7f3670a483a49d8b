#include "image/firmware_info.h"

namespace quillon::image {

void FirmwareInfo::clear() {
    // Stale values stay behind the flags; nothing reads a field whose flag is clear.
    primary.present = false;
    station.present = false;
    for (ComponentRange& slot : compatibility) {
        slot.present = false;
    }
    buildSequence = 0;
    refusal_.clear();
    for (PlatformEntry& slot : platforms) {
        slot.present = false;
    }
}

bool FirmwareInfo::listCompatibility(std::string& text) const {
    text = "\n  Compatibility:\n";
    bool listed = false;
    // Slot 0 carries no interface that matters to a card update.
    for (std::size_t k = 1; k < kCompatibilitySlots; ++k) {
        const ComponentRange& slot = compatibility[k];
        if (!slot.present) {
            continue;
        }
        listed = true;
        text += "    ";
        text += interfaceName(slot.interfaceId);
        text += ": ";
        text += roleName(slot.role);
        text += ": Range=" + std::to_string(slot.bottom) + ".." + std::to_string(slot.top) +
                " Variant=" + std::to_string(slot.variant) + "\n";
    }
    if (!listed) {
        text += "\n No information in file.\n";
    }
    return listed;
}

std::string formatVersion(const ComponentIdentity& identity) {
    return std::to_string(identity.major) + "." + std::to_string(identity.minor) + "." +
           std::to_string(identity.variant);
}

int compareVersion(const ComponentIdentity& a, const ComponentIdentity& b) {
    if (a.major != b.major) {
        return int{a.major} - int{b.major};
    }
    if (a.minor != b.minor) {
        return int{a.minor} - int{b.minor};
    }
    return int{a.variant} - int{b.variant};
}

std::string_view roleName(std::uint16_t role) {
    switch (role) {
        case kRoleSupplier:
            return "Supplier";
        case kRoleActor:
            return "Actor";
        default:
            return "";
    }
}

std::string_view interfaceName(std::uint16_t interfaceId) {
    switch (interfaceId) {
        case 1:
            return "Modem-Firmware";
        case 2:
            return "Controller-Firmware";
        case 3:
            return "Primary Firmware-Driver";
        case 4:
            return "Station Firmware-Driver";
        default:
            return "";
    }
}

}  // namespace quillon::image
