#include "pda/pda_text.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace quillon::pda {
namespace {

using Mac = std::array<std::uint16_t, 3>;
using Serial = std::array<std::uint16_t, 6>;

TEST(PdaTextConversions, ParseMac) {
    struct Case {
        const char* text;
        std::optional<Mac> words;
    };
    const Mac m = {0x1100, 0x3322, 0x5544};
    const Case cases[] = {
        {"00:11:22:33:44:55", m},
        {"001122334455", m},
        {"00 11 22 33 44 55", m},
        {"00-11-22-33-44-55", m},
        {"0011223344556677", m},
        {"aA-bB-Cc-dd-EE-ff", Mac{0xBBAA, 0xDDCC, 0xFFEE}},
        {"hw: 001122334455", m},
        {"", std::nullopt},
        {"00112233445", std::nullopt},
        {"0011:2233:44", std::nullopt},
        {"00:11:22:33:44:5", std::nullopt},
        // A byte outside 7-bit ASCII ends the scan.
        {"001122\xc3\xa9"
         "334455",
         std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseMac(c.text), c.words) << c.text;
    }
}

TEST(PdaTextConversions, FormatMacInLowerCase) {
    EXPECT_EQ(formatMac({0x1100, 0x3322, 0x5544}), "00-11-22-33-44-55");
    EXPECT_EQ(formatMac({0xBBAA, 0xDDCC, 0xFFEE}), "aa-bb-cc-dd-ee-ff");
    EXPECT_EQ(formatMac(*parseMac("0A:1b:2C:3d:4E:5f")), "0a-1b-2c-3d-4e-5f");
}

TEST(PdaTextConversions, PackSerial) {
    struct Case {
        std::string_view text;
        Serial words;
    };
    const Case cases[] = {
        {"AB12", {0x4241, 0x3231, 0, 0, 0, 0}},
        {"ab12", {0x6261, 0x3231, 0, 0, 0, 0}},
        {"ABC", {0x4241, 0x0043, 0, 0, 0, 0}},
        {"", {0, 0, 0, 0, 0, 0}},
        {"0123456789ABCDEF", {0x3130, 0x3332, 0x3534, 0x3736, 0x3938, 0x4241}},
        {"\xff\x80", {0x80FF, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(packSerial(c.text), c.words) << c.text;
    }
}

TEST(PdaTextConversions, PdrText) {
    struct Case {
        std::vector<std::uint16_t> words;
        const char* text;
    };
    const Case cases[] = {
        {{7, 0x0003, 0x4241, 0x3231, 0, 0, 0, 0}, "AB12"},
        {{3, 0x0001, 0x4241, 0x0043}, "ABC"},
        {{3, 0x0001, 0x4241, 0x4443}, "ABCD"},
        {{3, 0x0001, 0x4101, 0x7F42}, " AB "},
        {{2, 0x0001, 0x00E9}, " "},
        {{2, 0x0001, 0x4100}, ""},
        {{1, 0x0001}, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pdrText(PdrRecord(c.words)), c.text) << c.text;
    }
}

}  // namespace
}  // namespace quillon::pda
