// The numbers of quillon.exe's resources and of the main window's controls, shared by
// quillon.rc and the code. Plain macros: the resource compiler reads this file too.
#pragma once

// The main window (a dialog) and its menus.
#define IDD_MAIN_WINDOW 102
#define IDR_MAIN_MENU 138
#define IDR_FILE_LIST_MENU 131

// Pictures. The icons are numbered in ascending order so that the shell's icon index 2 names
// the firmware-file icon and 3 the PDA-file icon.
#define IDI_QUILLON 128
#define IDI_CARD_READY 133
#define IDI_FIRMWARE_FILE 140
#define IDI_PDA_FILE 141
#define IDB_FILE_TYPES 143
#define IDB_ABOUT_PICTURE 159

// Strings: the system menu gets its additions only while this one is not empty.
#define IDS_ABOUT_BOX 101

// The main window's controls that are not command buttons.
#define IDC_STATUS_LINE 1013
#define IDC_ADAPTER_LIST 1016
#define IDC_PDA_MAC 1020
#define IDC_PDA_SERIAL 1021
#define IDC_CURRENT_MAC 1024
#define IDC_ADAPTER_NAME 1026
#define IDC_VERSION_TEXT 1037
#define IDC_FILE_LIST 1040
#define IDC_UNNAMED (-1)

// The main window's command buttons (the same numbers as their commands).
#define IDC_TEST_COMMAND 1010
#define IDC_CONTINUE 1011
#define IDC_CLOSE_ADAPTER 1014
#define IDC_DETECT_ADAPTERS 1051
#define IDC_FORCE_ALL_BLOCKS 1054
#define IDC_VERIFY_DOWNLOADS 1055
#define IDC_ADD_FILE 1056

// Menu commands.
#define IDM_FIRMWARE_VERSIONS 1046
#define IDM_EXPORT_FIRMWARE 32781
#define IDM_ABOUT 32783
#define IDM_SHOW_INFO 32784
#define IDM_REMOVE_FILES 32785
