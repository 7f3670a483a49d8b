#include "winui/report_window.h"

namespace quillon::winui {

bool runReportWindow(HINSTANCE instance, HWND owner, const ui::ReportRequest& request) {
    (void)instance;
    (void)owner;
    (void)request;
    return false;  // not built yet: nothing is ever accepted
}

}  // namespace quillon::winui
