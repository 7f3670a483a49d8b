// The checks that precede an update: each firmware file against the card's platform and
// versions, and the queued files against each other's compatibility ranges. Findings go into
// the update report with colour markup.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "card/adapter_session.h"
#include "image/firmware_info.h"
#include "pda/pda_image.h"
#include "ui/user_interface.h"

namespace quillon::update {

// The card's primary firmware supplier range (RID 0xFD03), or 0 .. 0xFFFF when it could not
// be read and the person chose to go on.
struct SupplierRange {
    std::uint16_t bottom = 0;
    std::uint16_t top = 0xFFFF;
};

// Appends the file's platform and version findings to report; false forbids the update
// (platform mismatch, or the person cancelled after a failed RID read).
// With pdaRead false the card's platform is unknown, and the report says so.
bool checkPlatformAndVersions(const image::FirmwareInfo& file, const pda::PdaImage& cardPda,
                              card::AdapterSession& session, std::string& report,
                              ui::UserInterface& ui, bool pdaRead = true);

// Firmware must never write over the card's production data: false, with a red finding, when
// any byte of image reaches the card's PDA area, at its own address or at one the card decodes
// to the same place (a 3841 ignores address bits 17 and 18).
bool checkPdaAreaUntouched(const image::MemoryImage& image, const card::AdapterSession& session,
                           std::string& report);

// An image with an execution address runs from the card's RAM and cannot be written to its
// flash: false, with a red finding, for such an image.
bool checkFlashImage(const image::MemoryImage& image, std::string& report);

// Checks the set of queued firmware files (in list order). On true, and on a range failure,
// result is set to the verdict line; on a conflict of file kinds it is left as it was.
bool checkCompatibility(std::span<const image::FirmwareInfo* const> files,
                        const SupplierRange& cardPrimary, std::string& result);

}  // namespace quillon::update
