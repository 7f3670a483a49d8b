// The progress window: the large bold text and a smooth bar, standing alone while the card is
// written; it cannot be closed meanwhile.
#pragma once

#include "winui/windows_api.h"

#include <memory>

#include "ui/user_interface.h"

namespace quillon::winui {

std::unique_ptr<ui::ProgressWindow> createProgressWindow(HINSTANCE instance, HWND owner);

}  // namespace quillon::winui
