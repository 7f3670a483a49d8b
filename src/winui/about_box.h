// The About box (template 100) with its picture.
#pragma once

#include "winui/windows_api.h"

namespace quillon::winui {

void runAboutBox(HINSTANCE instance, HWND owner);

}  // namespace quillon::winui
