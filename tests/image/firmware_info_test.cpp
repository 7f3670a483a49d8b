#include "image/firmware_info.h"

#include <gtest/gtest.h>

namespace quillon::image {
namespace {

ComponentIdentity version(std::uint16_t major, std::uint16_t minor, std::uint16_t variant) {
    return ComponentIdentity{true, kStationComponentId, major, minor, variant};
}

TEST(FirmwareInfo, ComparesVersionsMajorThenMinorThenVariant) {
    struct Case {
        ComponentIdentity a;
        ComponentIdentity b;
        int sign;
    };
    const Case cases[] = {
        {version(1, 4, 9), version(1, 5, 0), -1},     {version(1, 4, 9), version(1, 4, 9), 0},
        {version(2, 0, 0), version(1, 9, 9), 1},      {version(1, 4, 10), version(1, 4, 9), 1},
        {version(0, 0, 0), version(65535, 0, 0), -1},
    };
    for (const Case& c : cases) {
        const int result = compareVersion(c.a, c.b);
        EXPECT_EQ((result > 0) - (result < 0), c.sign)
            << formatVersion(c.a) << " vs " << formatVersion(c.b);
    }
    EXPECT_EQ(formatVersion(version(1, 4, 9)), "1.4.9");
    EXPECT_EQ(formatVersion(version(65535, 0, 10)), "65535.0.10");
}

TEST(FirmwareInfo, ListsCompatibilitySlotsOneToFourInOrder) {
    FirmwareInfo info;
    info.compatibility[4] = ComponentRange{true, kRoleSupplier, 4, 2, 10, 20};
    info.compatibility[3] = ComponentRange{true, kRoleActor, 3, 1, 1, 2};
    info.compatibility[1] = ComponentRange{true, 7, 1, 65535, 65535, 65535};
    info.compatibility[0] = ComponentRange{true, kRoleSupplier, 0, 1, 1, 1};
    std::string text = "stale";
    EXPECT_TRUE(info.listCompatibility(text));
    EXPECT_EQ(text,
              "\n  Compatibility:\n"
              "    Modem-Firmware: : Range=65535..65535 Variant=65535\n"
              "    Primary Firmware-Driver: Actor: Range=1..2 Variant=1\n"
              "    Station Firmware-Driver: Supplier: Range=10..20 Variant=2\n");
}

TEST(FirmwareInfo, SlotZeroAloneListsNothing) {
    FirmwareInfo info;
    info.compatibility[0] = ComponentRange{true, kRoleSupplier, 0, 1, 1, 1};
    std::string text;
    EXPECT_FALSE(info.listCompatibility(text));
    EXPECT_EQ(text, "\n  Compatibility:\n\n No information in file.\n");

    info.compatibility[2] = ComponentRange{true, kRoleSupplier, 2, 1, 1, 1};
    info.clear();
    EXPECT_FALSE(info.listCompatibility(text));
}

}  // namespace
}  // namespace quillon::image
