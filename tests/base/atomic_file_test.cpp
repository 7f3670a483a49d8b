#include "base/atomic_file.h"

#include <gtest/gtest.h>

#include "temp_dir.h"

namespace quillon {
namespace {

TEST(AtomicFile, ReplacesTheTargetAndLeavesNoTemporaryFile) {
    testing::TempDir dir;
    const std::string target = dir.write("card.pda", "old");
    ASSERT_TRUE(writeFileAtomically(target, "new content\r\n"));
    EXPECT_EQ(testing::readWholeFile(target), "new content\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(AtomicFile, FailureLeavesTheExistingFileUntouched) {
    testing::TempDir dir;
    // A target whose folder does not exist cannot be written.
    EXPECT_FALSE(writeFileAtomically(dir.file("missing/out.hex"), "x"));
    // A target that is a folder cannot be replaced by a file; the folder stays.
    std::filesystem::create_directory(dir.file("taken"));
    dir.write("taken/keep", "kept");
    EXPECT_FALSE(writeFileAtomically(dir.file("taken"), "x"));
    EXPECT_EQ(testing::readWholeFile(dir.file("taken/keep")), "kept");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    EXPECT_FALSE(writeFileAtomically("", "x"));
}

}  // namespace
}  // namespace quillon
