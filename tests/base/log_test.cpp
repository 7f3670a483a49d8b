#include "base/log.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "temp_dir.h"

namespace quillon {
namespace {

TEST(Log, IsOffByDefaultAndCaptureCollectsFormattedText) {
    EXPECT_EQ(logTarget(), LogTarget::Off);
    writeLog("dropped %d\n", 1);
    {
        LogCapture capture;
        writeLog("Line %u: %s", 7u, "x");
        writeLog("%x", 0x1F);
        EXPECT_EQ(capture.text(), "Line 7: x1f");
    }
    EXPECT_EQ(logTarget(), LogTarget::Off);
}

TEST(Log, EnvironmentSelectsTheTarget) {
    struct Case {
        const char* value;
        LogTarget expected;
    };
    for (const Case& c :
         {Case{"1", LogTarget::File}, Case{"-", LogTarget::StdErr}, Case{"yes", LogTarget::Off}}) {
        setLogTarget(LogTarget::Off);
        ::setenv("QUILLON_LOG", c.value, 1);
        configureLogFromEnvironment();
        EXPECT_EQ(logTarget(), c.expected) << c.value;
    }
    ::unsetenv("QUILLON_LOG");
    setLogTarget(LogTarget::Off);
}

TEST(Log, FileTargetAppendsToFlashLogInTheWorkingDirectory) {
    testing::TempDir dir;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    dir.write("flash.log", "earlier\n");
    setLogTarget(LogTarget::File);
    writeLog("Build sequence: %u\n", 12u);
    setLogTarget(LogTarget::Off);
    std::filesystem::current_path(previous);
    EXPECT_EQ(testing::readWholeFile(dir.file("flash.log")), "earlier\nBuild sequence: 12\n");
}

}  // namespace
}  // namespace quillon
