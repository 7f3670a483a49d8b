// The queue of update files: classification, the replacement and duplicate rules, the order
// by type, and removal of the selected files.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fake_user_interface.h"
#include "sample_generator.h"
#include "temp_dir.h"
#include "update/update_file_list.h"

namespace quillon::testing {
namespace {

using update::UpdateFileList;

// A row as the tests compare it: type, type text, and the file's name.
struct Row {
    int type;
    std::string typeText;
    std::string name;
    bool operator==(const Row&) const = default;
};

void PrintTo(const Row& r, std::ostream* os) {
    *os << "{" << r.type << ", \"" << r.typeText << "\", " << r.name << "}";
}

class FileListTest : public ::testing::Test {
  protected:
    FileListTest() {
        for (const auto& [name, content] : tools::makeSamples()) {
            dir.write(name, content);
        }
        dir.write("platform.pda", "5 8 8003 0 0 0\r\n2 2 1\r\n");
        dir.write("version-only.pda", "2 2 1f\r\n");
        dir.write("broken.pda", "this is not production data\r\n");
    }

    void add(const std::string& name) { list.addFile(dir.file(name), ui); }

    std::vector<Row> rows() const {
        std::vector<Row> out;
        for (const auto& r : list.rows()) {
            out.push_back({r.type, r.typeText, std::filesystem::path(r.path).filename().string()});
        }
        return out;
    }

