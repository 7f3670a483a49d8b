// The report window (template 144): the update's report with its colours in a RichEdit
// control, UPDATE (or OK) and CANCEL, and copying the text to the clipboard.
#pragma once

#include "winui/windows_api.h"

#include "ui/user_interface.h"

namespace quillon::winui {

// Shows the report modally over owner; true when the person chose the accept button.
bool runReportWindow(HINSTANCE instance, HWND owner, const ui::ReportRequest& request);

}  // namespace quillon::winui
