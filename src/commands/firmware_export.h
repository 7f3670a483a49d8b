// "Export Entire Firmware Image...": copies the card's 128 KiB flash window into an image, block
// by block with read-back agreement, and saves it as S-records or a text dump.
#pragma once

#include "card/adapter_session.h"
#include "ui/command_host.h"
#include "ui/outcome.h"
#include "ui/user_interface.h"

namespace quillon::image {

ui::Outcome exportFirmwareImage(ui::CommandHost& host, card::AdapterSession& session,
                                ui::UserInterface& ui);

}  // namespace quillon::image
