#include "winui/about_box.h"

namespace quillon::winui {

void runAboutBox(HINSTANCE instance, HWND owner) {
    (void)instance;
    (void)owner;
}

}  // namespace quillon::winui
