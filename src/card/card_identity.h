// What the card says about itself through RID reads: the MAC type (which fixes the card
// addresses of the session), the identities and versions of its firmware, its compatibility
// ranges and its identification text.
#pragma once

#include <cstdint>
#include <string>

#include "card/adapter_session.h"
#include "image/firmware_info.h"
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

// What the card reports about itself, one field per source. Nothing keeps one between
// commands: each report reads what it shows.
struct CardInfo {
    image::ComponentIdentity primary;          // 0xFD02
    image::ComponentIdentity station;          // 0xFD20
    std::uint16_t macType = 0;                 // 0xFD04 data word 2, as reported
    image::ComponentRange primarySupplier;     // 0xFD03
    image::ComponentRange modemSupplier;       // 0xFD0C
    image::ComponentRange controllerSupplier;  // 0xFD0D
    image::ComponentRange stationSupplier;     // 0xFD21
    image::ComponentRange modemActor;          // 0xFD22
    image::ComponentRange controllerActor;     // 0xFD23
    std::string identText;                     // 0xFFFF, 26 characters
    std::uint32_t driverVersion = 0;
};

// Reads the MAC type from RID 0xFD04 and sets the session's MAC type and card addresses. A card
// that does not answer is taken for a 3842-based card, after a warning.
void determineMacType(AdapterSession& session, ui::UserInterface& ui);

// Opens the adapter at index (when it is not open yet) and describes the card's firmware:
// "Primary: 1.1.0   Station: 1.7.4". A RID that cannot be read is named in the text instead,
// and the result is false. An adapter this call opened is closed again after a success.
bool readCardVersions(AdapterSession& session, std::uint32_t index, std::string& text);

// A firmware identity from RID 0xFD02 or 0xFD20: variant, major and minor from data words 1
// to 3. False, leaving identity as it was, when the RID cannot be read.
bool readIdentity(AdapterSession& session, std::uint16_t rid, image::ComponentIdentity& identity);

// The bottom and top of a range RID (data words 3 and 4). False, leaving range as it was,
// when the RID cannot be read.
bool readRange(AdapterSession& session, std::uint16_t rid, image::ComponentRange& range);

// Every field of CardInfo; true when every read succeeded.
bool readCardInfo(AdapterSession& session, CardInfo& info);

// The card's identification text: always 26 characters, blanks where the record holds no
// printable character. False, with an empty text, when the RID cannot be read.
bool readIdentText(AdapterSession& session, std::string& text);

}  // namespace quillon::card
