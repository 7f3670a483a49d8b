#include "update/compatibility_checks.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "card/card_identity.h"

namespace quillon::update {
namespace {

constexpr const char* kCompatibilityPassed = "Compatibility check passed.\n";

std::string lowerHex(std::uint16_t value) {
    std::array<char, 8> text{};
    std::snprintf(text.data(), text.size(), "%x", static_cast<unsigned>(value));
    return text.data();
}

// The platform part of the check: true when the file may go on to the version checks.
bool checkPlatform(const image::FirmwareInfo& file, const pda::PdaImage& cardPda, bool pdaRead,
                   std::string& report) {
    const pda::PdrRecord* platformRecord = cardPda.findRecord(pda::kPdrPlatform);
    const bool cardHasPlatform = platformRecord != nullptr;
    const bool fileHasPlatforms = file.platforms[0].present;

    std::string warning;
    if (cardHasPlatform && fileHasPlatforms) {
        const auto data = platformRecord->data();
        const std::uint16_t cardPlatform = data.empty() ? 0 : data[0];
        std::string text =
            " Current card is platform " + lowerHex(cardPlatform) + ".  Image built for: ";
        for (const image::PlatformEntry& slot : file.platforms) {
            if (!slot.present) {
                break;
            }
            text += lowerHex(slot.platformId) + ", ";
            if (slot.platformId == cardPlatform) {
                return true;
            }
        }
        report += "{+r}Error - Platforms incompatible." + text + " This file cannot be used.\n{+k}";
        return false;
    }
    if (!pdaRead) {
        warning = "{+m}WARNING! - The card's PDA could not be read: its platform is unknown.\n{+k}";
    } else if (cardHasPlatform) {
        warning = "{+m}WARNING! - No platform information in file.\n{+k} ";
    } else if (fileHasPlatforms) {
        warning = "{+m}WARNING! - No platform ID on card!\n{+k} ";
    } else {
        warning = "{+m}WARNING! - No platform information on card or in file!\n{+k}";
    }
    report += warning + "{+m}This image may not work on the selected card.{+k}" + "\n";
    return true;
}

void noteDowngrade(const char* component, const image::ComponentIdentity& card,
                   const image::ComponentIdentity& file, std::string& report) {
    if (image::compareVersion(file, card) < 0) {
        report += std::string("Warning! This is a downgrade for ") + component + " firmware." +
                  " (" + image::formatVersion(card) + " --> " + image::formatVersion(file) + ")" +
                  "\n";
    }
}

// A file without a range for the interface between primary and station firmware has nothing
// to show that it fits: it is taken as not overlapping, so the update is refused rather than
// risk pairing firmware that cannot talk to each other.
bool overlaps(const image::ComponentRange& range, std::uint16_t bottom, std::uint16_t top) {
    return range.present && std::max(range.bottom, bottom) <= std::min(range.top, top);
}

}  // namespace

bool checkPdaAreaUntouched(const image::MemoryImage& image, const card::AdapterSession& session,
                           std::string& report) {
    const std::uint32_t pdaAddress = session.pdaAddress();
    const std::uint64_t areaEnd = std::uint64_t{pdaAddress} + 2 * pda::kPdaWordLimit;
    // Where the card keeps its PDA, in the same decoding as the image's addresses.
    const std::uint64_t pdaPlace = session.decodedAddress(pdaAddress);
    const std::uint64_t placeEnd = pdaPlace + 2 * pda::kPdaWordLimit;
    // The card ignores only address bits above the area's size, so each piece of a range
    // inside one area-sized window lands in one run of consecutive places.
    constexpr std::uint64_t kWindow = 2 * pda::kPdaWordLimit;
    for (std::uint16_t n = 1; n <= image.rangeCount(); ++n) {
        const image::ImageRange& range = image.range(n);
        const std::uint64_t start = range.startAddress;
        const std::uint64_t end = start + range.length;
        for (std::uint64_t at = start; at < end;) {
            const std::uint64_t pieceEnd = std::min(end, (at / kWindow + 1) * kWindow);
            const std::uint64_t decoded = session.decodedAddress(static_cast<std::uint32_t>(at));
            const std::uint64_t decodedEnd = decoded + (pieceEnd - at);
            if (decoded < placeEnd && decodedEnd > pdaPlace) {
                char text[240];
                const int used = std::snprintf(
                    text, sizeof text,
                    "{+r}Error - image data at 0x%08X-0x%08X overlaps the card's PDA area "
                    "(0x%08X-0x%08X)",
                    static_cast<unsigned>(start), static_cast<unsigned>(end - 1),
                    static_cast<unsigned>(pdaAddress), static_cast<unsigned>(areaEnd - 1));
                report += text;
                // The address in the image's terms where this card answers its PDA area.
                const std::uint64_t alias = at + pdaPlace - decoded;
                if (alias != pdaAddress && used > 0) {
                    std::snprintf(text, sizeof text, ", which this card also answers at 0x%08X",
                                  static_cast<unsigned>(alias));
                    report += text;
                }
                report += ". This file cannot be used.\n{+k}";
                return false;
            }
            at = pieceEnd;
        }
    }
    return true;
}

bool checkFlashImage(const image::MemoryImage& image, std::string& report) {
    if (!image.hasExecutionAddress() || image.executionAddress() == 0) {
        return true;
    }
    char text[200];
    std::snprintf(text, sizeof text,
                  "{+r}Error - a RAM image (execution address 0x%08X): it runs from the card's "
                  "RAM and cannot be written to flash. This file cannot be used.\n{+k}",
                  static_cast<unsigned>(image.executionAddress()));
    report += text;
    return false;
}

bool checkPlatformAndVersions(const image::FirmwareInfo& file, const pda::PdaImage& cardPda,
                              card::AdapterSession& session, std::string& report,
                              ui::UserInterface& ui, bool pdaRead) {
    if (!checkPlatform(file, cardPda, pdaRead, report)) {
        return false;
    }

    std::string versions;
    if (file.primary.present) {
        versions = "Primary: " + image::formatVersion(file.primary);
        image::ComponentIdentity card;
        if (card::readIdentity(session, card::kRidPrimaryIdentity, card)) {
            noteDowngrade("Primary", card, file.primary, report);
        } else {
            ui::MessageBox box;
            box.text = "Unable to read RID. Continue anyway?";
            box.caption = "RID read error";
            box.owner = ui::Owner::MainWindow;
            box.buttons = ui::Buttons::OkCancel;
            box.icon = ui::Icon::Question;
            box.question = ui::Question::AfterFailure;
            if (ui.messageBox(box) != ui::Answer::Ok) {
                return false;
            }
        }
    }
    if (file.station.present) {
        if (!versions.empty()) {
            versions += ", ";
        }
        versions += "Station: " + image::formatVersion(file.station);
        // The station version only decides whether to warn; a card that does not say is let be.
        image::ComponentIdentity card;
        if (card::readIdentity(session, card::kRidStationIdentity, card)) {
            noteDowngrade("Station", card, file.station, report);
        }
    }
    report +=
        "Version information: " + (versions.empty() ? "<unknown file contents>" : versions) + "\n";
    return true;
}

bool checkCompatibility(std::span<const image::FirmwareInfo* const> files,
                        const SupplierRange& cardPrimary, std::string& result) {
    const image::FirmwareInfo* primary = nullptr;
    const image::FirmwareInfo* station = nullptr;
    bool combined = false;
    for (const image::FirmwareInfo* file : files) {
        if (file == nullptr) {
            continue;
        }
        const bool hasPrimary = file->primary.present;
        const bool hasStation = file->station.present;
        if (hasPrimary && hasStation) {
            if (primary != nullptr || station != nullptr) {
                return false;
            }
            primary = file;
            station = file;
            combined = true;
        } else if (hasPrimary) {
            if (primary != nullptr) {
                return false;
            }
            primary = file;
        } else if (hasStation) {
            if (station != nullptr) {
                return false;
            }
            station = file;
        }
    }
    if (primary != nullptr && station == nullptr) {
        return false;
    }

    constexpr std::size_t kSlot = image::kPrimaryDriverInterface;
    if (combined || station == nullptr) {
        result = kCompatibilityPassed;
        return true;
    }
    const image::ComponentRange& stationRange = station->compatibility[kSlot];
    if (primary != nullptr) {
        const image::ComponentRange& primaryRange = primary->compatibility[kSlot];
        if (primaryRange.present && overlaps(stationRange, primaryRange.bottom, primaryRange.top)) {
            result = kCompatibilityPassed;
            return true;
        }
        result =
            "Error - Station firmware file is not compatible with the primary firmware file.\n";
        return false;
    }
    if (overlaps(stationRange, cardPrimary.bottom, cardPrimary.top)) {
        result = kCompatibilityPassed;
        return true;
    }
    result =
        "Error - Station firmware file is not compatible with the current version of the primary "
        "firmware.\n";
    return false;
}

}  // namespace quillon::update
