// The queue of files the next update writes to the card, classified when added and kept sorted
// by type, which fixes the order in which the update merges, loads and programs them. The list
// holds no loaded data: only the type, a display text and the path of each file.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "ui/main_window_view.h"
#include "ui/user_interface.h"

namespace quillon::update {

enum FileType : int {
    PdaFile = 0,
    OtherFile = 1,
    PrimaryFirmware = 2,
    StationFirmware = 3,
    PrimaryAndStation = 4,
    CisImage = 5,
};

// True when the path's last four characters are ".pda", in any letter case.
bool hasPdaExtension(const std::string& path);

class UpdateFileList {
  public:
    // Classifies the file by reading it and inserts it. A directory is ignored; a file that
    // cannot be read is still listed (as " unknown", or as a ".pda" file by its name).
    void addFile(const std::string& path, ui::UserInterface& ui);
    // Whether a firmware file of kind incoming pushes a queued file of kind queued out of the
    // list: one primary, one station (or one file holding both) and one CIS image are kept.
    static bool displaces(int incoming, int queued);
    // Applies the type's replacement rule and inserts at the sorted position; the new index.
    int insertItem(FileType type, const std::string& typeText, const std::string& path);
    // The index of the last item removed, or -1.
    int removeAllOfType(FileType type);
    // Removes the selected items (at most the first 30 of them).
    void removeSelected();

    int count() const { return static_cast<int>(rows_.size()); }
    int selectedCount() const;
    int findFirstOfType(FileType type) const;
    // -1 when index is not below count().
    int typeAt(int index) const;
    // Empty when index is not below count().
    std::string pathAt(int index) const;

    void setSelected(int index, bool selected);
    bool isSelected(int index) const;
    const std::vector<ui::FileListRow>& rows() const { return rows_; }

  private:
    void removeAt(int index);

    std::vector<ui::FileListRow> rows_;
};

}  // namespace quillon::update
