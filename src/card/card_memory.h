// Reads of card memory through the aux port: the card's PDA, and runs of bytes such as the CIS
// or the flash window of a firmware export.
#pragma once

#include <cstdint>
#include <span>

#include "card/adapter_session.h"
#include "pda/pda_image.h"
#include "ui/user_interface.h"

namespace quillon::card {

// The PDA is read as 512 words.
inline constexpr std::uint16_t kPdaReadBytes = 1024;

// Reads the card's PDA into image: the plain (RAM) copy first, the NVRAM copy when the plain
// copy holds no record. True when a PDA with a valid checksum was read. An unreadable first
// block fails silently and leaves image as it was; data that do not parse or check are shown
// to the person as a word dump and leave image empty.
bool readPda(AdapterSession& session, pda::PdaImage& image, ui::UserInterface& ui);

// Reads length bytes at address into the start of destination. A length above 2042, or a
// destination too small for it, fails at once without a message; a failed or short read is
// told to the person.
bool readAuxPort(AdapterSession& session, std::span<std::uint8_t> destination,
                 std::uint32_t address, std::uint16_t length, ui::UserInterface& ui);

}  // namespace quillon::card
