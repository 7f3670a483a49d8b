#include "ui/progress_text.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace quillon::ui {
namespace {

// The item as plain fields: gcc's -O3 warns about a std::string built inside the table.
struct DetailCase {
    const char* name;
    struct {
        const char* name;
        int number;
        int count;
    } item;
    double itemShare;
    double seconds;
    std::string detail;
};

class ProgressDetail : public ::testing::TestWithParam<DetailCase> {};

TEST_P(ProgressDetail, SaysWhatHowFarAndThatTheCardStaysIn) {
    const DetailCase& c = GetParam();
    ProgressItem item;
    item.name = c.item.name;
    item.number = c.item.number;
    item.count = c.item.count;
    EXPECT_EQ(progressDetail(item, c.itemShare, c.seconds), c.detail);
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgressDetail,
    ::testing::Values(
        DetailCase{"NoItem", {"", 0, 0}, 0.5, 10, "Do not remove the card."},
        DetailCase{"OneFileStarting",
                   {"station.hex", 1, 1},
                   0,
                   0,
                   "station.hex, 0%\nDo not remove the card."},
        // Half of the second of three files: half of the job, and as long again to go.
        DetailCase{"SecondOfThree",
                   {"station.hex", 2, 3},
                   0.25,
                   10,
                   "station.hex, 2 of 3, 41%, about 70 s left\nDo not remove the card."},
        DetailCase{"LastFileDone",
                   {"cis.hex", 3, 3},
                   1.0,
                   10,
                   "cis.hex, 3 of 3, 100%\nDo not remove the card."},
        // Too early to tell the time left.
        DetailCase{
            "NoPaceYet", {"a.hex", 1, 2}, 0.01, 0.2, "a.hex, 1 of 2, 0%\nDo not remove the card."},
        DetailCase{"NonsenseShareCountsAsNone",
                   {"a.hex", 5, 2},
                   kNaN,
                   kNaN,
                   "a.hex, 5 of 2, 50%\nDo not remove the card."}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillon::ui
