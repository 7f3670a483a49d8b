// The PDA settings dialog over pda::PdaSettingsDialog, which holds every decision.
#pragma once

#include "winui/windows_api.h"

#include "commands/pda_settings_dialog.h"

namespace quillon::winui {

// Runs the dialog modally over owner; true when the person confirmed it.
bool runPdaSettingsDialog(HINSTANCE instance, HWND owner, pda::PdaSettingsDialog& dialog);

}  // namespace quillon::winui
