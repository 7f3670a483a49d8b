// The checks of firmware files against the card (platform, downgrades) and against each
// other (one primary and one station firmware whose interface ranges overlap).
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "card/adapter_session.h"
#include "fake_user_interface.h"
#include "image/firmware_info.h"
#include "pda/pda_image.h"
#include "sim/simulated_bench.h"
#include "update/compatibility_checks.h"

namespace quillon::testing {
namespace {

using image::ComponentIdentity;
using image::FirmwareInfo;

ComponentIdentity identity(std::uint16_t id, std::uint16_t major, std::uint16_t minor,
                           std::uint16_t variant) {
    return ComponentIdentity{true, id, major, minor, variant};
}

FirmwareInfo firmware(std::optional<ComponentIdentity> primary,
                      std::optional<ComponentIdentity> station,
                      std::vector<std::uint16_t> platforms = {},
                      std::optional<std::pair<std::uint16_t, std::uint16_t>> range = {}) {
    FirmwareInfo info;
    if (primary) {
        info.primary = *primary;
    }
    if (station) {
        info.station = *station;
    }
    for (std::size_t i = 0; i < platforms.size(); ++i) {
        info.platforms[i].present = true;
        info.platforms[i].platformId = platforms[i];
    }
    if (range) {
        auto& slot = info.compatibility[image::kPrimaryDriverInterface];
        slot.present = true;
        slot.role = primary && !station ? image::kRoleSupplier : image::kRoleActor;
        slot.interfaceId = image::kPrimaryDriverInterface;
        slot.bottom = range->first;
        slot.top = range->second;
    }
    return info;
}

pda::PdaImage pdaWithPlatform(std::optional<std::uint16_t> platform) {
    pda::PdaImage pda;
    if (platform) {
        pda.insertRecord(std::vector<std::uint16_t>{5, pda::kPdrPlatform, *platform, 0, 0, 0});
    }
    return pda;
}

const std::string kMayNotWork = "{+m}This image may not work on the selected card.{+k}\n";

// A card whose primary firmware is 1.1.0 and station firmware 1.5.0.
class PlatformAndVersionTest : public ::testing::Test {
  protected:
    PlatformAndVersionTest() : bench(config()), session(bench.library(), bench.registry(), ui) {}

    static sim::BenchConfig config() {
        sim::BenchConfig c = sim::defaultBenchConfig();
        c.adapters[0].card->rids.station = sim::RidIdentity{31, 0, 1, 5};
        return c;
    }

    void SetUp() override { ASSERT_TRUE(session.openAdapter(0)); }

    bool check(const FirmwareInfo& file, const pda::PdaImage& pda) {
        report = "before\n";
        return update::checkPlatformAndVersions(file, pda, session, report, ui);
    }

