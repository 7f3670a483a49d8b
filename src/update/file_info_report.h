// Show Info: describes queued files without touching the card. Each file is loaded afresh and
// reported: the firmware it carries, whether it looks like a CIS or a RAM-download image, its
// plug records, platforms, compatibility ranges and data ranges, or the records of a PDA file.
#pragma once

#include <span>
#include <string>

#include "ui/user_interface.h"

namespace quillon::update {

// One row of the file list as the report sees it.
struct FileInfoItem {
    std::string path;
    bool selected = false;
};

// The report of one file (the part the report repeats for every file it describes).
std::string describeFile(const std::string& path, ui::UserInterface& ui);

class UpdateFileList;

// The box Show Info shows for the list: the report of every selected item (of the only item
// when the list holds exactly one), or a warning when there is nothing to describe.
ui::MessageBox fileInfoBox(std::span<const FileInfoItem> items, ui::UserInterface& ui);

// Show Info for the selected files of the list (or its only file), shown in a message box.
void showFileInfo(const UpdateFileList& list, ui::UserInterface& ui);

}  // namespace quillon::update
