#include "base/state_folder.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(StateFolder, WindowsPrefersLocalAppDataThenAppData) {
    const std::optional<std::string> none;
    const struct {
        std::optional<std::string> localAppData;
        std::optional<std::string> appData;
        std::optional<std::string> folder;
    } cases[] = {
        {"C:\\L", "C:\\R", "C:\\L\\Quillon"},
        {none, "C:\\R", "C:\\R\\Quillon"},
        {"", "C:\\R", "C:\\R\\Quillon"},
        {none, none, none},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(windowsStateFolder(c.localAppData, c.appData), c.folder);
    }
}

}  // namespace
}  // namespace quillon