    sim::SimulatedBench bench;
    FakeUserInterface ui;
    card::AdapterSession session;
    std::string report;
};

TEST_F(PlatformAndVersionTest, FindingsGoIntoTheReport) {
    struct Case {
        const char* what;
        FirmwareInfo file;
        std::optional<std::uint16_t> cardPlatform;
        bool result;
        std::string text;
    };
    const auto primary111 = identity(21, 1, 1, 1);
    const auto station180 = identity(31, 1, 8, 0);
    const std::vector<Case> cases = {
        {"the card's platform is among the file's", firmware(primary111, {}, {0x8002, 0x8003}),
         0x8003, true, "Version information: Primary: 1.1.1\n"},
        {"the card's platform is not among the file's", firmware(primary111, {}, {0x8002, 0x8003}),
         0x8005, false,
         "{+r}Error - Platforms incompatible. Current card is platform 8005.  Image built for: "
         "8002, 8003,  This file cannot be used.\n{+k}"},
        {"platforms in lower-case hex", firmware(primary111, {}, {0xab}), 0xcd, false,
         "{+r}Error - Platforms incompatible. Current card is platform cd.  Image built for: ab, "
         " This file cannot be used.\n{+k}"},
        {"no platform on the card", firmware({}, station180, {0x8003}), std::nullopt, true,
         "{+m}WARNING! - No platform ID on card!\n{+k} " + kMayNotWork +
             "Version information: Station: 1.8.0\n"},
        {"no platform in the file", firmware({}, station180), 0x8003, true,
         "{+m}WARNING! - No platform information in file.\n{+k} " + kMayNotWork +
             "Version information: Station: 1.8.0\n"},
        {"no platform anywhere", firmware({}, station180), std::nullopt, true,
         "{+m}WARNING! - No platform information on card or in file!\n{+k}" + kMayNotWork +
             "Version information: Station: 1.8.0\n"},
        {"an older station firmware", firmware({}, identity(31, 1, 4, 9), {0x8003}), 0x8003, true,
         "Warning! This is a downgrade for Station firmware. (1.5.0 --> 1.4.9)\n"
         "Version information: Station: 1.4.9\n"},
        {"an older primary firmware", firmware(identity(21, 1, 0, 9), {}, {0x8003}), 0x8003, true,
         "Warning! This is a downgrade for Primary firmware. (1.1.0 --> 1.0.9)\n"
         "Version information: Primary: 1.0.9\n"},
        {"equal versions", firmware(identity(21, 1, 1, 0), identity(31, 1, 5, 0), {0x8003}), 0x8003,
         true, "Version information: Primary: 1.1.0, Station: 1.5.0\n"},
        {"neither identity", firmware({}, {}, {0x8003}), 0x8003, true,
         "Version information: <unknown file contents>\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(check(c.file, pdaWithPlatform(c.cardPlatform)), c.result);
        EXPECT_EQ(report, "before\n" + c.text);
    }
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(PlatformAndVersionTest, AnUnreadablePrimaryRidAsksWhetherToGoOn) {
    bench.card(0).faults().unreadableRids = {0xFD02};
    const FirmwareInfo file = firmware(identity(21, 1, 0, 9), identity(31, 1, 4, 9), {0x8003});

    ui.answers = {ui::Answer::Cancel};
    EXPECT_FALSE(check(file, pdaWithPlatform(0x8003)));
    EXPECT_EQ(report, "before\n");
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Unable to read RID. Continue anyway?");
    EXPECT_EQ(ui.boxes[0].caption, "RID read error");
    EXPECT_EQ(ui.boxes[0].buttons, ui::Buttons::OkCancel);
    EXPECT_EQ(ui.boxes[0].icon, ui::Icon::Question);

    // Going on skips the primary downgrade test only.
    ui.answers = {ui::Answer::Ok};
    EXPECT_TRUE(check(file, pdaWithPlatform(0x8003)));
    EXPECT_EQ(report,
              "before\nWarning! This is a downgrade for Station firmware. (1.5.0 --> "
              "1.4.9)\nVersion information: Primary: 1.0.9, Station: 1.4.9\n");
}

TEST_F(PlatformAndVersionTest, AnUnreadableStationRidIsPassedOverSilently) {
    bench.card(0).faults().unreadableRids = {0xFD20};
    EXPECT_TRUE(check(firmware({}, identity(31, 1, 4, 9), {0x8003}), pdaWithPlatform(0x8003)));
    EXPECT_EQ(report, "before\nVersion information: Station: 1.4.9\n");
    EXPECT_TRUE(ui.boxes.empty());
}

TEST(CheckCompatibility, KindsOfFilesAndTheirRanges) {
    using Range = std::pair<std::uint16_t, std::uint16_t>;
    const auto p = identity(21, 1, 1, 1);
    const auto s = identity(31, 1, 8, 0);
    const std::string passed = "Compatibility check passed.\n";
    const std::string notWithFile =
        "Error - Station firmware file is not compatible with the primary firmware file.\n";
    const std::string notWithCard =
        "Error - Station firmware file is not compatible with the current version of the "
        "primary firmware.\n";
    const std::string unchanged = "unchanged";
    struct Case {
        const char* what;
        std::vector<FirmwareInfo> files;
        update::SupplierRange card;
        bool result;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"no firmware at all", {}, {3, 5}, true, passed},
        {"a file with neither identity", {firmware({}, {})}, {3, 5}, true, passed},
        {"a combined file, whatever its ranges",
         {firmware(p, s, {}, Range{9, 9})},
         {1, 1},
         true,
         passed},
        {"station range inside the card's",
         {firmware({}, s, {}, Range{2, 5})},
         {3, 5},
         true,
         passed},
        {"station range touching the card's",
         {firmware({}, s, {}, Range{1, 3})},
         {3, 5},
         true,
         passed},
        {"station range below the card's",
         {firmware({}, s, {}, Range{1, 2})},
         {3, 5},
         false,
         notWithCard},
        {"station file without a range", {firmware({}, s)}, {0, 0xFFFF}, false, notWithCard},
        {"primary and station overlap",
         {firmware(p, {}, {}, Range{1, 2}), firmware({}, s, {}, Range{2, 4})},
         {9, 9},
         true,
         passed},
        {"station before primary, overlapping",
         {firmware({}, s, {}, Range{2, 4}), firmware(p, {}, {}, Range{1, 2})},
         {9, 9},
         true,
         passed},
        {"primary and station apart",
         {firmware(p, {}, {}, Range{1, 2}), firmware({}, s, {}, Range{3, 4})},
         {1, 4},
         false,
         notWithFile},
        {"primary file without a range",
         {firmware(p, {}), firmware({}, s, {}, Range{3, 4})},
         {1, 4},
         false,
         notWithFile},
        {"a combined file after a station file",
         {firmware({}, s, {}, Range{1, 2}), firmware(p, s, {}, Range{1, 2})},
         {1, 2},
         false,
         unchanged},
        {"a station file after a combined file",
         {firmware(p, s, {}, Range{1, 2}), firmware({}, s, {}, Range{1, 2})},
         {1, 2},
         false,
         unchanged},
        {"two station files",
         {firmware({}, s, {}, Range{1, 2}), firmware({}, s, {}, Range{1, 2})},
         {1, 2},
         false,
         unchanged},
        {"two primary files with a station file",
         {firmware(p, {}, {}, Range{1, 2}), firmware(p, {}, {}, Range{1, 2}),
          firmware({}, s, {}, Range{1, 2})},
         {1, 2},
         false,
         unchanged},
        {"a primary file alone", {firmware(p, {}, {}, Range{1, 2})}, {1, 2}, false, unchanged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<const FirmwareInfo*> files;
        for (const FirmwareInfo& f : c.files) {
            files.push_back(&f);
        }
        std::string text = unchanged;
        EXPECT_EQ(update::checkCompatibility(files, c.card, text), c.result);
        EXPECT_EQ(text, c.text);
    }
}

}  // namespace
}  // namespace quillon::testing
