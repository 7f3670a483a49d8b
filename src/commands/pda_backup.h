// The copy of the card's PDA kept before any command writes it. A card's PDA (serial number,
// MAC address, calibration, regulatory domain) exists nowhere else, so every write is preceded
// by a ".pda" file that can be written back; copies are never deleted by the program.
#pragma once

#include <ctime>
#include <optional>
#include <string>

#include "pda/pda_image.h"
#include "ui/user_interface.h"

namespace quillon::pda {

// The file name of a copy: serial number, MAC address and the time (UTC), e.g.
// "SIM0001_00-02-B3-12-34-56_20261207T121530Z.pda". Characters that do not belong in a file
// name become "_"; a missing serial number or MAC address reads "no-serial" or "no-mac".
std::string pdaBackupName(const PdaImage& pda, std::time_t when);

// Saves pda to a new file in folder (created when missing) and tells the person where. The
// path, or none after telling the person that nothing will be written.
std::optional<std::string> backUpPda(const PdaImage& pda, const std::string& folder,
                                     ui::UserInterface& ui);

}  // namespace quillon::pda
