// What the main window shows: its bound text fields and options, the states of its controls
// and menu entries, the adapter list and the file list. The window logic fills it; a face
// draws it when the logic pushes.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace quillon::ui {

// Command identifiers of the main window.
enum Command : int {
    kCmdOk = 1,
    kCmdClose = 2,
    kCmdTestCommand = 1010,
    kCmdContinue = 1011,
    kCmdCloseAdapter = 1014,
    kCmdModifyPda = 1015,
    kCmdClearPda = 1017,
    kCmdRidStressTest = 1045,
    kCmdFirmwareVersions = 1046,
    kCmdDetectAdapters = 1051,
    kCmdForceAllBlocks = 1054,
    kCmdVerifyDownloads = 1055,
    kCmdAddFile = 1056,
    kCmdClearPdaMenu = 32772,
    kCmdDisplayPda = 32773,
    kCmdShowCis = 32778,
    kCmdMacType = 32779,
    kCmdDriverVersion = 32780,
    kCmdExportFirmware = 32781,
    kCmdAbout = 32783,
    kCmdShowInfo = 32784,
    kCmdRemoveFiles = 32785,
    kCmdSavePda = 32786,
};

struct AdapterListRow {
    std::string text;
    std::uint32_t itemData = 0;
    // The row that says no adapter was found: shown, but nothing to select.
    bool placeholder = false;
};

// An entry the window adds to its system menu; command 0 is a separator.
struct MenuEntry {
    int command = 0;
    std::string text;
    bool operator==(const MenuEntry&) const = default;
};

// System-menu commands of the main window.
enum SystemCommand : int {
    kSysAbout = 16,
    kSysRegisterHex = 17,
    kSysRegisterPda = 18,
};

struct FileListRow {
    int type = 0;          // the file type, also the row's icon
    std::string typeText;  // column "Type / Version"
    std::string path;      // column "File Path"
    bool selected = false;
};

struct MainWindowView {
    std::string title = "Quillonex";
    std::string statusText;
    std::string pdaMacText;
    std::string pdaSerialText;
    std::string currentMacText;
    std::string adapterNameText;
    std::string versionText;
    bool forceAllBlocks = true;
    bool verifyDownloads = true;

    bool continueEnabled = false;
    bool closeAdapterShown = false;
    bool adapterListShown = true;
    bool adapterNameShown = false;
    bool detectAdaptersShown = true;
    // Menu entries and command identifiers that are enabled (true) or greyed (false).
    std::map<int, bool> commandEnabled;

    std::vector<AdapterListRow> adapters;
    int selectedAdapterRow = -1;  // the row the list shows selected, -1 for none
    std::vector<FileListRow> files;
    // The entries added below the system menu's own.
    std::vector<MenuEntry> systemMenu;
    // The Register entries write the file types for the person alone (the NT family), not
    // for every user of the machine (the 95 family).
    bool registersPerUser = false;
};

}  // namespace quillon::ui
