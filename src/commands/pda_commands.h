// The main window's commands on the selected card's PDA: view and change its MAC address and
// serial number, clear it, display it, save it to a ".pda" file, and write it back after an
// update. Each works on the window's PdaImage (the card's PDA as last read and edited).
#pragma once

#include <string>

#include "card/adapter_session.h"
#include "pda/pda_image.h"
#include "ui/command_host.h"
#include "ui/outcome.h"
#include "ui/user_interface.h"

namespace quillon::pda {

// "View / Modify PDA Settings", then, once the person confirmed the new MAC address and serial
// number (Enter answers No), writes the PDA to the card.
ui::Outcome modifyPda(ui::CommandHost& host, card::AdapterSession& session, PdaImage& pda,
                      const ui::ProgrammingOptions& options, ui::UserInterface& ui);

// "Completely clear the PDA".
ui::Outcome clearPda(ui::CommandHost& host, card::AdapterSession& session, PdaImage& pda,
                     const ui::ProgrammingOptions& options, ui::UserInterface& ui);

// "Display current PDA": re-reads the card's PDA and lists its words in the report window.
ui::Outcome displayPda(ui::CommandHost& host, card::AdapterSession& session, PdaImage& pda,
                       ui::UserInterface& ui);

// Saves the PDA held in memory to a ".pda" file the person chooses.
ui::Outcome savePda(ui::CommandHost& host, const PdaImage& pda, ui::UserInterface& ui);

// Writes the PDA of a ".pda" file (a copy kept before an earlier write) back to the card,
// after the checks of an update (the file loads, its records fit the card) and the person's
// confirmation; the card's PDA as read is copied first.
ui::Outcome restorePda(ui::CommandHost& host, card::AdapterSession& session, PdaImage& pda,
                       const ui::ProgrammingOptions& options, const std::string& path,
                       ui::UserInterface& ui);

// Writes the merged PDA after an update's images were programmed (the adapter is open). The
// card is not reset here: the update does that once, at its end. True when the write succeeded.
bool writePdaAfterUpdate(card::AdapterSession& session, const PdaImage& pda,
                         const ui::ProgrammingOptions& options, ui::UserInterface& ui);

// The word listing of the display: each word in lower-case hex followed by a blank, each record
// after the first on a new line (CR LF), the end record with a fresh checksum last.
std::string pdaListing(const PdaImage& pda);

}  // namespace quillon::pda
