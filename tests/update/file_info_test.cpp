// Show Info over the update file list: the selected files, or the only one.
#include <gtest/gtest.h>

#include "fake_user_interface.h"
#include "sample_generator.h"
#include "temp_dir.h"
#include "update/file_info_report.h"
#include "update/update_file_list.h"

namespace quillon::testing {
namespace {

class ShowFileInfoTest : public ::testing::Test {
  protected:
    ShowFileInfoTest() {
        for (const auto& [name, content] : tools::makeSamples()) {
            dir.write(name, content);
        }
    }

    std::string add(const std::string& name) {
        list.addFile(dir.file(name), ui);
        return dir.file(name);
    }

    TempDir dir;
    FakeUserInterface ui;
    update::UpdateFileList list;
};

const std::string kStationInfo =
    "Contains STATION firmware, version 1.8.0\n"
    "Plug records: 101, 3, 300, 301, [filename]\n"
    "Built for platforms: 8002, 8003\n"
    "\n  Compatibility:\n"
    "    Primary Firmware-Driver: Actor: Range=1..2 Variant=1\n"
    "    Station Firmware-Driver: Supplier: Range=1..1 Variant=1\n"
    "\n"
    "Data ranges:  (7E0000 - 7E3FFF)  (7E8000 - 7E9FFF)  \n"
    "Total data size (in decimal): 24576 bytes (6000 bytes in hex)\n";

TEST_F(ShowFileInfoTest, TheOnlyFileIsDescribedWhetherSelectedOrNot) {
    const std::string path = add("station-1.8.0.hex");
    update::showFileInfo(list, ui);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, path + "\n\n" + kStationInfo);
    EXPECT_EQ(ui.boxes[0].caption, "File Info");
    EXPECT_EQ(ui.boxes[0].icon, ui::Icon::None);
    EXPECT_EQ(ui.boxes[0].owner, ui::Owner::MainWindow);
}

TEST_F(ShowFileInfoTest, TheSelectedFilesAreDescribedInListOrder) {
    const std::string station = add("station-1.8.0.hex");
    const std::string pda = add("mac-serial.pda");
    add("primary-1.1.1.hex");
    list.setSelected(0, true);  // the ".pda" file, which the list puts first
    list.setSelected(2, true);  // the station file
    ASSERT_EQ(list.pathAt(0), pda);

    update::showFileInfo(list, ui);

    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, pda +
                                    "\n\nA PDA file. Contains PDR's: \n\n3, 101\n\n3 (serial "
                                    "number): QSN-000042\n101 (MAC address): 00-02-B3-AB-CD-EF" +
                                    "\n-----------------------------\n\n" + station + "\n\n" +
                                    kStationInfo);
}

TEST_F(ShowFileInfoTest, NothingToDescribeIsAWarning) {
    update::showFileInfo(list, ui);
    add("station-1.8.0.hex");
    add("primary-1.1.1.hex");
    update::showFileInfo(list, ui);
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.texts(),
              (std::vector<std::string>{
                  "There were no files in the list. Add a file and try again.",
                  "There were no files selected. Select a file from the list and try again."}));
    for (const auto& box : ui.boxes) {
        EXPECT_EQ(box.caption, "No File Info");
        EXPECT_EQ(box.icon, ui::Icon::Warning);
    }
}

}  // namespace
}  // namespace quillon::testing
