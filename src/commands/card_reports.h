// The main window's reports on the selected card, which read it without changing it (the RID
// stress test only resets it at the end).
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "card/adapter_session.h"
#include "ui/command_host.h"
#include "ui/outcome.h"
#include "ui/user_interface.h"

namespace quillon::card {

// "Query Firmware Version": versions, identification text and the six compatibility ranges.
ui::Outcome showFirmwareVersions(ui::CommandHost& host, AdapterSession& session,
                                 ui::UserInterface& ui);
ui::Outcome showMacType(ui::CommandHost& host, AdapterSession& session, ui::UserInterface& ui);
ui::Outcome showDriverVersion(ui::CommandHost& host, AdapterSession& session,
                              ui::UserInterface& ui);
// The CIS as a tuple-by-tuple byte listing in the report window.
ui::Outcome showCis(ui::CommandHost& host, AdapterSession& session, ui::UserInterface& ui);
// Reads RID 0xFC01 100,001 times under the progress window.
ui::Outcome ridStressTest(ui::CommandHost& host, AdapterSession& session, ui::UserInterface& ui);

// The CIS bytes as the CIS report lists them: a heading, then each tuple on a line of its own
// (every line begun by CR LF), each byte in lower-case hex followed by a blank, up to and
// including the 0xFF byte that ends the chain.
std::string cisListing(std::span<const std::uint8_t> cis);

}  // namespace quillon::card
