#include "winui/pda_settings_dialog.h"

namespace quillon::winui {

bool runPdaSettingsDialog(HINSTANCE instance, HWND owner, pda::PdaSettingsDialog& dialog) {
    (void)instance;
    (void)owner;
    (void)dialog;
    return false;  // not built yet: nothing is confirmed
}

}  // namespace quillon::winui
