// What the card says about itself through RID reads: the MAC type (which fixes the card
// addresses of the session), the identities and versions of its firmware, its compatibility
// ranges and its identification text.
#pragma once

#include <cstdint>
#include <string>

#include "card/adapter_session.h"
#include "ui/user_interface.h"

namespace quillon::card {

// RIDs the program reads.
inline constexpr std::uint16_t kRidPrimaryIdentity = 0xFD02;
inline constexpr std::uint16_t kRidPrimarySupplierRange = 0xFD03;
inline constexpr std::uint16_t kRidMacIdentity = 0xFD04;
inline constexpr std::uint16_t kRidModemSupplierRange = 0xFD0C;
inline constexpr std::uint16_t kRidControllerSupplierRange = 0xFD0D;
inline constexpr std::uint16_t kRidStationIdentity = 0xFD20;
inline constexpr std::uint16_t kRidStationSupplierRange = 0xFD21;
inline constexpr std::uint16_t kRidModemActorRange = 0xFD22;
inline constexpr std::uint16_t kRidControllerActorRange = 0xFD23;
inline constexpr std::uint16_t kRidIdentText = 0xFFFF;
inline constexpr std::uint16_t kRidStressTest = 0xFC01;

inline constexpr std::size_t kIdentTextLength = 26;

// Reads the MAC type from RID 0xFD04 and sets the session's MAC type and card addresses. A card
// that does not answer is taken for a 3842-based card, after a warning.
void determineMacType(AdapterSession& session, ui::UserInterface& ui);

// The card's identification text: always 26 characters, blanks where the record holds no
// printable character. False, with an empty text, when the RID cannot be read.
bool readIdentText(AdapterSession& session, std::string& text);

}  // namespace quillon::card