    TempDir dir;
    FakeUserInterface ui;
    UpdateFileList list;
};

TEST_F(FileListTest, FilesAreClassifiedByWhatTheyHold) {
    const std::vector<std::pair<std::string, Row>> cases = {
        {"primary-1.1.1.hex", {2, "1.1.1", "primary-1.1.1.hex"}},
        {"station-1.8.0.hex", {3, "1.8.0", "station-1.8.0.hex"}},
        {"combined-1.1.1-1.8.0.hex", {4, "1.1.1 / 1.8.0", "combined-1.1.1-1.8.0.hex"}},
        {"cis-3842.hex", {5, "Version 01.02", "cis-3842.hex"}},
        {"mac-serial.pda", {0, "     ", "mac-serial.pda"}},
        {"platform.pda", {0, "8003 / 1", "platform.pda"}},
        {"version-only.pda", {0, "      / 1f", "version-only.pda"}},
        {"broken.pda", {0, "     ", "broken.pda"}},
        {"missing.hex", {1, " unknown", "missing.hex"}},
        {"mac-serial.pda.txt", {1, " unknown", "mac-serial.pda.txt"}},
    };
    for (const auto& [name, row] : cases) {
        SCOPED_TRACE(name);
        UpdateFileList single;
        single.addFile(dir.file(name), ui);
        ASSERT_EQ(single.count(), 1);
        EXPECT_EQ((Row{single.typeAt(0), single.rows()[0].typeText, name}), row);
        EXPECT_EQ(single.pathAt(0), dir.file(name));
    }
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FileListTest, ReplacementDuplicateAndSortingRules) {
    struct Case {
        const char* what;
        std::vector<std::string> added;
        std::vector<std::string> expected;  // names in list order
    };
    dir.write("a.hex", tools::makeSamples().at("station-1.8.0.hex"));
    dir.write("A.pda", "4 101 200 abb3 efcd\r\n");
    dir.write("cis-b.hex", tools::makeSamples().at("cis-3842.hex"));
    const std::vector<Case> cases = {
        {"a combined file replaces the station file, a primary file the combined file",
         {"station-1.8.0.hex", "combined-1.1.1-1.8.0.hex", "primary-1.1.1.hex"},
         {"primary-1.1.1.hex"}},
        {"primary and station stand together, primary first",
         {"station-1.8.0.hex", "primary-1.1.1.hex"},
         {"primary-1.1.1.hex", "station-1.8.0.hex"}},
        {"a combined file replaces both",
         {"primary-1.1.1.hex", "station-1.8.0.hex", "combined-1.1.1-1.8.0.hex"},
         {"combined-1.1.1-1.8.0.hex"}},
        {"a second station file replaces the first", {"station-1.8.0.hex", "a.hex"}, {"a.hex"}},
        {"a second CIS image replaces the first", {"cis-3842.hex", "cis-b.hex"}, {"cis-b.hex"}},
        {"PDA files stand first, in the order they were added",
         {"primary-1.1.1.hex", "mac-serial.pda", "set-point.pda"},
         {"mac-serial.pda", "set-point.pda", "primary-1.1.1.hex"}},
        {"the same PDA file under another letter case is listed once, as added last",
         {"a.pda", "set-point.pda", "A.pda"},
         {"set-point.pda", "A.pda"}},
        {"the same other file is listed once", {"x.bin", "X.BIN", "y.bin"}, {"X.BIN", "y.bin"}},
        {"every type in its place",
         {"cis-3842.hex", "station-1.8.0.hex", "x.bin", "primary-1.1.1.hex", "set-point.pda"},
         {"set-point.pda", "x.bin", "primary-1.1.1.hex", "station-1.8.0.hex", "cis-3842.hex"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UpdateFileList fresh;
        for (const std::string& name : c.added) {
            fresh.addFile(dir.file(name), ui);
        }
        std::vector<std::string> names;
        for (const auto& r : fresh.rows()) {
            names.push_back(std::filesystem::path(r.path).filename().string());
        }
        EXPECT_EQ(names, c.expected);
        for (int i = 1; i < fresh.count(); ++i) {
            EXPECT_LE(fresh.typeAt(i - 1), fresh.typeAt(i));
        }
    }
}

TEST_F(FileListTest, InsertItemReturnsTheSortedPosition) {
    EXPECT_EQ(list.insertItem(update::StationFirmware, "1.8.0", "s"), 0);
    EXPECT_EQ(list.insertItem(update::PdaFile, "     ", "p1"), 0);
    EXPECT_EQ(list.insertItem(update::PdaFile, "     ", "p2"), 1);
    EXPECT_EQ(list.insertItem(update::CisImage, "", "c"), 3);
    EXPECT_EQ(list.insertItem(update::OtherFile, " unknown", "o"), 2);
    EXPECT_EQ(list.findFirstOfType(update::StationFirmware), 3);
    EXPECT_EQ(list.findFirstOfType(update::PrimaryFirmware), -1);
    EXPECT_EQ(list.removeAllOfType(update::PdaFile), 0);
    EXPECT_EQ(list.removeAllOfType(update::PdaFile), -1);
    EXPECT_EQ(list.removeAllOfType(update::CisImage), 2);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.typeAt(2), -1);
    EXPECT_EQ(list.typeAt(-1), -1);
    EXPECT_EQ(list.pathAt(2), "");
}

TEST_F(FileListTest, FoldersAreIgnoredAndMissingFilesListed) {
    std::filesystem::create_directory(dir.file("folder.hex"));
    add("folder.hex");
    add("nowhere.hex");
    EXPECT_EQ(rows(), (std::vector<Row>{{1, " unknown", "nowhere.hex"}}));
}

TEST_F(FileListTest, RemovingSelectedFilesTakesAtMostThirty) {
    for (int i = 0; i < 40; ++i) {
        list.insertItem(update::OtherFile, " unknown", "file" + std::to_string(i));
    }
    for (int i = 0; i < 35; ++i) {
        list.setSelected(i + 5, true);
    }
    EXPECT_EQ(list.selectedCount(), 35);
    list.removeSelected();
    EXPECT_EQ(list.count(), 10);
    EXPECT_EQ(list.selectedCount(), 5);
    std::vector<std::string> paths;
    for (int i = 0; i < list.count(); ++i) {
        paths.push_back(list.pathAt(i));
    }
    EXPECT_EQ(paths, (std::vector<std::string>{"file0", "file1", "file2", "file3", "file4",
                                               "file35", "file36", "file37", "file38", "file39"}));
}

}  // namespace
}  // namespace quillon::testing
