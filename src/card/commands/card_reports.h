// The main window's reports on the selected card, which read it without changing it (the RID
// stress test only resets it at the end).
#pragma once

#include "card/adapter_session.h"
#include "ui/command_host.h"
#include "ui/user_interface.h"

namespace quillon::card {

// "Query Firmware Version": versions, identification text and the six compatibility ranges.
void showFirmwareVersions(ui::CommandHost& host, AdapterSession& session, ui::UserInterface& ui);
void showMacType(ui::CommandHost& host, AdapterSession& session, ui::UserInterface& ui);
void showDriverVersion(ui::CommandHost& host, AdapterSession& session, ui::UserInterface& ui);
// The CIS as a tuple-by-tuple byte listing in the report window.
void showCis(ui::CommandHost& host, AdapterSession& session, ui::UserInterface& ui);
// Reads RID 0xFC01 100,001 times under the progress window.
void ridStressTest(ui::CommandHost& host, AdapterSession& session, ui::UserInterface& ui);

}  // namespace quillon::card
