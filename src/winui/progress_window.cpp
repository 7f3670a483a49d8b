#include "winui/progress_window.h"

namespace quillon::winui {

std::unique_ptr<ui::ProgressWindow> createProgressWindow(HINSTANCE instance, HWND owner) {
    (void)instance;
    (void)owner;
    return nullptr;  // not built yet
}

}  // namespace quillon::winui
