#include "base/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

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

bool holdsTemporaryFile(const std::filesystem::path& dir) {
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().filename().string().find(".tmp-") != std::string::npos) {
            return true;
        }
    }
    return false;
}

TEST(AtomicFile, AnInterruptDuringTheWriteLeavesNoTemporaryFile) {
    testing::TempDir dir;
    const std::string target = dir.file("big.hex");
    const std::string content(std::size_t{16} << 20, 'x');
    // The interrupt must land while the temporary file exists; a run that misses it tries
    // again.
    bool interrupted = false;
    for (int attempt = 0; attempt < 10 && !interrupted; ++attempt) {
        std::filesystem::remove(target);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::signal(SIGINT, SIG_DFL);
            writeFileAtomically(target, content);
            ::_exit(0);
        }
        int status = 0;
        while (::waitpid(child, &status, WNOHANG) == 0) {
            if (!interrupted && holdsTemporaryFile(dir.path())) {
                ::kill(child, SIGINT);
                interrupted = true;
            }
        }
        if (interrupted) {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT);
        }
    }
    ASSERT_TRUE(interrupted);
    EXPECT_FALSE(holdsTemporaryFile(dir.path()));
    // The interrupt came once the file was whole.
    std::error_code ignored;
    EXPECT_EQ(std::filesystem::file_size(target, ignored), content.size());
}

}  // namespace
}  // namespace quillon
