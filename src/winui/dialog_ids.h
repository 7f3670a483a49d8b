// The ids of the report, progress, About and PDA settings windows and of their controls. The
// resource compiler reads this file too: plain #defines only.
#pragma once

// The About box: template 100 with the picture of bitmap 159.
#define IDD_ABOUT_BOX 100
#define IDB_ABOUT_BOX_PICTURE 159

// The report window: template 144, the rich-text area 1044 and the clipboard button 1053 with
// icon 148; the accept and cancel buttons are IDOK (1) and IDCANCEL (2).
#define IDD_REPORT_WINDOW 144
#define IDC_REPORT_TEXT 1044
#define IDC_REPORT_CLIPBOARD 1053
#define IDI_REPORT_CLIPBOARD 148

// The progress window: the large text, the bar, and the line under it that names the file, how
// far the whole job is and that the card stays in.
#define IDD_PROGRESS_WINDOW 145
#define IDC_PROGRESS_TEXT 1070
#define IDC_PROGRESS_BAR 1071
#define IDC_PROGRESS_DETAIL 1072

// "View / Modify PDA Settings": "Write to Card Now" is IDOK, "Cancel" IDCANCEL.
#define IDD_PDA_SETTINGS 146
#define IDC_PDA_SETTINGS_MAC 1060
#define IDC_PDA_SETTINGS_SERIAL 1061
#define IDC_PDA_SETTINGS_UPPERCASE 1062
